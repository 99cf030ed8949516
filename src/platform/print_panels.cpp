#include "platform/print_panels.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <algorithm>
#include <limits>
#include <utility>

namespace cogbook {
namespace {

PrintPanelHooks& hooks() {
    static PrintPanelHooks installed;
    return installed;
}

// QProgressDialog counts in int.
int clampToInt(qint64 value) {
    return static_cast<int>(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

} // namespace

PrintPanelHooks setPrintPanelHooks(PrintPanelHooks replacement) {
    return std::exchange(hooks(), std::move(replacement));
}

bool runPrintPanel(QPrinter& printer, QWidget* parent) {
    if (hooks().runPrintPanel) return hooks().runPrintPanel(printer, parent);
    QPrintDialog dialog(&printer, parent);
    dialog.setAccessibleName(QObject::tr("Print"));
    return dialog.exec() == QDialog::Accepted;
}

void runPrintPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint) {
    if (hooks().runPrintPreview) return hooks().runPrintPreview(printer, parent, paint);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setAccessibleName(QObject::tr("Print Preview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
}

QString choosePdfPath(QWidget* parent, const QString& suggestedPath) {
    if (hooks().choosePdfPath) return hooks().choosePdfPath(parent, suggestedPath);
    QFileDialog dialog(parent, QObject::tr("Export as PDF"), suggestedPath,
                       QObject::tr("PDF documents (*.pdf)") + QStringLiteral(";;") + QObject::tr("All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

PrintProgressPanel::PrintProgressPanel(QWidget* parent, const QString& label)
    : dialog_(new QProgressDialog(label, QObject::tr("Cancel"), 0, 1, parent)) {
    dialog_->setWindowTitle(QObject::tr("Cogbook"));
    dialog_->setAccessibleName(label);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kMinimumDurationMilliseconds);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

PrintProgressPanel::~PrintProgressPanel() {
    delete dialog_.data();
}

PrintProgress PrintProgressPanel::progress() {
    return [dialog = dialog_](qint64 done, qint64 total) {
        if (!dialog) return false;
        if (dialog->maximum() != clampToInt(total)) dialog->setMaximum(clampToInt(total));
        // A window-modal dialog handles its events here: Cancel and Escape
        // reach it while the work goes on.
        dialog->setValue(clampToInt(done));
        return !dialog->wasCanceled();
    };
}

} // namespace cogbook
