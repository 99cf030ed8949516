#include "platform/alerts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace cogbook {
namespace {

AlertHooks& hooks() {
    static AlertHooks installed;
    return installed;
}

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
    case AlertStyle::Information: return QMessageBox::Information;
    case AlertStyle::Warning: return QMessageBox::Warning;
    case AlertStyle::Critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

AlertHooks setAlertHooks(AlertHooks replacement) {
    return std::exchange(hooks(), std::move(replacement));
}

QString recordFileFilter() {
    return QObject::tr("Cogbook records (*.%1)").arg(QLatin1String(kRecordFileExtension)) + QStringLiteral(";;") +
           QObject::tr("All files (*)");
}

void showMessage(QWidget* parent, AlertStyle style, const QString& text, const QString& detail) {
    if (hooks().message) return hooks().message(parent, style, text, detail);
    QMessageBox box(iconFor(style), QStringLiteral("Cogbook"), text, QMessageBox::Ok, parent);
    box.setInformativeText(detail);
    box.exec();
}

SaveChangesAnswer askSaveChanges(QWidget* parent, const QString& displayName) {
    if (hooks().askSaveChanges) return hooks().askSaveChanges(parent, displayName);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Cogbook"),
                    QObject::tr("Save the changes to “%1” before closing?").arg(displayName),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(QObject::tr("If you don't save, your changes will be lost."));
    box.button(QMessageBox::Discard)->setText(QObject::tr("Close &Without Saving"));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveChangesAnswer::Save;
    case QMessageBox::Discard: return SaveChangesAnswer::DontSave;
    default: return SaveChangesAnswer::Cancel;
    }
}

bool confirmRevert(QWidget* parent, const QString& displayName) {
    if (hooks().confirmRevert) return hooks().confirmRevert(parent, displayName);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Cogbook"),
                    QObject::tr("Revert “%1” to the saved version?").arg(displayName),
                    QMessageBox::Cancel, parent);
    box.setInformativeText(QObject::tr("Your current changes will be lost."));
    QPushButton* revert = box.addButton(QObject::tr("&Revert"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == revert;
}

ChangedFileAnswer askSaveOverChangedFile(QWidget* parent, const QString& displayName) {
    if (hooks().askSaveOverChangedFile) return hooks().askSaveOverChangedFile(parent, displayName);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QObject::tr("The file has been changed by another program since you opened or saved it."),
                    QMessageBox::Cancel, parent);
    box.setInformativeText(
        QObject::tr("Save “%1” anyway, replacing that version, or revert to the version on disk?").arg(displayName));
    QPushButton* saveAnyway = box.addButton(QObject::tr("&Save Anyway"), QMessageBox::AcceptRole);
    QPushButton* revert = box.addButton(QObject::tr("&Revert"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == saveAnyway) return ChangedFileAnswer::SaveAnyway;
    if (box.clickedButton() == revert) return ChangedFileAnswer::Revert;
    return ChangedFileAnswer::Cancel;
}

QStringList chooseFilesToOpen(QWidget* parent, const QString& directory) {
    if (hooks().chooseFilesToOpen) return hooks().chooseFilesToOpen(parent, directory);
    return QFileDialog::getOpenFileNames(parent, QObject::tr("Open Record"), directory, recordFileFilter());
}

QString chooseSavePath(QWidget* parent, const QString& suggestedPath) {
    if (hooks().chooseSavePath) return hooks().chooseSavePath(parent, suggestedPath);
    QFileDialog dialog(parent, QObject::tr("Save Record"), suggestedPath, recordFileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QLatin1String(kRecordFileExtension));
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace cogbook
