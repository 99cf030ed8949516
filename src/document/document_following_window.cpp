#include "document/document_following_window.h"

#include "document/MyDocument.h"
#include "platform/side_windows.h"
#include "platform/windows_menu.h"

namespace cogbook {

DocumentFollowingWindow::DocumentFollowingWindow(MyDocument* document, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(document) {
    connect(document, &MyDocument::recordChanged, this, &DocumentFollowingWindow::recordChanged);
    // The name stands in the title, and may stand in the rows (the bike's own entries).
    connect(document, &Document::displayNameChanged, this, [this] {
        retitle();
        recordChanged();
    });
    attachWindowToDocument(this, document);
}

DocumentFollowingWindow::~DocumentFollowingWindow() {
    removeWindowsItem(this);
}

void DocumentFollowingWindow::retitle() {
    if (!document_) return;
    const QString title = currentTitle();
    setWindowTitle(title);
    addWindowsItem(this, title);
}

void DocumentFollowingWindow::recordChanged() {
    // Hidden, it catches up in full as it shows again.
    stale_ = stale_ || !isVisible();
    if (stale_) return;
    if (const std::vector<ZRBicycleListPtr>* notes = document_ ? document_->changedNotesOnly() : nullptr)
        notesChanged(*notes);
    else
        refresh();
}

void DocumentFollowingWindow::notesChanged(const std::vector<ZRBicycleListPtr>&) {}

void DocumentFollowingWindow::showEvent(QShowEvent* event) {
    if (stale_) {
        stale_ = false;
        refresh();
    }
    QWidget::showEvent(event);
}

} // namespace cogbook
