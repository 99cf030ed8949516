#include "app/document_search.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <map>
#include <memory>
#include <optional>

#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "document/document_find_services.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "search/ZRSWFindManager.h"
#include "search/ZRSWSearchReport.h"
#include "search/ZRSWSearchableDocument.h"
#include "search/find_string.h"
#include "search/searchable_documents.h"

namespace cogbook {

static_assert(kSearchedDocumentWillDeallocNotification == kZRSWBikeDocumentWillDeallocNotification,
              "the search classes listen for the notification the document posts as it ends");

namespace {

// One document as the search classes see it. Its identity is the object the
// document posts its notifications with, so the search classes drop what
// they hold of it as the document ends; the adapter itself ends after them.
class DocumentSearchAdapter final : public ZRSWSearchableDocument {
public:
    explicit DocumentSearchAdapter(MyDocument* document)
        : document_(document), identity_(static_cast<const void*>(document)) {}

    const void* documentIdentity() const override { return identity_; }
    const ZRBicycleListPtr& searchRoot() const override {
        static const ZRBicycleListPtr none;
        return document_ ? document_->theBikePointer() : none;
    }
    ZRBicycleList* lastSelectedItem() const override { return document_ ? document_->lastSelectedItem() : nullptr; }
    void focusOnSearchResult(const ZRBicycleList* item) override {
        if (document_) document_->focusOnItemByExtendingSelection(item, false);
    }
    QPlainTextEdit* searchNotesView() const override { return document_ ? document_->notesView() : nullptr; }
    QWidget* searchDocumentWindow() const override { return document_ ? document_->documentWindow() : nullptr; }

    // The document has ended: from now on the adapter answers as one with
    // nothing to search.
    void documentDidEnd() { document_ = nullptr; }

private:
    MyDocument* document_;
    const void* identity_;
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

class DocumentSearch final : public DocumentFindServices {
public:
    DocumentSearch() {
        NotificationCenter::defaultCenter().addObserver(
            this, std::string(kZRSWBikeDocumentWillDeallocNotification), nullptr,
            [this](const Notification& note) { documentWillDealloc(note.object); });
    }

    ZRSWSearchableDocument* adapterFor(MyDocument& document) {
        const void* identity = static_cast<const void*>(&document);
        if (const auto found = adapters_.find(identity); found != adapters_.end()) return found->second.get();
        // An ending document gets no new adapter: nothing would remove it.
        if (document.isEnding()) return nullptr;
        return adapters_.emplace(identity, std::make_unique<DocumentSearchAdapter>(&document)).first->second.get();
    }
    std::size_t adapterCount() const { return adapters_.size(); }

    void documentWindowDidBecomeKey(MyDocument& document) override {
        if (ZRSWSearchableDocument* searchable = adapterFor(document)) {
            ZRSWFindManager::sharedFindManager()->setCurrentDocument(searchable);
        }
    }

    void performFindPanelAction(MyDocument& document, int tag) override {
        ZRSWSearchableDocument* searchable = adapterFor(document);
        if (searchable == nullptr) return;
        ZRSWFindManager* manager = ZRSWFindManager::sharedFindManager();
        if (tag == kFindPanelActionSetFindString) {
            // A text field or the notes pane takes its selection as the find
            // string; the outline has none to give.
            QWidget* focus = QApplication::focusWidget();
            const DocumentWindow* window = document.documentWindow();
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
            manager->setCurrentDocument(searchable);
            manager->setSearchBackward(tag == kFindPanelActionPrevious);
            manager->nextItem();
            return;
        }
        manager->runFindPanelForBikeDocument(searchable);
    }

    void searchUsingToolbarText(MyDocument& document, const QString& text) override {
        ZRSWSearchableDocument* searchable = adapterFor(document);
        if (searchable == nullptr) return;
        if (!text.isEmpty()) publishFindString(text);
        ZRSWSearchReport::searchReportForDocument(searchable)->showSearchResultsForStringIgnoreCase(text, true);
    }

    void showSearchPanel(MyDocument& document) override {
        if (ZRSWSearchableDocument* searchable = adapterFor(document)) {
            ZRSWFindManager::sharedFindManager()->runFindPanelForBikeDocument(searchable);
        }
    }

private:
    // The search classes drop the adapter while this notification is
    // handled, in whatever order they hear it: it ends once it has been.
    void documentWillDealloc(const void* document) {
        const auto found = adapters_.find(document);
        if (found == adapters_.end()) return;
        std::shared_ptr<DocumentSearchAdapter> ended(found->second.release());
        adapters_.erase(found);
        ended->documentDidEnd();
        performDeferred([ended] {});
    }

    std::map<const void*, std::unique_ptr<DocumentSearchAdapter>> adapters_;
};

// Lives as long as the program: documents may end as late as the program
// does, and nothing of it is left to tear down after the notification centre.
DocumentSearch* programSearch = nullptr;

DocumentSearch& programDocumentSearch() {
    if (programSearch == nullptr) programSearch = new DocumentSearch;
    return *programSearch;
}

} // namespace

void installDocumentSearch() {
    DocumentSearch& search = programDocumentSearch();
    if (documentFindServices() != &search) setDocumentFindServices(&search);
    setSearchableDocumentLookup([](Document* document) -> ZRSWSearchableDocument* {
        auto* bikeDocument = dynamic_cast<MyDocument*>(document);
        return bikeDocument ? programDocumentSearch().adapterFor(*bikeDocument) : nullptr;
    });
}

ZRSWSearchableDocument* searchableDocumentOf(MyDocument& document) {
    return programDocumentSearch().adapterFor(document);
}

std::size_t documentSearchAdapterCount() {
    return programSearch ? programSearch->adapterCount() : 0;
}

} // namespace cogbook
