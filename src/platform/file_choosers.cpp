#include "platform/file_choosers.h"

#include <QFileDialog>

#include <utility>

namespace cogbook {
namespace {

FileChooserHooks& hooks() {
    static FileChooserHooks installed;
    return installed;
}

} // namespace

FileChooserHooks setFileChooserHooks(FileChooserHooks replacement) {
    return std::exchange(hooks(), std::move(replacement));
}

QString chooseExportPath(QWidget* parent, const FileKind& kind, const QString& suggestedPath) {
    if (hooks().chooseExportPath) return hooks().chooseExportPath(parent, kind, suggestedPath);
    QFileDialog dialog(parent, kind.title, suggestedPath, kind.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kind.extension);
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString chooseImportPath(QWidget* parent, const FileKind& kind, const QString& directory) {
    if (hooks().chooseImportPath) return hooks().chooseImportPath(parent, kind, directory);
    return QFileDialog::getOpenFileName(parent, kind.title, directory, kind.filter);
}

} // namespace cogbook
