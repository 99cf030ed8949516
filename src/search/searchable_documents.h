// How the search classes reach the searchable side of an open document, when
// they look through the document controller's list (the find panel moving on
// to another document as its own ends). A document may implement
// ZRSWSearchableDocument itself, or the program may keep one for it beside
// it; the program then installs the lookup that finds that one.
#pragma once

#include <functional>

namespace cogbook {

class Document;
class ZRSWSearchableDocument;

// Answers null for a document that cannot be searched, or that is ending.
using SearchableDocumentLookup = std::function<ZRSWSearchableDocument*(Document* document)>;

// An empty lookup restores the default: the document itself, when it is
// searchable. Answers the previous lookup.
SearchableDocumentLookup setSearchableDocumentLookup(SearchableDocumentLookup lookup);
ZRSWSearchableDocument* searchableDocumentFor(Document* document);

} // namespace cogbook
