// The document's side of searching: the find commands from the menus, the
// outline and the toolbar, and telling the find panel which document is in
// front.
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <optional>

#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/hooks.h"
#include "search/ZRSWFindManager.h"
#include "search/ZRSWSearchReport.h"
#include "search/find_string.h"

namespace cogbook {

static_assert(kSearchedDocumentWillDeallocNotification == kZRSWBikeDocumentWillDeallocNotification,
              "the search classes listen for the notification the document posts as it ends");

namespace {

// Tells the document each time its window becomes key.
class KeyWindowWatcher : public QObject {
public:
    KeyWindowWatcher(MyDocument* document, QWidget* window) : QObject(window), document_(document) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && document_ && watched == parent()) document_->windowDidBecomeKey();
        return false;
    }

private:
    QPointer<MyDocument> document_;
};

// The selected text of a text field or text pane, if WIDGET is one.
std::optional<QString> selectedTextOf(QWidget* widget) {
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->selectedText();
    if (auto* pane = qobject_cast<QPlainTextEdit*>(widget)) {
        QString text = pane->textCursor().selectedText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return text;
    }
    return std::nullopt;
}

} // namespace

void MyDocument::installFindCommands() {
    addCommand("performFindPanelAction:", [this](QAction* sender) { performFindPanelAction(sender); });
    addCommand("searchUsingToolbarTextField:", [this](QAction*) { searchUsingToolbarTextField(); });
    addCommand("searchUsingSearchPanel:", [this](QAction*) { searchUsingSearchPanel(); });
}

ZRBicycleList* MyDocument::lastSelectedItem() const {
    if (!bikeTable_) return nullptr;
    const std::vector<long> rows = bikeTable_->selectedRowIndexes();
    if (rows.empty()) return nullptr;
    return static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(*std::max_element(rows.begin(), rows.end())));
}

QWidget* MyDocument::searchDocumentWindow() const {
    return documentWindow();
}

void MyDocument::windowDidBecomeKey() {
    ZRSWFindManager::sharedFindManager()->setCurrentDocument(this);
}

void MyDocument::performFindPanelAction(QAction* sender) {
    const int tag = sender ? menuItemTag(sender) : kFindPanelActionShowFindPanel;
    ZRSWFindManager* manager = ZRSWFindManager::sharedFindManager();
    if (tag == kFindPanelActionSetFindString) {
        // A text field or the notes pane takes its selection as the find
        // string; the outline has none to give.
        QWidget* focus = QApplication::focusWidget();
        const DocumentWindow* window = documentWindow();
        if (focus && window && window->isAncestorOf(focus)) {
            if (const std::optional<QString> selected = selectedTextOf(focus)) {
                if (!selected->isEmpty()) publishFindString(*selected);
                manager->setSearchString(std::nullopt);
                return;
            }
        }
        log("MyDocument does not handle NSFindPanelActionSetFindString");
        beep();
        return;
    }
    if (tag == kFindPanelActionNext || tag == kFindPanelActionPrevious) {
        // The menu searches this window's document even before the window
        // was ever key.
        manager->setCurrentDocument(this);
        manager->setSearchBackward(tag == kFindPanelActionPrevious);
        manager->nextItem();
        return;
    }
    manager->runFindPanelForBikeDocument(this);
}

void MyDocument::searchUsingToolbarTextField() {
    const QString text = toolbarSearchField_ ? toolbarSearchField_->text() : QString();
    if (!text.isEmpty()) publishFindString(text);
    ZRSWSearchReport::searchReportForDocument(this)->showSearchResultsForStringIgnoreCase(text, true);
}

void MyDocument::searchUsingSearchPanel() {
    ZRSWFindManager::sharedFindManager()->runFindPanelForBikeDocument(this);
}

void MyDocument::watchForKeyWindow() {
    if (DocumentWindow* window = documentWindow()) new KeyWindowWatcher(this, window);
}

} // namespace cogbook
