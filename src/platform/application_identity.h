// What the program is called and the one kind of document it keeps. The
// platform names no program of its own: the program hands these over as it
// starts (setApplicationIdentity), before it shows anything, and the
// application, its documents, dialogs and file choosers take them from here.
#pragma once

#include <QString>

namespace cogbook {

struct DocumentType {
    // What documents hand to their subclasses as the type of their data.
    QString name;
    // The file extension, without the dot; Save As adds it to a name that
    // has none. Empty: nothing is added, and the choosers list every file.
    QString extension;
    QString mimeType;
    // How the file choosers name such files ("Text notes").
    QString filterName;
    // The titles of the file choosers.
    QString openPanelTitle;
    QString savePanelTitle;
};

struct ApplicationIdentity {
    QString applicationName;
    // Titles the windows and the dialogs.
    QString displayName;
    QString organizationName;
    QString desktopFileName;
    // The image (see images.h) of the application's icon; empty for none.
    QString iconName;
    DocumentType documentType;
    // The first line of the message when a file holds no such document, %1
    // standing for its name in quotes ("%1 is not a Notebook page.").
    QString notOfTypeMessage;
};

// Keeps IDENTITY and, once there is an application, gives it the names and
// the icon.
void setApplicationIdentity(ApplicationIdentity identity);
// The identity set last; before any, names that say only what things are
// ("Application", "Document") and no extension.
const ApplicationIdentity& applicationIdentity();
// Gives the running application the identity's names and icon (done by
// setApplicationIdentity and by the application as it starts).
void applyApplicationIdentity();

// The first line of the message for a file named FILENAME that holds no
// document of the identity's type.
QString notOfTypeMessageFor(const QString& fileName);

// The file-chooser filter of the identity's documents, then of all files.
QString documentFileFilter();

} // namespace cogbook
