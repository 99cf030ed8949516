#include "platform/document.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QApplication>
#include <QGuiApplication>
#include <QStandardPaths>

#include <stdexcept>

#include "foundation/file_io.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/application_identity.h"
#include "platform/document_controller.h"
#include "platform/file_watch.h"
#include "platform/outline_view.h"

namespace cogbook {

DocumentWindow::DocumentWindow(QWidget* parent) : QMainWindow(parent) {}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    Document* document = document_;
    if (document == nullptr || document->isClosing()) {
        event->accept();
        return;
    }
    event->ignore();
    bool mayClose = false;
    Application::performGuarded([&] { mayClose = document->canClose(); });
    if (mayClose) document->close();
}

void DocumentWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && document_) {
        if (auto* controller = DocumentController::sharedDocumentController()) {
            controller->documentWindowBecameKey(document_);
        }
    }
}

UndoManager* DocumentWindow::undoManager() const {
    return document_ ? document_->windowWillReturnUndoManager(const_cast<DocumentWindow*>(this)) : nullptr;
}

bool DocumentWindow::makeFirstResponder(QWidget* widget) {
    for (OutlineView* view : findChildren<OutlineView*>()) {
        if (view->currentEditor() != nullptr && !view->endEditing()) return false;
    }
    if (widget != nullptr) widget->setFocus(Qt::OtherFocusReason);
    return true;
}

Document::Document() : undoManager_(std::make_unique<UndoManager>()) {
    observeUndoManager();
    startWatchingFile();
    addCommand("saveDocument:", [this](QAction*) { saveDocument(); });
    addCommand("saveDocumentAs:", [this](QAction*) { saveDocumentAs(); });
    addCommand("revertDocumentToSaved:", [this](QAction*) { revertDocumentToSaved(); });
    addCommand("performClose:", [this](QAction*) {
        if (canClose()) close();
    });
    addCommand("undo:", [this](QAction*) {
        if (UndoManager* manager = commandUndoManager()) manager->undo();
    });
    addCommand("redo:", [this](QAction*) {
        if (UndoManager* manager = commandUndoManager()) manager->redo();
    });
}

void Document::observeUndoManager() {
    auto& center = NotificationCenter::defaultCenter();
    const UndoManager* manager = undoManager_.get();
    center.addObserver(this, std::string(kUndoManagerDidCloseUndoGroupNotification), manager,
                       [this](const Notification&) {
                           // A new change below the saved state (undone past it).
                           if (changeCount_ < 0) savedStateLost_ = true;
                           updateChangeCount(ChangeDone);
                       });
    center.addObserver(this, std::string(kUndoManagerDidUndoChangeNotification), manager,
                       [this](const Notification&) { updateChangeCount(ChangeUndone); });
    center.addObserver(this, std::string(kUndoManagerDidRedoChangeNotification), manager,
                       [this](const Notification&) { updateChangeCount(ChangeDone); });
}

void Document::forgetUndoSteps() {
    UndoManager::removeAllActionsWithTargetEverywhere(undoTarget());
}

UndoManager* Document::windowWillReturnUndoManager(DocumentWindow*) { return undoManager_.get(); }

UndoManager* Document::commandUndoManager() const {
    return window_ ? window_->undoManager() : undoManager_.get();
}

QLineEdit* Document::windowWillReturnFieldEditorToObject(DocumentWindow*, QObject*) { return nullptr; }

Document::~Document() {
    NotificationCenter::defaultCenter().removeObserver(this);
    forgetUndoSteps();
    if (auto* controller = DocumentController::sharedDocumentController()) controller->removeDocument(this);
    delete window_.data();
}

QString Document::fileType() const { return applicationIdentity().documentType.name; }

void Document::setFileName(const QString& path) {
    fileName_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    fileWatch_->watch(fileName_);
    updateTitle();
    emit displayNameChanged();
}

QString Document::displayName() const {
    if (!fileName_.isEmpty()) return QFileInfo(fileName_).fileName();
    return untitledName_.isEmpty() ? QObject::tr("Untitled") : untitledName_;
}

void Document::setUntitledName(const QString& name) {
    untitledName_ = name;
    updateTitle();
    emit displayNameChanged();
}

void Document::updateChangeCount(ChangeType change) {
    const bool wasEdited = isDocumentEdited();
    switch (change) {
    case ChangeDone: ++changeCount_; break;
    case ChangeUndone: --changeCount_; break;
    case ChangeCleared:
        changeCount_ = 0;
        savedStateLost_ = false;
        break;
    }
    if (window_) window_->setWindowModified(isDocumentEdited());
    if (wasEdited != isDocumentEdited()) emit documentEditedChanged(isDocumentEdited());
}

void Document::updateTitle() {
    if (!window_) return;
    window_->setWindowFilePath(fileName_);
    window_->setWindowTitle(displayName() + QStringLiteral("[*]"));
    window_->setWindowModified(isDocumentEdited());
}

void Document::makeWindowControllers() {
    if (window_) return;
    DocumentWindow* window = makeWindow();
    window->setDocument(this);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window_ = window;
    try {
        windowControllerDidLoadNib();
    } catch (...) {
        window_ = nullptr;
        delete window;
        throw;
    }
    installDiskChangeBar();
    updateTitle();
}

void Document::windowControllerDidLoadNib() {
    if (auto* controller = DocumentController::sharedDocumentController()) {
        controller->prepareDocumentWindow(window_);
    }
}

void Document::showWindows() {
    if (!window_) return;
    window_->show();
    // Off screen there is nothing to raise (and the platform says so).
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window_->raise();
    window_->activateWindow();
    if (QWidget* first = initialFirstResponder()) first->setFocus(Qt::ActiveWindowFocusReason);
}

void Document::readFromFile(const QString& path) {
    // Taken before reading: a change made while the file is read shows as a
    // change since.
    const FileStamp stamp = FileStamp::of(path);
    auto bytes = readWholeFile(QFile::encodeName(path).toStdString());
    if (!loadDataRepresentationOfType(std::move(bytes), fileType())) {
        throw std::runtime_error("the content could not be read");
    }
    if (QFileInfo(path).absoluteFilePath() == fileName_) noteFileVersion(stamp);
}

void Document::writeToFile(const QString& path) {
    writeFileAtomically(QFile::encodeName(path).toStdString(), dataRepresentationOfType(fileType()));
}

bool Document::revertToSavedFromFileOfType(const QString& path, const QString&) {
    readFromFile(path);
    return true;
}

void Document::reportFailure(const QString& text, const QString& reason) {
    showMessage(window_, AlertStyle::Warning, text, reason);
}

bool Document::writeToFileReportingFailure(const QString& path, const QString& name) {
    try {
        writeToFile(path);
    } catch (const std::exception& error) {
        reportFailure(QObject::tr("The document “%1” could not be saved to “%2”.").arg(name, path),
                      QString::fromUtf8(error.what()));
        return false;
    }
    noteFileVersion(FileStamp::of(path));
    updateChangeCount(ChangeCleared);
    if (auto* controller = DocumentController::sharedDocumentController()) controller->noteNewRecentDocument(this);
    return true;
}

bool Document::saveDocument() {
    if (fileName_.isEmpty()) return saveDocumentAs();
    // The folder was removed or moved away: the user picks another place.
    if (!QFileInfo(QFileInfo(fileName_).absolutePath()).isDir()) return saveDocumentAs();
    if (!mayWriteOverFile()) return false;
    return writeToFileReportingFailure(fileName_, displayName());
}

bool Document::saveDocumentAs() {
    const QString& extension = applicationIdentity().documentType.extension;
    const QString suffix = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    QString suggested = fileName_;
    if (suggested.isEmpty()) {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
        suggested = QDir(folder).filePath(displayName() + suffix);
    }
    QString path = chooseSavePath(window_, suggested);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += suffix;
    if (QFileInfo(path).absoluteFilePath() == fileName_ && !mayWriteOverFile()) return false;
    const QString previous = fileName_;
    const QString previousName = displayName();
    // The name is taken first, as what is written may depend on it, but the
    // window shows it only once the file is there.
    fileName_ = QFileInfo(path).absoluteFilePath();
    if (writeToFileReportingFailure(fileName_, previousName)) {
        setFileName(fileName_);
        return true;
    }
    fileName_ = previous;
    return false;
}

bool Document::revertDocumentToSaved() {
    if (fileName_.isEmpty()) return false;
    if (!confirmRevert(window_, displayName())) return false;
    return rereadFileReportingFailure();
}

bool Document::rereadFileReportingFailure() {
    // Reading notes the file's version; a content that cannot be taken keeps
    // the version it came from.
    const FileStamp previous = fileWatch_->notedVersion();
    try {
        if (!revertToSavedFromFileOfType(fileName_, fileType())) {
            fileWatch_->noteVersion(previous);
            reportFailure(QObject::tr("The document “%1” could not be reverted.").arg(displayName()),
                          QObject::tr("The file could not be read."));
            return false;
        }
    } catch (const std::exception& error) {
        fileWatch_->noteVersion(previous);
        reportFailure(QObject::tr("The document “%1” could not be reverted to “%2”.").arg(displayName(), fileName_),
                      QString::fromUtf8(error.what()));
        return false;
    }
    // The steps recorded refer to the content just replaced.
    forgetUndoSteps();
    updateChangeCount(ChangeCleared);
    return true;
}

bool Document::canClose() {
    if (!isDocumentEdited()) return true;
    showWindows();
    switch (askSaveChanges(window_, displayName())) {
    // A save answered by going back to the file on disk leaves nothing to lose.
    case SaveChangesAnswer::Save: return saveDocument() || !isDocumentEdited();
    case SaveChangesAnswer::DontSave: return true;
    case SaveChangesAnswer::Cancel: return false;
    }
    return false;
}

void Document::close() {
    if (closing_) return;
    closing_ = true;
    forgetUndoSteps();
    windowWillClose();
    if (auto* controller = DocumentController::sharedDocumentController()) controller->removeDocument(this);
    if (window_) {
        window_->close();
        window_->deleteLater();
    }
    deleteLater();
}

bool Document::validateMenuItem(QAction* item) {
    const std::string action = menuItemAction(item);
    if (action == "revertDocumentToSaved:") return !fileName_.isEmpty() && isDocumentEdited();
    if (action == "undo:" || action == "redo:") {
        const UndoManager* manager = commandUndoManager();
        const bool undo = action == "undo:";
        if (manager == nullptr) {
            setMenuItemTitle(item, undo ? QObject::tr("Undo") : QObject::tr("Redo"));
            return false;
        }
        setMenuItemTitle(item, QString::fromStdString(undo ? manager->undoMenuItemTitle() : manager->redoMenuItemTitle()));
        return undo ? manager->canUndo() : manager->canRedo();
    }
    return true;
}

Responder* Document::nextResponder() const {
    return DocumentController::sharedDocumentController();
}

} // namespace cogbook
