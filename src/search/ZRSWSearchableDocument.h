// What the search classes need of a document: its record tree, its window and
// views, and focusing on an item. The program implements it over each of its
// documents; the search classes never see more of one.
#pragma once

#include <QString>

#include <string_view>

#include "model/ZRBicycleList.h"

class QPlainTextEdit;
class QWidget;

namespace cogbook {

// Posted by a document as it ends, with the document (documentIdentity()) as
// object: every search class drops what it holds of that document.
inline constexpr std::string_view kSearchedDocumentWillDeallocNotification =
    "ZRSW Bike document will dealloc notification";

class ZRSWSearchableDocument {
public:
    virtual ~ZRSWSearchableDocument() = default;

    // The object the document posts its notifications with; unique among live
    // documents and stable while the document lives.
    virtual const void* documentIdentity() const = 0;
    // The bike at the top of the record tree.
    virtual const ZRBicycleListPtr& searchRoot() const = 0;
    // The item of the selected row lowest on screen, or null with none selected.
    virtual ZRBicycleList* lastSelectedItem() const = 0;
    // Expands the item's ancestors, selects its row alone and scrolls to it.
    virtual void focusOnSearchResult(const ZRBicycleList* item) = 0;
    // The pane showing the selected item's notes.
    virtual QPlainTextEdit* searchNotesView() const = 0;
    virtual QWidget* searchDocumentWindow() const = 0;

    // The bike's name, as captions and titles show it.
    QString bikeName() const {
        const ZRBicycleListPtr& root = searchRoot();
        return root ? QString::fromStdString(root->partName()) : QString();
    }
};

} // namespace cogbook
