// Pictures by name: every shipped drawing resolves and renders sharp and
// visible, older names stand for drawings, and lookups never leave the image
// folder.
#include "platform/images.h"

#include "foundation/hooks.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace cogbook {
namespace {

// The small pictures that mark rows, and the toolbar's.
const QStringList kKindImages = {"part", "subpart", "hand", "pencil-chain"};
const QStringList kToolbarImages = {"AddPart",   "AddSubpart",  "AddEntryForPart", "AddEntryForBike",
                                    "ExpandAll", "CollapseAll", "Print"};

// The smallest rectangle holding every pixel that is not fully transparent.
QRect paintedArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) area |= QRect(x, y, 1, 1);
    return area;
}

bool hasOpaquePixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255) return true;
    return false;
}

TEST(platformImages, EveryDrawingResolvesAtItsSizeAndTheKindPicturesAreVisibleAndTellApart) {
    std::vector<QImage> kinds;
    for (const QString& name : kKindImages + kToolbarImages) {
        const auto image = imageNamed(name);
        ASSERT_NE(image, nullptr) << name.toStdString();
        EXPECT_EQ(image->size(), kKindImages.contains(name) ? QSizeF(16, 16) : QSizeF(32, 32)) << name.toStdString();
        if (!kKindImages.contains(name)) continue;
        kinds.push_back(image->pixmap(QSizeF(16, 16), 1.0).toImage());
        EXPECT_TRUE(hasOpaquePixel(kinds.back())) << name.toStdString();
    }
    for (std::size_t i = 0; i < kinds.size(); ++i)
        for (std::size_t j = i + 1; j < kinds.size(); ++j) EXPECT_NE(kinds[i], kinds[j]) << i << " and " << j;
}

TEST(platformImages, LookupIgnoresTheExtensionFollowsAliasesAndStaysInTheImageFolder) {
    EXPECT_EQ(imageNamed("Marker16.tif"), nullptr) << "no such drawing before the alias";
    setImageAlias("Marker16.tiff", "hand");
    const auto image = imageNamed("Marker16.tif");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->name(), "Marker16");
    for (const char* name : {"Marker16.tiff", "Marker16.png", "Marker16", "Marker16.svg"})
        EXPECT_EQ(imageNamed(name), image) << name;
    EXPECT_EQ(image->size(), imageNamed("hand")->size());
    EXPECT_NE(imageNamed("subpart.tiff"), image);

    for (const char* name : {"", ".tiff", "NoSuchImage.tiff", "../images/Hand16.tif", "icons/Hand16.tif", "..",
                             "Hand16..tif", "\\Hand16.tif", ":/images/Hand16.svg", "/images/Hand16.svg"})
        EXPECT_EQ(imageNamed(name), nullptr) << name;
}

TEST(platformImages, PixmapsAreRenderedForTheRatioAndCached) {
    const auto image = imageNamed("part.tiff");
    ASSERT_NE(image, nullptr);
    const QPixmap doubled = image->pixmap(QSizeF(16, 16), 2.0);
    EXPECT_EQ(doubled.size(), QSize(32, 32));
    EXPECT_EQ(doubled.deviceIndependentSize(), QSizeF(16, 16));
    EXPECT_TRUE(hasOpaquePixel(doubled.toImage()));
    // Drawn at 32 pixels, not the 16-pixel rendering enlarged.
    EXPECT_NE(doubled.toImage(), image->pixmap(QSizeF(16, 16), 1.0).toImage().scaled(32, 32));
    EXPECT_EQ(image->pixmap(QSizeF(16, 16), 2.0).cacheKey(), doubled.cacheKey());
    EXPECT_EQ(image->pixmap(QSizeF(16, 16), 1.5).size(), QSize(24, 24));
    EXPECT_TRUE(image->pixmap(QSizeF(0, 0), 1.0).isNull());
    EXPECT_TRUE(image->pixmap(QSizeF(1e6, 1e6), 1.0).isNull());
}

TEST(platformImages, DrawingAndIconsKeepToTheAskedGeometry) {
    const auto image = imageNamed("AddPart");
    ASSERT_NE(image, nullptr);
    QImage canvas(48, 48, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        image->drawInRect(&painter, QRectF(16, 16, 16, 16));
    }
    // Antialiasing may touch the pixels just around the rect, no further.
    const QRect painted = paintedArea(canvas);
    EXPECT_TRUE(QRect(15, 15, 18, 18).contains(painted)) << painted.x() << "," << painted.y() << " " << painted.width()
                                                          << "x" << painted.height();
    EXPECT_GT(painted.width(), 12);

    const QIcon icon = image->icon();
    const QPixmap large = icon.pixmap(QSize(24, 24), 2.0);
    EXPECT_EQ(large.size(), QSize(48, 48));
    EXPECT_EQ(large.toImage(), image->pixmap(QSizeF(48, 48), 1.0).toImage());
    EXPECT_NE(icon.pixmap(QSize(24, 24), 1.0, QIcon::Disabled).toImage(), icon.pixmap(QSize(24, 24), 1.0).toImage());
}

TEST(platformImages, EveryShippedDrawingParsesAndIsBuiltIn) {
    const QDir folder(QStringLiteral(COGBOOK_RESOURCE_DIR "/icons"));
    const QStringList files = folder.entryList({"*.svg"}, QDir::Files);
    EXPECT_GE(files.size(), kKindImages.size() + kToolbarImages.size() + 1);
    for (const QString& file : files) {
        const auto image = readImage(file, folder.filePath(file));
        const auto builtIn = imageNamed(file);
        ASSERT_NE(image, nullptr) << file.toStdString();
        ASSERT_NE(builtIn, nullptr) << file.toStdString();
        EXPECT_EQ(builtIn->size(), image->size()) << file.toStdString();
    }
}

TEST(platformImages, ReadingTakesTheDeclaredSizeAndRefusesWhatIsNotADrawing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto read = [&](const QString& name, const QByteArray& content) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        return readImage(name, file.fileName());
    };
    const QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" )";
    const QByteArray shape = R"(><rect width="10" height="10"/></svg>)";
    const auto sized = read("sized", svg + R"(width="24" height="12" viewBox="0 0 48 24")" + shape);
    const auto boxed = read("boxed", svg + R"(viewBox="0 0 20 10")" + shape);
    ASSERT_NE(sized, nullptr);
    ASSERT_NE(boxed, nullptr);
    EXPECT_EQ(sized->size(), QSizeF(24, 12));
    EXPECT_EQ(boxed->size(), QSizeF(20, 10));

    std::vector<std::string> log;
    const LogHook previous = setLogHook([&](std::string_view line) { log.emplace_back(line); });
    EXPECT_EQ(read("garbage", "GIF89a not a drawing"), nullptr);
    EXPECT_EQ(read("empty", svg + "/>"), nullptr);
    EXPECT_EQ(readImage("missing", folder.filePath("missing")), nullptr);
    setLogHook(previous);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[0].find("garbage"), std::string::npos);
}

} // namespace
} // namespace cogbook
