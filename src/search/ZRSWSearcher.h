// The one search engine: finds, in one document's record tree, the next or
// the previous item whose part name, description or notes contain a string.
// There is at most one searcher per open document, kept in a process-wide
// registry; it holds the document and items without owning them, and forgets
// them when they go.
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

#include "model/ZRBicycleList.h"
#include "search/ZRSWSearchableDocument.h"

namespace cogbook {

class TextMatcher;

class ZRSWSearcher {
public:
    // The document's searcher, made and registered on first use. The
    // registry owns it; it ends after its document's will-dealloc notification.
    static ZRSWSearcher* searcherForDocument(ZRSWSearchableDocument* document);
    // How many searchers are registered (the registry exists while nonzero).
    static std::size_t registeredSearcherCount();

    ~ZRSWSearcher();
    ZRSWSearcher(const ZRSWSearcher&) = delete;
    ZRSWSearcher& operator=(const ZRSWSearcher&) = delete;

    ZRSWSearchableDocument* searchDocument() const { return searchDocument_; }
    // The item after which the next search begins; null: at the root.
    ZRBicycleList* bookmark() const { return bookmark_; }
    void setBookmark(ZRBicycleList* item) { bookmark_ = item; }
    // After a reset the start item, after a search the item found (or null).
    ZRBicycleList* foundItem() const { return foundItem_.get(); }
    const QString& currentSearchString() const { return currentSearchString_; }
    bool searchesBackward() const { return backward_; }

    // Prepares a walk at the document's root and steps, in the current
    // direction, to ITEM; foundItem() ends null when ITEM is not in the tree.
    ZRSWSearcher& resetSearchToStartAtItem(const ZRBicycleList* item);
    // The first item after the bookmark (the root without one) that holds
    // STRING, in the given direction; null when there is none, or STRING is
    // empty (the searcher then stays as it was). The bike itself is never
    // examined.
    ZRBicycleListPtr nextItemWithStringIgnoreCaseSearchBackward(const QString& string, bool ignoreCase,
                                                                bool backward);
    // Every item holding STRING, in outline order, found in one forward walk
    // from the root. Leaves the bookmark on the last item found.
    std::vector<ZRBicycleListPtr> allItemsWithStringIgnoreCase(const QString& string, bool ignoreCase);

private:
    explicit ZRSWSearcher(ZRSWSearchableDocument* document);
    ZRBicycleListPtr step(const ZRBicycleListPtr& item) const;
    ZRBicycleListPtr _itemContainingSearchStringAfterItem(ZRBicycleListPtr item, const TextMatcher& matcher) const;
    void bikeDocumentWillDealloc(const void* document);

    ZRBicycleListPtr foundItem_;
    ZRSWSearchableDocument* searchDocument_ = nullptr;
    const void* documentKey_ = nullptr;
    ZRBicycleList* bookmark_ = nullptr;
    QString currentSearchString_;
    bool ignoreCase_ = false;
    bool backward_ = false;
};

} // namespace cogbook
