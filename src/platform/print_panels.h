// The dialogs around printing: the print panel, the print preview, the PDF
// file chooser and the progress of long work. Each goes through a replaceable
// hook, so that tests answer them and no test waits on a modal dialog.
#pragma once

#include <QString>

#include <QPointer>
#include <QProgressDialog>

#include <functional>

#include "platform/text_printer.h"

class QPrinter;
class QWidget;

namespace cogbook {

struct PrintPanelHooks {
    // Whether to print (the panel may change PRINTER's settings).
    std::function<bool(QPrinter& printer, QWidget* parent)> runPrintPanel;
    // Shows the preview; PAINT draws the pages on the printer it is given.
    std::function<void(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint)>
        runPrintPreview;
    // The PDF file to write (empty: cancelled).
    std::function<QString(QWidget* parent, const QString& suggestedPath)> choosePdfPath;
};

// Installs HOOKS (a hook left empty keeps the dialog); answers the previous set.
PrintPanelHooks setPrintPanelHooks(PrintPanelHooks hooks);

bool runPrintPanel(QPrinter& printer, QWidget* parent);
void runPrintPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint);
QString choosePdfPath(QWidget* parent, const QString& suggestedPath);

// Progress of long work over PARENT: a window-modal dialog with a Cancel
// button that appears only when the work takes more than half a second.
class PrintProgressPanel {
public:
    PrintProgressPanel(QWidget* parent, const QString& label);
    ~PrintProgressPanel();
    PrintProgressPanel(const PrintProgressPanel&) = delete;
    PrintProgressPanel& operator=(const PrintProgressPanel&) = delete;

    // Reports to the dialog; answers false once the user has cancelled.
    PrintProgress progress();
    QProgressDialog* dialog() const { return dialog_; }

    static constexpr int kMinimumDurationMilliseconds = 500;

private:
    // Held weakly: the window it belongs to may go while the work runs.
    QPointer<QProgressDialog> dialog_;
};

} // namespace cogbook
