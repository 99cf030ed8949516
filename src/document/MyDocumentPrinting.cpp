// Printing a document's record, previewing it and exporting it as PDF: the
// plain text of the whole tree, wrapped to the page.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>

#include <stdexcept>

#include "document/MyDocument.h"
#include "document/record_printer.h"
#include "foundation/file_io.h"
#include "platform/alerts.h"
#include "platform/print_panels.h"

namespace cogbook {
namespace {

void preparePrinter(QPrinter& printer, const QString& name) {
    setDefaultPageLayout(printer);
    printer.setDocName(name);
    printer.setCreator(QStringLiteral("Cogbook"));
}

} // namespace

void MyDocument::installPrintingCommands() {
    addCommand("printDocument:", [this](QAction*) { printShowingPrintPanel(true); });
    addCommand("printPreview:", [this](QAction*) { printPreview(); });
    addCommand("exportDocumentAsPDF:", [this](QAction*) { exportAsPdf(); });
}

bool MyDocument::_commitBeforePrinting() {
    // An open cell edit is part of what the user sees; one that cannot end
    // (it beeps) stops the printing.
    if (!endCellEditing()) return false;
    // The notes pane's text goes into the record, but only a real change is
    // an undo step: printing alone never marks the document as edited.
    const ZRBicycleList* item = itemShownInNotes();
    if (item != nullptr && notesView_ && notesView_->toPlainText().toStdString() != item->notes()) {
        _logNotesViewStringWithUndo(true);
    }
    return true;
}

void MyDocument::printShowingPrintPanel(bool) {
    if (!_commitBeforePrinting()) return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, displayName());
    if (!runPrintPanel(printer, documentWindow())) return;
    const QString text = recordText(*theBike_);
    PrintProgressPanel panel(documentWindow(), tr("Printing “%1”…").arg(displayName()));
    if (printPlainText(printer, text, recordPageDecoration(displayName()), panel.progress()) == PrintOutcome::Failed) {
        showMessage(documentWindow(), AlertStyle::Critical, tr("“%1” could not be printed.").arg(displayName()),
                    tr("The printer did not take the pages."));
    }
}

void MyDocument::_printFromToolbar() { printShowingPrintPanel(true); }

void MyDocument::printPreview() {
    if (!_commitBeforePrinting()) return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, displayName());
    const QString text = recordText(*theBike_);
    const PageDecoration decoration = recordPageDecoration(displayName());
    QPointer<DocumentWindow> window = documentWindow();
    runPrintPreview(printer, window, [text, decoration, window](QPrinter* target) {
        PrintProgressPanel panel(window, tr("Preparing the preview…"));
        printPlainText(*target, text, decoration, panel.progress());
    });
}

QString MyDocument::suggestedPdfPath() const {
    const QString base = QFileInfo(displayName()).completeBaseName();
    const QString name = (base.isEmpty() ? displayName() : base) + QStringLiteral(".pdf");
    return fileName().isEmpty() ? name : QFileInfo(fileName()).dir().filePath(name);
}

bool MyDocument::exportAsPdf() {
    if (!_commitBeforePrinting()) return false;
    const QString path = choosePdfPath(documentWindow(), suggestedPdfPath());
    if (path.isEmpty()) return false;
    return exportAsPdfToFile(path);
}

bool MyDocument::exportAsPdfToFile(const QString& path) {
    const QString failure = tr("The PDF “%1” could not be written.").arg(path);
    // Replacing the record's own file with its PDF would lose the record.
    if (!fileName().isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(fileName()).absoluteFilePath()) {
        showMessage(documentWindow(), AlertStyle::Critical, failure, tr("It is the record's own file."));
        return false;
    }
    PrintProgressPanel panel(documentWindow(), tr("Exporting “%1”…").arg(displayName()));
    const PdfOutput pdf = recordPdf(*theBike_, displayName(), panel.progress());
    if (pdf.outcome == PrintOutcome::Cancelled) return false;
    if (pdf.outcome == PrintOutcome::Failed) {
        showMessage(documentWindow(), AlertStyle::Critical, failure, tr("The pages could not be made."));
        return false;
    }
    try {
        const auto* begin = reinterpret_cast<const std::uint8_t*>(pdf.bytes.constData());
        writeFileAtomically(QFile::encodeName(path).toStdString(),
                            std::vector<std::uint8_t>(begin, begin + pdf.bytes.size()));
    } catch (const std::runtime_error& error) {
        showMessage(documentWindow(), AlertStyle::Critical, failure, QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

} // namespace cogbook
