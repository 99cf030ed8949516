// Field edits in the outline's cells: a part's name (handed on to its
// entries), a description, a date (rolled up to the parts above); each
// registers the same change with the old value as its undo.
#include "document/MyDocument.h"

#include <QDateTime>

#include <utility>
#include <vector>

#include "document/document_support.h"
#include "foundation/undo_manager.h"

namespace cogbook {

using namespace document_support;

void MyDocument::outlineViewSetObjectValueForTableColumnByItem(OutlineView*, const QVariant& value,
                                                               const TableColumn& column, void* item) {
    if (item == nullptr) {
        documentAssertion("outlineView:setObjectValue:forTableColumn:byItem:", this,
                          "outlineView:setObjectValue:forTableColumn:byItem: called for root object");
    }
    const ZRBicycleListPtr node = static_cast<ZRBicycleList*>(item)->shared_from_this();
    const QString& key = column.identifier();
    if (setServiceColumnValue(key, value, node)) return;
    if (key == QLatin1String(kPartNameColumn)) {
        const std::string name = value.toString().toStdString();
        if (node->partName() == name) return;
        undoManager().setActionName("Name Change");
        newPartNameForItem(name, node);
    } else if (key == QLatin1String(kDescriptionColumn)) {
        const std::string description = value.toString().toStdString();
        if (node->description() == description) return;
        undoManager().setActionName("Description Change");
        newDescriptionForItem(description, node);
    } else if (key == QLatin1String(kDateColumn)) {
        const QDateTime date = value.toDateTime();
        if (!date.isValid() || outlineDate(node->date()) == date) return;
        undoManager().setActionName("Date Change");
        newDateForItem(dateFromOutline(date), node);
    }
}

void MyDocument::newPartNameForItem(const std::string& name, const ZRBicycleListPtr& item) {
    // Undo gives the entries the old part name again; an entry that had a
    // name of its own gets that back too, so that undo restores what was.
    std::vector<std::pair<ZRBicycleListPtr, std::string>> ownNames;
    if (item->hasChildren()) {
        for (std::size_t index = 0; index < item->numberOfChildren(); ++index) {
            const ZRBicycleListPtr& child = item->childAtIndex(index);
            if (!child->expandable() && child->partName() != item->partName())
                ownNames.emplace_back(child, child->partName());
        }
    }
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = item->partName(), item, ownNames] {
        newPartNameForItem(old, item);
        for (const auto& [entry, entryName] : ownNames) entry->setPartName(entryName);
    });
    if (item->hasChildren()) item->propagatePartName(name);
    item->setPartName(name);
    focusAfterChange(item);
}

void MyDocument::newDescriptionForItem(const std::string& description, const ZRBicycleListPtr& item) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = item->description(), item] {
        newDescriptionForItem(old, item);
    });
    item->setDescription(description);
    focusAfterChange(item);
}

void MyDocument::newDateForItem(Date date, const ZRBicycleListPtr& item) {
    UndoManager& undo = undoManager();
    // Up the ancestors (not the bike) while a part's latest child date differs
    // from its own; each change records its own undo. A walk, not recursion,
    // however deep the tree. Undo and redo bring back each recorded date as
    // it was and roll nothing up: what the roll-up changed was recorded too.
    const bool replaying = undo.isUndoing() || undo.isRedoing();
    ZRBicycleListPtr node = item;
    Date next = date;
    for (;;) {
        undo.registerUndoWithTarget(undoTarget(), [this, old = node->date(), node] { newDateForItem(old, node); });
        node->setDate(next);
        const ZRBicycleListPtr parent = node->parent();
        if (replaying || !parent || parent == theBike_) break;
        Date latest = node->date();
        for (std::size_t index = 0; index < parent->numberOfChildren(); ++index)
            latest = latest.laterDate(parent->childAtIndex(index)->date());
        if (latest == parent->date()) break;
        node = parent;
        next = latest;
    }
    focusAfterChange(item);
}

} // namespace cogbook
