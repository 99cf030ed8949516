// What the document asks of searching: the find commands, the toolbar's
// search field and its window coming to the front. The document knows only
// this interface; the program installs the one that searches, so that the
// document and the search classes stay side by side, neither including the
// other.
#pragma once

#include <QString>

namespace cogbook {

class MyDocument;

class DocumentFindServices {
public:
    virtual ~DocumentFindServices() = default;

    // DOCUMENT's window became key: it is the document the find panel searches.
    virtual void documentWindowDidBecomeKey(MyDocument& document) = 0;
    // A find command sent to DOCUMENT, by its tag: show the find panel, find
    // next, find previous or use the selection for find.
    virtual void performFindPanelAction(MyDocument& document, int tag) = 0;
    // The toolbar's search field of DOCUMENT sent TEXT: list every item
    // holding it.
    virtual void searchUsingToolbarText(MyDocument& document, const QString& text) = 0;
    // Opens the find panel on DOCUMENT.
    virtual void showSearchPanel(MyDocument& document) = 0;
};

// The services every document uses, not owned; null (the default) leaves the
// find commands beeping, with one line in the log saying why. Installing
// (null too) says so again on the next refusal. Answers the previous services.
DocumentFindServices* setDocumentFindServices(DocumentFindServices* services);
DocumentFindServices* documentFindServices();
// The installed services, for a find command about to use them; with none,
// beeps (and logs, the first time) and answers null.
DocumentFindServices* documentFindServicesOrBeep();

} // namespace cogbook
