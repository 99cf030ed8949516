// The questions and messages a program puts to the user, and the file
// choosers. Each goes through a replaceable hook, so that tests answer them
// instead of a person and no test ever waits on a modal dialog. Dialogs are
// titled with the application's display name, and the file choosers show
// the files of its document type (application_identity.h).
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace cogbook {

enum class AlertStyle { Information, Warning, Critical };
enum class SaveChangesAnswer { Save, DontSave, Cancel };
enum class ChangedFileAnswer { SaveAnyway, Revert, Cancel };

struct AlertHooks {
    std::function<void(QWidget* parent, AlertStyle style, const QString& text, const QString& detail)> message;
    std::function<SaveChangesAnswer(QWidget* parent, const QString& displayName)> askSaveChanges;
    // Whether to discard the changes to DISPLAYNAME and go back to the saved file.
    std::function<bool(QWidget* parent, const QString& displayName)> confirmRevert;
    // What to do when the file of DISPLAYNAME was changed by another program
    // since the document read or wrote it, and the document is to be saved.
    std::function<ChangedFileAnswer(QWidget* parent, const QString& displayName)> askSaveOverChangedFile;
    // The files chosen to open (empty: cancelled).
    std::function<QStringList(QWidget* parent, const QString& directory)> chooseFilesToOpen;
    // The path chosen to save to (empty: cancelled).
    std::function<QString(QWidget* parent, const QString& suggestedPath)> chooseSavePath;
};

// Installs HOOKS (a hook left empty keeps the dialog); answers the previous set.
AlertHooks setAlertHooks(AlertHooks hooks);

// How a message's detail shows: as a second line under the message, or, for
// a technical reason few want to read, behind the box's Show Details button.
enum class MessageDetail { Informative, Technical };

void showMessage(QWidget* parent, AlertStyle style, const QString& text, const QString& detail = {},
                 MessageDetail kind = MessageDetail::Informative);
SaveChangesAnswer askSaveChanges(QWidget* parent, const QString& displayName);
bool confirmRevert(QWidget* parent, const QString& displayName);
ChangedFileAnswer askSaveOverChangedFile(QWidget* parent, const QString& displayName);
QStringList chooseFilesToOpen(QWidget* parent, const QString& directory);
QString chooseSavePath(QWidget* parent, const QString& suggestedPath);

} // namespace cogbook
