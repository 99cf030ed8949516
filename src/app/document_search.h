// Searching the program's documents: the find services every MyDocument
// uses, carried out by the search classes, and for each document searched
// the searchable adapter those classes see of it.
#pragma once

#include <cstddef>

namespace cogbook {

class MyDocument;
class ZRSWSearchableDocument;

// Installs the find services for every document, and the lookup by which
// the search classes reach an open document's adapter. The program does it
// as it starts; doing it again changes nothing.
void installDocumentSearch();

// What the search classes see of DOCUMENT, made on first use and kept until
// the document ends; null for a document already ending.
ZRSWSearchableDocument* searchableDocumentOf(MyDocument& document);
// The adapters alive now: one per document searched, none left behind by
// documents that have ended (once their end has been handled).
std::size_t documentSearchAdapterCount();

} // namespace cogbook
