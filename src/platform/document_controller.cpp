#include "platform/document_controller.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "foundation/user_defaults.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/application_identity.h"
#include "platform/document.h"
#include "platform/side_windows.h"

namespace cogbook {
namespace {

DocumentController* sharedController = nullptr;
constexpr std::string_view kRecentDocumentsKey = "Recent Documents";

// The document of WINDOW, its own or one it shows beside it.
Document* windowDocument(QWidget* window) {
    auto* documentWindow = qobject_cast<DocumentWindow*>(window);
    return documentWindow ? documentWindow->document() : sideWindowDocument(window);
}

} // namespace

DocumentController::DocumentController() {
    if (sharedController == nullptr) sharedController = this;
    addCommand("newDocument:", [this](QAction*) { newDocument(); });
    addCommand("openDocument:", [this](QAction*) { openDocument(); });
    addCommand("terminate:", [this](QAction*) { terminate(); });
    setFirstResponderProvider([] () -> Responder* {
        if (sharedController == nullptr) return nullptr;
        if (Responder* side = sideWindowResponder(QApplication::activeWindow())) return side;
        if (Document* document = sharedController->currentDocument()) return document;
        return sharedController;
    });
}

DocumentController::~DocumentController() {
    if (sharedController == this) {
        sharedController = nullptr;
        setFirstResponderProvider({});
    }
}

DocumentController* DocumentController::sharedDocumentController() {
    return sharedController;
}

Document* DocumentController::newDocument() {
    return showUntitledDocument([this] { return makeUntitledDocument(); });
}

Document* DocumentController::showUntitledDocument(const std::function<Document*()>& make) {
    Document* document = nullptr;
    try {
        document = make();
        document->setUntitledName(nextUntitledName());
        document->makeWindowControllers();
    } catch (...) {
        delete document;
        Application::reportCurrentException();
        return nullptr;
    }
    addDocument(document);
    document->showWindows();
    return document;
}

void DocumentController::openDocument() {
    QString folder;
    if (Document* current = currentDocument(); current && !current->fileName().isEmpty()) {
        folder = QFileInfo(current->fileName()).absolutePath();
    }
    const QStringList paths = chooseFilesToOpen(nullptr, folder);
    for (const QString& path : paths) openDocumentWithContentsOfFile(path);
}

Document* DocumentController::openDocumentWithContentsOfFile(const QString& path, bool display) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (Document* open = documentForFileName(absolute)) {
        if (display) open->showWindows();
        return open;
    }
    Document* document = nullptr;
    try {
        document = makeDocumentForReading();
        document->setFileName(absolute);
        document->readFromFile(absolute);
        document->makeWindowControllers();
    } catch (const DocumentContentError& error) {
        delete document;
        showMessage(nullptr, AlertStyle::Warning, notOfTypeMessageFor(QFileInfo(absolute).fileName()),
                    QObject::tr("%1: %2").arg(absolute, QString::fromUtf8(error.what())), MessageDetail::Technical);
        return nullptr;
    } catch (const std::exception& error) {
        delete document;
        showMessage(nullptr, AlertStyle::Warning,
                    QObject::tr("The file “%1” could not be opened.").arg(QFileInfo(absolute).fileName()),
                    QObject::tr("%1: %2").arg(absolute, QString::fromUtf8(error.what())));
        return nullptr;
    }
    addDocument(document);
    noteNewRecentDocument(document);
    if (display) document->showWindows();
    return document;
}

void DocumentController::openDocumentsHandedOver(const QStringList& paths) {
    for (const QString& path : paths) openDocumentWithContentsOfFile(path);
    if (!paths.isEmpty()) return;
    if (!documents_.empty()) documents_.front()->showWindows();
    else newDocumentAtLaunch();
}

std::vector<Document*> DocumentController::orderedDocuments() const {
    return documents_;
}

Document* DocumentController::currentDocument() const {
    Document* document = windowDocument(QApplication::activeWindow());
    if (document && std::find(documents_.begin(), documents_.end(), document) != documents_.end()) return document;
    return nullptr;
}

Document* DocumentController::documentForFileName(const QString& path) const {
    if (path.isEmpty()) return nullptr;
    const QFileInfo wanted(path);
    for (Document* document : documents_) {
        if (document->fileName().isEmpty()) continue;
        const QFileInfo candidate(document->fileName());
        if (candidate.absoluteFilePath() == wanted.absoluteFilePath()) return document;
        // The same file under another name (a link, a second path).
        if (candidate.exists() && wanted.exists() && candidate.canonicalFilePath() == wanted.canonicalFilePath()) {
            return document;
        }
    }
    return nullptr;
}

QStringList DocumentController::recentDocumentPaths() const {
    QStringList paths;
    if (const PlistArray* stored = UserDefaults::standardUserDefaults().arrayForKey(kRecentDocumentsKey)) {
        for (const PlistValue& entry : *stored) {
            if (entry.isString()) paths << QString::fromStdString(entry.string());
        }
    }
    return paths;
}

void DocumentController::noteNewRecentDocument(Document* document) {
    if (document->fileName().isEmpty()) return;
    refreshRecentDocuments();
    QStringList paths = recentDocumentPaths();
    paths.removeAll(document->fileName());
    paths.prepend(document->fileName());
    while (paths.size() > kMaxRecentDocuments) paths.removeLast();
    PlistArray stored;
    for (const QString& entry : paths) stored.emplace_back(entry.toStdString());
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(std::move(stored)), kRecentDocumentsKey);
}

void DocumentController::refreshRecentDocuments() {
    UserDefaults::standardUserDefaults().refreshObjectForKey(kRecentDocumentsKey);
}

void DocumentController::clearRecentDocuments() {
    UserDefaults::standardUserDefaults().removeObjectForKey(kRecentDocumentsKey);
}

QMenu* DocumentController::makeOpenRecentMenu(QWidget* parent) {
    auto* menu = new QMenu(QObject::tr("Open &Recent"), parent);
    connect(menu, &QMenu::aboutToShow, menu, [this, menu] {
        menu->clear();
        refreshRecentDocuments();
        const QStringList paths = recentDocumentPaths();
        for (const QString& path : paths) {
            // A name is read as it is: an "&" in it marks no key.
            QAction* item = menu->addAction(QString());
            setMenuItemTitle(item, QFileInfo(path).fileName());
            item->setToolTip(path);
            item->setStatusTip(path);
            connect(item, &QAction::triggered, this, [this, path] {
                Application::performGuarded([&] { openDocumentWithContentsOfFile(path); });
            });
        }
        if (!paths.isEmpty()) menu->addSeparator();
        QAction* clear = menu->addAction(QObject::tr("&Clear Menu"));
        clear->setEnabled(!paths.isEmpty());
        connect(clear, &QAction::triggered, this, [this] { clearRecentDocuments(); });
    });
    return menu;
}

bool DocumentController::reviewUnsavedDocumentsAndClose() {
    const std::vector<Document*> ordered = orderedDocuments();
    for (Document* document : ordered) {
        if (!document->canClose()) return false;
    }
    for (Document* document : ordered) document->close();
    return true;
}

void DocumentController::terminate() {
    if (!reviewUnsavedDocumentsAndClose()) return;
    UserDefaults::standardUserDefaults().synchronize();
    QCoreApplication::quit();
}

void DocumentController::addDocument(Document* document) {
    if (std::find(documents_.begin(), documents_.end(), document) != documents_.end()) return;
    documents_.insert(documents_.begin(), document);
}

void DocumentController::removeDocument(Document* document) {
    std::erase(documents_, document);
}

void DocumentController::documentWindowBecameKey(Document* document) {
    const auto found = std::find(documents_.begin(), documents_.end(), document);
    if (found == documents_.end()) return;
    std::rotate(documents_.begin(), found, found + 1);
}

QString DocumentController::nextUntitledName() const {
    const QString base = QObject::tr("Untitled");
    for (int number = 1;; ++number) {
        const QString name = number == 1 ? base : QStringLiteral("%1 %2").arg(base).arg(number);
        const bool taken = std::any_of(documents_.begin(), documents_.end(), [&](Document* document) {
            return document->fileName().isEmpty() && document->displayName() == name;
        });
        if (!taken) return name;
    }
}

void DocumentController::prepareDocumentWindow(QMainWindow*) {}

} // namespace cogbook
