// A document and the other programs that write its file: the file's version
// is remembered at every read and write, a save over a newer version asks
// first, and a change on disk reaches the window while it is open.
#include <QFileInfo>

#include <algorithm>
#include <QPushButton>

#include "platform/application.h"
#include "platform/alerts.h"
#include "platform/disk_change_bar.h"
#include "platform/document.h"
#include "platform/file_watch.h"
#include "platform/outline_view.h"

namespace cogbook {

void Document::startWatchingFile() {
    fileWatch_ = new FileWatch(this);
    connect(fileWatch_, &FileWatch::fileChangedOnDisk, this, [this](const FileStamp& current) {
        Application::performGuarded([&] { fileDidChangeOnDisk(current); });
    });
}

void Document::installDiskChangeBar() {
    if (!window_ || diskChangeBar_) return;
    diskChangeBar_ = DiskChangeBar::installIn(window_);
    connect(diskChangeBar_, &DiskChangeBar::reloadRequested, this, [this] {
        Application::performGuarded([this] { reloadFromDiskChangeBar(); });
    });
    connect(diskChangeBar_, &DiskChangeBar::keepMineRequested, this, [this] {
        Application::performGuarded([this] { keepMineOverDiskVersion(); });
    });
}

DiskChangeBar* Document::diskChangeBar() const { return diskChangeBar_; }

void Document::noteFileVersion(const FileStamp& stamp) {
    fileWatch_->noteVersion(stamp);
    // What the bar offered is settled: the document and the file agree again.
    if (diskChangeBar_) diskChangeBar_->hide();
}

bool Document::hasEditInProgress() const {
    if (!window_) return false;
    const auto views = window_->findChildren<OutlineView*>();
    return std::any_of(views.begin(), views.end(), [](const OutlineView* view) { return view->currentEditor() != nullptr; });
}

void Document::fileDidChangeOnDisk(const FileStamp& current) {
    // Removed or moved away: the document keeps its content, and saving
    // writes the file again.
    if (!current.exists || closing_) return;
    const QString name = QFileInfo(fileName_).fileName();
    if (!isDocumentEdited() && !hasEditInProgress()) {
        const FileStamp previous = fileWatch_->notedVersion();
        try {
            if (revertToSavedFromFileOfType(fileName_, fileType())) {
                forgetUndoSteps();
                updateChangeCount(ChangeCleared);
                return;
            }
            fileWatch_->noteVersion(previous);
            if (diskChangeBar_) {
                diskChangeBar_->showMessage(
                    tr("The file “%1” has been changed by another program, and its new version cannot be read.").arg(name));
            }
        } catch (const std::exception& error) {
            // Perhaps caught halfway through being written: the next change
            // looks again. Until then the window says why it shows the old one.
            fileWatch_->noteVersion(previous);
            if (diskChangeBar_) {
                diskChangeBar_->showMessage(
                    tr("The file “%1” has been changed by another program, and its new version cannot be read: %2")
                        .arg(name, QString::fromUtf8(error.what())));
            }
        }
        return;
    }
    if (diskChangeBar_) {
        diskChangeBar_->showMessage(tr("The file “%1” has been changed by another program. Reload it and lose the "
                                       "changes made here, or keep yours and replace it when you save?")
                                        .arg(name));
    }
}

bool Document::mayWriteOverFile() {
    if (!fileWatch_->changedSinceNoted(false)) return true;
    switch (askSaveOverChangedFile(window_, displayName())) {
    case ChangedFileAnswer::SaveAnyway: return true;
    case ChangedFileAnswer::Revert: rereadFileReportingFailure(); return false;
    case ChangedFileAnswer::Cancel: return false;
    }
    return false;
}

void Document::reloadFromDiskChangeBar() {
    rereadFileReportingFailure();
}

void Document::keepMineOverDiskVersion() {
    // The file holds another version now: saving may replace it without
    // asking again, and no undo leads back to what the file holds.
    noteFileVersion(FileStamp::of(fileName_));
    const bool wasEdited = isDocumentEdited();
    savedStateLost_ = true;
    if (window_) window_->setWindowModified(true);
    if (!wasEdited) emit documentEditedChanged(true);
}

} // namespace cogbook
