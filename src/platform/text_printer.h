// Plain text on the pages of a printer or a PDF file: wrapped to the
// printable width, a header with a title and a date on every page, the page
// number in the footer, with progress reports that can stop the work.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QString>

#include <functional>

class QPagedPaintDevice;

namespace cogbook {

struct PageDecoration {
    QString title; // header, at the left
    QString date;  // header, at the right
};

// A readable default: the system's fixed-pitch font at 10 points.
QFont defaultPrintFont();
inline constexpr double kPrintMarginMillimetres = 18.0;
// Gives DEVICE the default page: A4 (Letter where the locale measures in
// inches), portrait, with the default margins on every side.
void setDefaultPageLayout(QPagedPaintDevice& device);

// Lines laid out so far, of TOTAL; answers false to stop the work.
using PrintProgress = std::function<bool(qint64 done, qint64 total)>;

enum class PrintOutcome { Printed, Cancelled, Failed };

// Prints TEXT on DEVICE, whose layout the caller has set. A printer whose
// work is stopped is told to abort, so that nothing reaches the paper; an
// empty text gives one page with only its header and footer. Failed when the
// device cannot be painted on or refuses a new page.
PrintOutcome printPlainText(QPagedPaintDevice& device, const QString& text, const PageDecoration& decoration,
                            const PrintProgress& progress = {});

struct PdfOutput {
    PrintOutcome outcome;
    QByteArray bytes; // the whole PDF, when printed
};

// TEXT as a PDF document in memory, on the default page.
PdfOutput plainTextPdf(const QString& text, const PageDecoration& decoration, const PrintProgress& progress = {});

} // namespace cogbook
