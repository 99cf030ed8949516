// File choosers for files other than the program's documents: a file to
// export to and a file to import from, of a kind the caller names. Each goes
// through a replaceable hook, so that tests answer them and no test waits on
// a modal dialog.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace cogbook {

// What a chooser offers: its title, the name filter ("CSV files (*.csv)") and
// the extension a name typed without one gets ("csv").
struct FileKind {
    QString title;
    QString filter;
    QString extension;
};

struct FileChooserHooks {
    // The path chosen to export to (empty: cancelled).
    std::function<QString(QWidget* parent, const FileKind& kind, const QString& suggestedPath)> chooseExportPath;
    // The file chosen to import (empty: cancelled).
    std::function<QString(QWidget* parent, const FileKind& kind, const QString& directory)> chooseImportPath;
};

// Installs HOOKS (a hook left empty keeps the dialog); answers the previous set.
FileChooserHooks setFileChooserHooks(FileChooserHooks hooks);

QString chooseExportPath(QWidget* parent, const FileKind& kind, const QString& suggestedPath);
QString chooseImportPath(QWidget* parent, const FileKind& kind, const QString& directory);

} // namespace cogbook
