// Plain text on pages: wrapping, page breaks with their header and footer,
// and stopping part way.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/print_panels.h"
#include "platform/text_printer.h"
#include "support/pdf_text.h"

namespace cogbook {
namespace {

using test_support::readPdfPages;
using test_support::withoutSpace;

std::vector<test_support::PdfPage> pagesOf(const QByteArray& pdf) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("out.pdf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pdf);
    file.close();
    return readPdfPages(path);
}

TEST(TextPrinterTest, TextFlowsOverPagesUnderTheirHeadersAndFooters) {
    // Long enough for several pages, with a line far wider than the page, a
    // tab, blank lines and characters beyond ASCII.
    QString text;
    for (int line = 0; line < 150; ++line) text += QStringLiteral("2024-05-%1\tDérailleur %2\n").arg(line % 28 + 1).arg(line);
    text += QStringLiteral("\n\n") + QString(QStringLiteral("spoke ")).repeated(60) + QStringLiteral("end\n");
    const PdfOutput pdf = plainTextPdf(text, {QStringLiteral("Tandem.cogbook"), QStringLiteral("2026-12-06")});
    ASSERT_EQ(pdf.outcome, PrintOutcome::Printed);

    const auto pages = pagesOf(pdf.bytes);
    ASSERT_GE(pages.size(), 3u);
    for (std::size_t index = 0; index < pages.size(); ++index) {
        EXPECT_EQ(pages[index].header, "Tandem.cogbook 2026-12-06") << "page " << index + 1;
        EXPECT_EQ(pages[index].footer, "Page " + std::to_string(index + 1));
    }
    EXPECT_EQ(withoutSpace(test_support::bodiesOf(pages)), withoutSpace(text.toStdString()));
    // A tab moves along the line; it starts no new one.
    const QString firstLine = QString::fromStdString(pages[0].body).trimmed().section(QLatin1Char('\n'), 0, 0);
    EXPECT_EQ(firstLine.simplified().toStdString(), "2024-05-1 Dérailleur 0");
    // The long line is wrapped, not cut off at the margin.
    EXPECT_NE(pages.back().body.find('\n'), std::string::npos);
}

TEST(TextPrinterTest, NoTextIsOnePageWithItsHeader) {
    const PdfOutput pdf = plainTextPdf(QString(), {QStringLiteral("Empty"), QStringLiteral("2026-12-06")});
    ASSERT_EQ(pdf.outcome, PrintOutcome::Printed);
    const auto pages = pagesOf(pdf.bytes);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].header, "Empty 2026-12-06");
    EXPECT_EQ(withoutSpace(pages[0].body), "");
    EXPECT_EQ(pages[0].footer, "Page 1");
}

TEST(TextPrinterTest, ProgressReachesTheEndOrStopsTheWork) {
    QString text;
    for (int line = 0; line < 1000; ++line) text += QStringLiteral("line %1\n").arg(line);
    qint64 last = 0;
    qint64 reportedTotal = 0;
    const PdfOutput whole = plainTextPdf(text, {}, [&](qint64 done, qint64 total) {
        EXPECT_GT(done, last);
        last = done;
        reportedTotal = total;
        return true;
    });
    EXPECT_EQ(whole.outcome, PrintOutcome::Printed);
    EXPECT_EQ(reportedTotal, 1000);
    EXPECT_EQ(last, 1000);

    int reports = 0;
    const PdfOutput stopped = plainTextPdf(text, {}, [&](qint64, qint64) { return ++reports < 2; });
    EXPECT_EQ(stopped.outcome, PrintOutcome::Cancelled);
    EXPECT_EQ(reports, 2);
    EXPECT_TRUE(stopped.bytes.isEmpty());
}

TEST(TextPrinterTest, TheProgressPanelsCancelStopsTheWork) {
    QWidget window;
    PrintProgressPanel panel(&window, QStringLiteral("Exporting"));
    ASSERT_NE(panel.dialog(), nullptr);
    EXPECT_EQ(panel.dialog()->accessibleName(), "Exporting");
    const PrintProgress progress = panel.progress();
    EXPECT_TRUE(progress(10, 100));
    EXPECT_EQ(panel.dialog()->value(), 10);
    panel.dialog()->cancel();
    EXPECT_FALSE(progress(20, 100));
}

} // namespace
} // namespace cogbook
