#include "platform/text_printer.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLocale>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>

namespace cogbook {
namespace {

// Progress is reported every so many lines: often enough for a dialog to
// stay responsive, seldom enough to cost nothing.
constexpr qint64 kProgressInterval = 256;
// Tab stops every so many characters: a date and its tab fill one stop.
constexpr int kTabStopCharacters = 12;

// Paints one page after another: the header and footer around a body that
// lines are laid into from the top.
class PagePainter {
public:
    PagePainter(QPagedPaintDevice& device, QPainter& painter, const QFont& font, const PageDecoration& decoration)
        : device_(device), painter_(painter), font_(font), metrics_(font, &device), decoration_(decoration) {
        lineSpacing_ = metrics_.lineSpacing();
        width_ = device.width();
        bodyTop_ = lineSpacing_ * 2.0;
        bodyBottom_ = device.height() - lineSpacing_ * 2.0;
        // A page too short for its header and footer still takes a line.
        if (bodyBottom_ - bodyTop_ < lineSpacing_) bodyBottom_ = bodyTop_ + lineSpacing_;
    }

    qreal width() const { return width_; }
    qreal lineSpacing() const { return lineSpacing_; }

    void beginFirstPage() { beginPage(); }

    // Room for a line of HEIGHT, on a new page when this one is full.
    bool reserve(qreal height) {
        if (y_ + height <= bodyBottom_ || y_ == bodyTop_) return true;
        finishPage();
        if (!device_.newPage()) return false;
        beginPage();
        return true;
    }

    qreal y() const { return y_; }
    void advance(qreal height) { y_ += height; }
    void finishPage() {
        painter_.setFont(font_);
        const QString footer = QObject::tr("Page %1").arg(page_);
        painter_.drawText(QRectF(0, bodyBottom_ + lineSpacing_, width_, lineSpacing_),
                          Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, footer);
    }

private:
    void beginPage() {
        ++page_;
        y_ = bodyTop_;
        QFont titleFont = font_;
        titleFont.setBold(true);
        painter_.setFont(titleFont);
        const QRectF header(0, 0, width_, lineSpacing_);
        const qreal dateWidth = metrics_.horizontalAdvance(decoration_.date) + lineSpacing_;
        const QString title = QFontMetricsF(titleFont, &device_)
                                  .elidedText(decoration_.title, Qt::ElideMiddle, std::max<qreal>(0, width_ - dateWidth));
        painter_.drawText(header, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title);
        painter_.setFont(font_);
        painter_.drawText(header, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, decoration_.date);
        const qreal rule = lineSpacing_ * 1.4;
        painter_.drawLine(QPointF(0, rule), QPointF(width_, rule));
    }

    QPagedPaintDevice& device_;
    QPainter& painter_;
    QFont font_;
    QFontMetricsF metrics_;
    const PageDecoration& decoration_;
    qreal lineSpacing_ = 0;
    qreal width_ = 0;
    qreal bodyTop_ = 0;
    qreal bodyBottom_ = 0;
    qreal y_ = 0;
    int page_ = 0;
};

// LINE with each tab replaced by the spaces up to the next tab stop. The
// font has one width for every character, so columns line up; and the pages
// do not depend on how a layout scales tab stops to the device's resolution.
QString expandTabs(const QString& line) {
    if (!line.contains(QLatin1Char('\t'))) return line;
    QString expanded;
    expanded.reserve(line.size() + kTabStopCharacters);
    for (const QChar c : line) {
        if (c == QLatin1Char('\t')) {
            expanded += QString(kTabStopCharacters - expanded.size() % kTabStopCharacters, QLatin1Char(' '));
        } else {
            expanded += c;
        }
    }
    return expanded;
}

PrintOutcome stop(QPagedPaintDevice& device, QPainter& painter, PrintOutcome outcome) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->abort();
    painter.end();
    return outcome;
}

} // namespace

QFont defaultPrintFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10.0);
    return font;
}

void setDefaultPageLayout(QPagedPaintDevice& device) {
    const bool inches = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    const QMarginsF margins(kPrintMarginMillimetres, kPrintMarginMillimetres, kPrintMarginMillimetres,
                            kPrintMarginMillimetres);
    device.setPageLayout(QPageLayout(QPageSize(inches ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                                     margins, QPageLayout::Millimeter));
}

PrintOutcome printPlainText(QPagedPaintDevice& device, const QString& text, const PageDecoration& decoration,
                            const PrintProgress& progress) {
    QPainter painter;
    if (!painter.begin(&device)) return PrintOutcome::Failed;
    const QFont font(defaultPrintFont(), &device);
    PagePainter pages(device, painter, font, decoration);
    pages.beginFirstPage();

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    // The text's lines; a final line break ends the last line, it starts none.
    const qint64 total = text.count(QLatin1Char('\n')) + (text.endsWith(QLatin1Char('\n')) || text.isEmpty() ? 0 : 1);
    qint64 done = 0;
    qsizetype start = 0;
    while (done < total) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = text.size();
        const QString line = expandTabs(text.mid(start, end - start));
        start = end + 1;

        if (line.isEmpty()) {
            if (!pages.reserve(pages.lineSpacing())) return stop(device, painter, PrintOutcome::Failed);
            pages.advance(pages.lineSpacing());
        } else {
            QTextLayout layout(line, font, &device);
            layout.setTextOption(option);
            layout.setCacheEnabled(true);
            layout.beginLayout();
            qreal layoutY = 0;
            for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
                row.setLineWidth(pages.width());
                row.setPosition(QPointF(0, layoutY));
                layoutY += std::max(row.height(), pages.lineSpacing());
            }
            layout.endLayout();
            for (int index = 0; index < layout.lineCount(); ++index) {
                const QTextLine row = layout.lineAt(index);
                const qreal height = std::max(row.height(), pages.lineSpacing());
                if (!pages.reserve(height)) return stop(device, painter, PrintOutcome::Failed);
                row.draw(&painter, QPointF(0, pages.y() - row.y()));
                pages.advance(height);
            }
        }
        ++done;
        if (progress && (done % kProgressInterval == 0 || done == total) && !progress(done, total)) {
            return stop(device, painter, PrintOutcome::Cancelled);
        }
    }
    pages.finishPage();
    return painter.end() ? PrintOutcome::Printed : PrintOutcome::Failed;
}

PdfOutput plainTextPdf(const QString& text, const PageDecoration& decoration, const PrintProgress& progress) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PrintOutcome outcome;
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(decoration.title);
        writer.setCreator(QStringLiteral("Cogbook"));
        setDefaultPageLayout(writer);
        outcome = printPlainText(writer, text, decoration, progress);
    }
    buffer.close();
    if (outcome != PrintOutcome::Printed) return {outcome, {}};
    return {outcome, buffer.data()};
}

} // namespace cogbook
