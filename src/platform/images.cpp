#include "platform/images.h"

#include "foundation/hooks.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <cmath>
#include <string>

namespace cogbook {
namespace {

// Where the build puts the drawings of resources/icons.
const QString kImageFolder = QStringLiteral(":/images/");

// A rendering this many pixels a side would take hundreds of megabytes; no
// screen asks for one, so a request for it is a mistake.
constexpr qreal kMaxPixmapSide = 8192;

QSizeF naturalSize(const QSvgRenderer& renderer) {
    const QSizeF size = renderer.defaultSize();
    return size.isEmpty() ? renderer.viewBoxF().size() : size;
}

// The drawings are filed under what they show; the names the program asks
// for them by are older than the files.
const QHash<QString, QString>& drawingFiles() {
    static const QHash<QString, QString> files = {
        {QStringLiteral("BikePartIconSmall"), QStringLiteral("part")},
        {QStringLiteral("Subpart16"), QStringLiteral("subpart")},
        {QStringLiteral("Hand16"), QStringLiteral("hand")},
        {QStringLiteral("PencilChain16"), QStringLiteral("pencil-chain")},
        {QStringLiteral("BikePartIconLarge"), QStringLiteral("AddPart")},
        {QStringLiteral("Subpart"), QStringLiteral("AddSubpart")},
        {QStringLiteral("Hand32"), QStringLiteral("AddEntryForBike")},
        {QStringLiteral("PencilChain"), QStringLiteral("AddEntryForPart")},
    };
    return files;
}

// NAME without its extension, if it has one.
QString baseName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

// Image names come from the program, but a lookup must never reach outside
// the image folder whatever it is handed.
bool isPlainName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QStringLiteral(".."));
}

// Renders at whatever size is asked, so that menus, toolbars and window
// frames at any scale get a sharp picture rather than a scaled bitmap.
class ImageIconEngine final : public QIconEngine {
public:
    explicit ImageIconEngine(std::shared_ptr<const Image> image) : image_(std::move(image)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const QSize size = actualSize(rect.size(), mode, state);
        QRect target(QPoint(), size);
        target.moveCenter(rect.center());
        if (mode == QIcon::Normal || mode == QIcon::Active) {
            image_->drawInRect(painter, target);
            return;
        }
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = styled(image_->pixmap(size, ratio), mode);
        painter->drawPixmap(target, picture);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return image_->size().scaled(size, Qt::KeepAspectRatio).toSize();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return styled(image_->pixmap(actualSize(size, mode, state), 1.0), mode);
    }

    QIconEngine* clone() const override { return new ImageIconEngine(image_); }
    QString key() const override { return QStringLiteral("cogbook-image"); }
    QString iconName() override { return image_->name(); }
    bool isNull() override { return false; }

private:
    // Disabled and selected icons look the way the style makes them look for
    // every other icon.
    static QPixmap styled(const QPixmap& picture, QIcon::Mode mode) {
        if (mode == QIcon::Normal || mode == QIcon::Active || picture.isNull()) return picture;
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return picture;
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, picture, &option);
    }

    std::shared_ptr<const Image> image_;
};

} // namespace

Image::Image(QString name, std::unique_ptr<QSvgRenderer> renderer)
    : name_(std::move(name)), renderer_(std::move(renderer)) {
    // Keyed by instance, not by name: readImage may make two images of one
    // name from different drawings.
    static quint64 serial = 0;
    cacheKey_ = QStringLiteral("cogbook.image.%1.").arg(++serial);
}

Image::~Image() = default;

QSizeF Image::size() const { return naturalSize(*renderer_); }

void Image::drawInRect(QPainter* painter, const QRectF& rect) const { renderer_->render(painter, rect); }

QPixmap Image::pixmap(QSizeF size, qreal devicePixelRatio) const {
    if (!(devicePixelRatio > 0) || !std::isfinite(devicePixelRatio)) devicePixelRatio = 1.0;
    const qreal width = size.width() * devicePixelRatio;
    const qreal height = size.height() * devicePixelRatio;
    if (!(width >= 0.5 && width <= kMaxPixmapSide && height >= 0.5 && height <= kMaxPixmapSide)) return {};
    const QSize pixels(qRound(width), qRound(height));

    const QString key = cacheKey_ + QStringLiteral("%1x%2@%3").arg(pixels.width()).arg(pixels.height()).arg(devicePixelRatio);
    QPixmap result;
    if (QPixmapCache::find(key, &result)) return result;

    QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        renderer_->render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    result = QPixmap::fromImage(std::move(canvas));
    result.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, result);
    return result;
}

QIcon Image::icon() const { return QIcon(new ImageIconEngine(shared_from_this())); }

std::shared_ptr<const Image> readImage(const QString& name, const QString& path) {
    auto renderer = std::make_unique<QSvgRenderer>();
    if (!renderer->load(path) || !renderer->isValid() || naturalSize(*renderer).isEmpty()) {
        log("The image \"" + name.toStdString() + "\" cannot be read from " + path.toStdString() +
            ": it is missing, is not SVG, or has no size.");
        return nullptr;
    }
    return std::shared_ptr<const Image>(new Image(name, std::move(renderer)));
}

std::shared_ptr<const Image> imageNamed(const QString& name) {
    if (!isPlainName(name)) return nullptr;
    const QString base = baseName(name);
    if (base.isEmpty()) return nullptr;

    // Failures are remembered too, so that a broken drawing is reported once
    // however often it is asked for.
    static QHash<QString, std::shared_ptr<const Image>> images;
    if (const auto found = images.constFind(base); found != images.cend()) return *found;
    const QString path = kImageFolder + drawingFiles().value(base, base) + QStringLiteral(".svg");
    if (!QFile::exists(path)) return nullptr;
    return *images.insert(base, readImage(base, path));
}

} // namespace cogbook
