// The document controller: makes and opens documents, knows every open one
// and their order front to back, keeps the recent files, and asks about
// unsaved work before the program quits.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

#include "platform/responder.h"

class QMainWindow;
class QMenu;

namespace cogbook {

class Document;

class DocumentController : public QObject, public Responder {
    Q_OBJECT
public:
    // The first controller made becomes the shared one, until it ends.
    DocumentController();
    ~DocumentController() override;
    static DocumentController* sharedDocumentController();

    // A new untitled document, shown. Null when making it failed (reported).
    Document* newDocument();
    // Asks for files and opens them.
    void openDocument();
    // Opens PATH, or brings its window to the front when it is open already.
    // A file that cannot be read or decoded is reported, naming the file and
    // what is wrong, and leaves no window behind. Answers the document or null.
    Document* openDocumentWithContentsOfFile(const QString& path, bool display = true);
    // Files handed over by a program started later: each is opened, or its
    // window brought to the front. With none, the front-most window comes
    // forward (a new document when there is none).
    void openDocumentsHandedOver(const QStringList& paths);
    // The document a launch without files starts with.
    virtual Document* newDocumentAtLaunch() { return newDocument(); }

    const std::vector<Document*>& documents() const { return documents_; }
    // Front-most window's document first.
    std::vector<Document*> orderedDocuments() const;
    // The document of the key window, or null.
    Document* currentDocument() const;
    Document* documentForFileName(const QString& path) const;

    // Recent files, most recent first, kept in the user defaults (and shared
    // with the user's other programs through them: taken again from the
    // file before each change and each time the menu opens).
    QStringList recentDocumentPaths() const;
    void noteNewRecentDocument(Document* document);
    void clearRecentDocuments();
    // A menu that lists the recent files each time it opens.
    QMenu* makeOpenRecentMenu(QWidget* parent);

    // Asks about every unsaved document, front to back; answers whether the
    // program may quit (then every document has been closed).
    bool reviewUnsavedDocumentsAndClose();
    // The Quit command.
    void terminate();

    void addDocument(Document* document);
    void removeDocument(Document* document);
    void documentWindowBecameKey(Document* document);
    // The next free untitled name: "Untitled", then "Untitled 2", …
    QString nextUntitledName() const;

    // Called for every document window once it is loaded (the menu bar goes
    // in here).
    virtual void prepareDocumentWindow(QMainWindow* window);

    static constexpr int kMaxRecentDocuments = 10;

protected:
    // Names, loads and shows the document MAKE answers; a failure is
    // reported and answers null.
    Document* showUntitledDocument(const std::function<Document*()>& make);
    // A new document of the application's one type. Throws on failure.
    virtual Document* makeUntitledDocument() = 0;
    // An empty document of that type, for a file to be read into.
    virtual Document* makeDocumentForReading() = 0;

private:
    void refreshRecentDocuments();

    std::vector<Document*> documents_; // front-most first
};

} // namespace cogbook
