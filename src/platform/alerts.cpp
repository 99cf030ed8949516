#include "platform/alerts.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

#include "platform/application_identity.h"

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

// Text past this length is left out of a message box: laying out megabytes
// of text (say, from a damaged file) would stall the program, and nobody
// reads that far.
constexpr qsizetype kMaxAlertTextLength = 2000;

QString bounded(const QString& text) {
    if (text.size() <= kMaxAlertTextLength) return text;
    qsizetype end = kMaxAlertTextLength;
    if (text.at(end - 1).isHighSurrogate()) --end;
    return text.left(end) + QChar(0x2026);
}

} // namespace

AlertHooks setAlertHooks(AlertHooks replacement) {
    return std::exchange(hooks(), std::move(replacement));
}

void showMessage(QWidget* parent, AlertStyle style, const QString& text, const QString& detail,
                 MessageDetail kind) {
    if (hooks().message) return hooks().message(parent, style, text, detail);
    QMessageBox box(iconFor(style), QGuiApplication::applicationDisplayName(), bounded(text), QMessageBox::Ok, parent);
    // Names from files may look like markup; they are shown as they are.
    box.setTextFormat(Qt::PlainText);
    if (kind == MessageDetail::Technical) {
        box.setDetailedText(bounded(detail));
    } else {
        box.setInformativeText(bounded(detail));
    }
    box.exec();
}

SaveChangesAnswer askSaveChanges(QWidget* parent, const QString& displayName) {
    if (hooks().askSaveChanges) return hooks().askSaveChanges(parent, displayName);
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
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
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
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
    return QFileDialog::getOpenFileNames(parent, applicationIdentity().documentType.openPanelTitle, directory,
                                         documentFileFilter());
}

QString chooseSavePath(QWidget* parent, const QString& suggestedPath) {
    if (hooks().chooseSavePath) return hooks().chooseSavePath(parent, suggestedPath);
    const DocumentType& type = applicationIdentity().documentType;
    QFileDialog dialog(parent, type.savePanelTitle, suggestedPath, documentFileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(type.extension);
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace cogbook
