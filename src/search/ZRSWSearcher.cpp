#include "search/ZRSWSearcher.h"

#include <memory>

#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "search/document_registry.h"
#include "search/text_matcher.h"

namespace cogbook {
namespace {

DocumentRegistry<ZRSWSearcher> searchers;

bool holdsString(const ZRBicycleList& item, const TextMatcher& matcher) {
    return matcher.matches(item.partName()) || matcher.matches(item.description()) || matcher.matches(item.notes());
}

} // namespace

ZRSWSearcher* ZRSWSearcher::searcherForDocument(ZRSWSearchableDocument* document) {
    if (document == nullptr) return nullptr;
    return searchers.findOrMake(document->documentIdentity(), [document] { return new ZRSWSearcher(document); });
}

std::size_t ZRSWSearcher::registeredSearcherCount() {
    return searchers.size();
}

ZRSWSearcher::ZRSWSearcher(ZRSWSearchableDocument* document)
    : searchDocument_(document), documentKey_(document->documentIdentity()) {
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, std::string(kZRBicycleListDeallocatingNotification), nullptr,
                       [this](const Notification& note) {
                           if (note.object == foundItem_.get()) foundItem_.reset();
                           if (note.object == bookmark_) bookmark_ = nullptr;
                       });
    center.addObserver(this, std::string(kSearchedDocumentWillDeallocNotification), nullptr,
                       [this](const Notification& note) { bikeDocumentWillDealloc(note.object); });
}

ZRSWSearcher::~ZRSWSearcher() {
    NotificationCenter::defaultCenter().removeObserver(this);
}

void ZRSWSearcher::bikeDocumentWillDealloc(const void* document) {
    if (document == nullptr || document != documentKey_) return;
    searchDocument_ = nullptr;
    foundItem_.reset();
    bookmark_ = nullptr;
    // Ends once the notification has been handled, not inside its handler.
    std::shared_ptr<ZRSWSearcher> self = searchers.release(documentKey_, this);
    if (!self) return;
    NotificationCenter::defaultCenter().removeObserver(this);
    performDeferred([self] {});
}

ZRBicycleListPtr ZRSWSearcher::step(const ZRBicycleListPtr& item) const {
    return backward_ ? item->previousPartOrEntry() : item->nextPartOrEntry();
}

ZRSWSearcher& ZRSWSearcher::resetSearchToStartAtItem(const ZRBicycleList* item) {
    foundItem_.reset();
    if (searchDocument_ == nullptr || !searchDocument_->searchRoot()) return *this;
    foundItem_ = searchDocument_->searchRoot();
    foundItem_->prepareAsRootOfSubtree();
    while (foundItem_ && foundItem_.get() != item) foundItem_ = step(foundItem_);
    return *this;
}

ZRBicycleListPtr ZRSWSearcher::_itemContainingSearchStringAfterItem(ZRBicycleListPtr item,
                                                                   const TextMatcher& matcher) const {
    for (item = step(item); item; item = step(item)) {
        if (holdsString(*item, matcher)) return item;
    }
    return nullptr;
}

ZRBicycleListPtr ZRSWSearcher::nextItemWithStringIgnoreCaseSearchBackward(const QString& string, bool ignoreCase,
                                                                          bool backward) {
    if (string.isEmpty()) return nullptr;
    backward_ = backward;
    ignoreCase_ = ignoreCase;
    currentSearchString_ = string;
    const ZRBicycleList* start = bookmark_;
    if (start == nullptr && searchDocument_) start = searchDocument_->searchRoot().get();
    resetSearchToStartAtItem(start);
    // A bookmark that left the tree ends the walk before it starts: nothing is
    // found after it, and the caller starts again from the root.
    if (!foundItem_) return nullptr;
    foundItem_ = _itemContainingSearchStringAfterItem(foundItem_, TextMatcher(string, ignoreCase));
    return foundItem_;
}

std::vector<ZRBicycleListPtr> ZRSWSearcher::allItemsWithStringIgnoreCase(const QString& string, bool ignoreCase) {
    std::vector<ZRBicycleListPtr> found;
    bookmark_ = nullptr;
    if (string.isEmpty() || searchDocument_ == nullptr || !searchDocument_->searchRoot()) return found;
    backward_ = false;
    ignoreCase_ = ignoreCase;
    currentSearchString_ = string;
    // One walk: each match continues from where the last one stopped, so the
    // items come in outline order, each once, the root never among them.
    resetSearchToStartAtItem(searchDocument_->searchRoot().get());
    const TextMatcher matcher(string, ignoreCase);
    for (ZRBicycleListPtr item = foundItem_; (item = _itemContainingSearchStringAfterItem(item, matcher));) {
        found.push_back(item);
    }
    foundItem_.reset();
    if (!found.empty()) bookmark_ = found.back().get();
    return found;
}

} // namespace cogbook
