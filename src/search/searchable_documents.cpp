#include "search/searchable_documents.h"

#include <utility>

#include "platform/document.h"
#include "search/ZRSWSearchableDocument.h"

namespace cogbook {
namespace {

SearchableDocumentLookup& installedLookup() {
    static SearchableDocumentLookup lookup;
    return lookup;
}

} // namespace

SearchableDocumentLookup setSearchableDocumentLookup(SearchableDocumentLookup lookup) {
    return std::exchange(installedLookup(), std::move(lookup));
}

ZRSWSearchableDocument* searchableDocumentFor(Document* document) {
    if (document == nullptr) return nullptr;
    if (const SearchableDocumentLookup& lookup = installedLookup()) return lookup(document);
    return dynamic_cast<ZRSWSearchableDocument*>(document);
}

} // namespace cogbook
