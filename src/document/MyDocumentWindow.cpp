// The document's part in its window: the undo manager and field editor it
// lends, ending a cell edit, bringing the outline to a changed item, Expand
// All and Collapse All, and the menu items titled by the selection.
//
// Every change to the tree is recorded on the document's own undo manager,
// whichever window is key when it is committed: a cell edit ends on
// focus-out, when another document's window may already be active.
#include "document/MyDocument.h"

#include <utility>

#include "document/ZRSWDocumentNames.h"
#include "document/ZRTextView.h"
#include "document/document_support.h"
#include "foundation/undo_manager.h"

namespace cogbook {

using namespace document_support;

UndoManager* MyDocument::windowWillReturnUndoManager(DocumentWindow*) { return &undoManager(); }

QLineEdit* MyDocument::windowWillReturnFieldEditorToObject(DocumentWindow*, QObject* object) {
    return qobject_cast<ZROutlineView*>(object) ? _tableCellFieldEditor() : nullptr;
}

bool MyDocument::endCellEditing() {
    if (!bikeTable_ || bikeTable_->editedColumn() < 0) return true;
    DocumentWindow* window = documentWindow();
    return window != nullptr && window->makeFirstResponder(bikeTable_);
}

void MyDocument::focusAfterChange(const ZRBicycleListPtr& item) {
    // An undo or redo may run many changes; the outline is brought up to date
    // once, for the last of them, when it is done.
    if (undoManager().isUndoing() || undoManager().isRedoing() || focusDeferred_ > 0) {
        pendingFocus_ = PendingFocus{item};
        return;
    }
    pendingFocus_.reset();
    if (item) {
        focusOnItemByExtendingSelection(item.get(), false);
    } else if (bikeTable_) {
        bikeTable_->reloadData();
    }
}

void MyDocument::flushPendingFocus() {
    if (!pendingFocus_) return;
    const ZRBicycleListPtr item = std::exchange(pendingFocus_, std::nullopt)->item;
    focusAfterChange(item);
}

void MyDocument::focusOnItemByExtendingSelection(const ZRBicycleList* item, bool extend) {
    if (item == nullptr || !bikeTable_) return;
    // Only nodes of this document's tree below the bike can be focused; a
    // walk up from any other node would never meet the bike.
    std::vector<std::int32_t> path{item->childIndex()};
    ZRBicycleListPtr ancestor = item->parent();
    while (ancestor && ancestor != theBike_) {
        path.insert(path.begin(), ancestor->childIndex());
        ancestor = ancestor->parent();
    }
    if (!ancestor) return;
    bikeTable_->reloadData();
    const ZRBicycleList* current = theBike_.get();
    for (std::size_t level = 0; level + 1 < path.size(); ++level) {
        const std::int32_t index = path[level];
        if (index < 0 || static_cast<std::size_t>(index) >= current->numberOfChildren()) return;
        current = current->childAtIndex(static_cast<std::size_t>(index)).get();
        bikeTable_->expandItem(current);
    }
    const long row = bikeTable_->rowForItem(item);
    if (row == kOutlineNoRow) return;
    bikeTable_->selectRowByExtendingSelection(row, extend);
    bikeTable_->scrollRowToVisible(row);
}

void MyDocument::forEachTopLevelPartWithChildren(const std::function<void(const ZRBicycleList*)>& action) {
    for (std::size_t index = 0; index < theBike_->numberOfChildren(); ++index) {
        const ZRBicycleList* node = theBike_->childAtIndex(index).get();
        if (node->expandable() && node->hasChildren()) action(node);
    }
}

void MyDocument::expandAll() {
    if (!bikeTable_) return;
    forEachTopLevelPartWithChildren([this](const ZRBicycleList* part) { bikeTable_->expandItemExpandChildren(part, true); });
    bikeTable_->reloadData();
}

void MyDocument::collapseAll() {
    if (!bikeTable_) return;
    forEachTopLevelPartWithChildren(
        [this](const ZRBicycleList* part) { bikeTable_->collapseItemCollapseChildren(part, true); });
    bikeTable_->reloadData();
}

bool MyDocument::validateMenuItem(QAction* item) {
    const int tag = menuItemTag(item);
    if (tag > 12 && tag <= kAddEntryForPartMenuItemTag) {
        if (bikeTable_ && bikeTable_->numberOfSelectedRows() == 1) {
            const auto* node = static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
            const QString name = node ? QString::fromStdString(node->partName()) : QString();
            setMenuItemTitle(item, QLatin1String(tag == kAddSubpartMenuItemTag ? ZRSWAddSubpartMITitlePrefix
                                                                               : ZRSWAddEntryMITitlePrefix) +
                                       name);
            return true;
        }
        setMenuItemTitle(item, QLatin1String(tag == kAddSubpartMenuItemTag ? ZRSWAddSubpartDisabledMITitle
                                                                           : ZRSWAddEntryDisabledMITitle));
        return false;
    }
    if (const std::optional<bool> enabled = validatePasteboardMenuItem(item)) return *enabled;
    if (const std::optional<bool> enabled = validateServiceMenuItem(item)) return *enabled;
    return Document::validateMenuItem(item);
}

QWidget* MyDocument::initialFirstResponder() const {
    return bikeTable_;
}

} // namespace cogbook
