// A document: one file (or none yet) shown in one window. Subclasses say how
// the content becomes bytes and back, and prepare the window; this class does
// the rest: names, the edited state, saving safely, reverting and closing.
#pragma once

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/responder.h"

class QLineEdit;

namespace cogbook {

class DiskChangeBar;
class Document;
class FileWatch;
class UndoManager;
struct FileStamp;

// Thrown by a document whose file was read but holds no document of the
// program's kind, or one too damaged to use: opening it then says so in one
// plain sentence, with this reason as the detail.
class DocumentContentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A document's window: asks its document before it closes.
class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DocumentWindow(QWidget* parent = nullptr);
    void setDocument(Document* document) { document_ = document; }
    Document* document() const { return document_; }
    // The window's undo manager: its document's (see the document's
    // windowWillReturnUndoManager).
    UndoManager* undoManager() const;
    // Gives WIDGET the keyboard focus. A cell edit open in the window ends
    // first; when it cannot end, nothing changes and the answer is false.
    bool makeFirstResponder(QWidget* widget);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPointer<Document> document_;
};

class Document : public QObject, public Responder {
    Q_OBJECT
public:
    enum ChangeType { ChangeDone, ChangeUndone, ChangeCleared };

    Document();
    ~Document() override;

    // The file's absolute path; empty until the document is first saved.
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& path);
    // The file's name, or "Untitled", "Untitled 2", … before it has one.
    QString displayName() const;
    void setUntitledName(const QString& name);
    // The name of the application's one document type (see
    // application_identity.h).
    QString fileType() const;

    bool isDocumentEdited() const { return changeCount_ != 0 || savedStateLost_; }
    void updateChangeCount(ChangeType change);

    // The document's own undo history. Its steps count as changes: undoing
    // back to the saved state leaves the document unedited.
    UndoManager& undoManager() const { return *undoManager_; }
    // The identity under which the document's changes are recorded for undo.
    const void* undoTarget() const { return this; }
    // What the window asks its document for.
    virtual UndoManager* windowWillReturnUndoManager(DocumentWindow* window);
    // The editor for OBJECT's cells, lent by the document, or null for a line
    // edit of the cell's own.
    virtual QLineEdit* windowWillReturnFieldEditorToObject(DocumentWindow* window, QObject* object);

    DocumentWindow* window() const { return window_; }
    // Loads the window (makeWindow), lets the subclass prepare it, and shows
    // it. Throws what preparing throws; the window is then not shown.
    void makeWindowControllers();
    void showWindows();

    // The bytes of the file, and taking them back; the type is fileType().
    virtual std::vector<std::uint8_t> dataRepresentationOfType(const QString& type) = 0;
    virtual bool loadDataRepresentationOfType(std::vector<std::uint8_t> data, const QString& type) = 0;
    // Reads PATH again through loadDataRepresentationOfType. Throws
    // std::runtime_error (without the file name) when it cannot be read.
    virtual bool revertToSavedFromFileOfType(const QString& path, const QString& type);

    // Reads the file at PATH into the document (not yet decoded). Throws
    // std::runtime_error (without the file name) when it cannot be read.
    void readFromFile(const QString& path);
    // Writes the document to PATH, replacing the file only once the whole new
    // content is safely on disk. Throws std::runtime_error on failure.
    virtual void writeToFile(const QString& path);

    // The file commands. Each answers whether it went through; failures are
    // shown to the user, naming the file and the reason.
    bool saveDocument();
    bool saveDocumentAs();
    bool revertDocumentToSaved();
    // Asks about unsaved changes; answers whether the document may close.
    bool canClose();
    // Closes the window and ends the document (later, when the current event
    // is done).
    void close();
    bool isClosing() const { return closing_; }

    bool validateMenuItem(QAction* item) override;
    Responder* nextResponder() const override;

    // The watch on the document's file, which knows the version the document
    // last read or wrote.
    FileWatch& fileWatch() const { return *fileWatch_; }
    // The bar the window shows when the file changed on disk while the
    // document has unsaved changes (null until the window is made).
    DiskChangeBar* diskChangeBar() const;

signals:
    void displayNameChanged();
    void documentEditedChanged(bool edited);

protected:
    // The window, loaded from the document's interface file.
    virtual DocumentWindow* makeWindow() = 0;
    virtual void windowControllerDidLoadNib();
    // Just before the window goes: detach views from the document.
    virtual void windowWillClose() {}
    // The view that has the keys when the window first shows (rather than
    // the first field of its toolbar); none leaves the choice to the window.
    virtual QWidget* initialFirstResponder() const { return nullptr; }

private:
    void updateTitle();
    void reportFailure(const QString& text, const QString& reason);
    void observeUndoManager();
    // What Undo and Redo act on: the window's undo manager.
    UndoManager* commandUndoManager() const;
    // No undo step may reach this document any more (it closes, or its
    // content was replaced).
    void forgetUndoSteps();
    // Writes to PATH; on success the document is no longer edited and PATH
    // is a recent file, on failure the user is told, naming the document NAME.
    bool writeToFileReportingFailure(const QString& path, const QString& name);
    // Reads the file again, replacing the content; a failure is reported and
    // leaves the document as it was.
    bool rereadFileReportingFailure();

    // Changes made to the file by others (document_file_changes.cpp).
    void startWatchingFile();
    void installDiskChangeBar();
    void noteFileVersion(const FileStamp& stamp);
    void fileDidChangeOnDisk(const FileStamp& current);
    // Before saving over the file: answers whether to write, having asked
    // when another program changed the file since.
    bool mayWriteOverFile();
    void reloadFromDiskChangeBar();
    void keepMineOverDiskVersion();
    // A cell edit is open in the window: its text is a change not yet made.
    bool hasEditInProgress() const;

    std::unique_ptr<UndoManager> undoManager_;
    QString fileName_;
    QString untitledName_;
    int changeCount_ = 0;
    // A change was made while the saved state was among the redo steps: it
    // dropped them, and no undo or redo leads back to that state any more.
    bool savedStateLost_ = false;
    QPointer<DocumentWindow> window_;
    bool closing_ = false;
    FileWatch* fileWatch_ = nullptr;
    QPointer<DiskChangeBar> diskChangeBar_;
};

} // namespace cogbook
