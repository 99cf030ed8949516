// The document's side of searching: the find commands from the menus, the
// outline and the toolbar, and telling the searching which document is in
// front. The searching itself is the installed find services' work.
#include <QAction>
#include <QEvent>
#include <QLineEdit>

#include <algorithm>

#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "document/document_find_services.h"

namespace cogbook {
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

void MyDocument::windowDidBecomeKey() {
    if (DocumentFindServices* services = documentFindServices()) services->documentWindowDidBecomeKey(*this);
}

void MyDocument::performFindPanelAction(QAction* sender) {
    const int tag = sender ? menuItemTag(sender) : kFindPanelActionShowFindPanel;
    if (DocumentFindServices* services = documentFindServicesOrBeep()) services->performFindPanelAction(*this, tag);
}

void MyDocument::searchUsingToolbarTextField() {
    const QString text = toolbarSearchField_ ? toolbarSearchField_->text() : QString();
    if (DocumentFindServices* services = documentFindServicesOrBeep()) services->searchUsingToolbarText(*this, text);
}

void MyDocument::searchUsingSearchPanel() {
    if (DocumentFindServices* services = documentFindServicesOrBeep()) services->showSearchPanel(*this);
}

void MyDocument::watchForKeyWindow() {
    if (DocumentWindow* window = documentWindow()) new KeyWindowWatcher(this, window);
}

} // namespace cogbook
