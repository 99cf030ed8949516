// Adding and removing parts and entries, each with its undo. (Moving them
// through the pasteboard belongs beside this, in a file of its own.)
#include "document/MyDocument.h"

#include "document/document_support.h"
#include "foundation/hooks.h"
#include "foundation/undo_manager.h"

namespace cogbook {

using namespace document_support;

std::string MyDocument::labelOf(const ZRBicycleList* parent) const {
    if (parent != theBike_.get()) return parent->partName();
    // The bike goes by its document's name, without the file's extension, as
    // saving names it.
    const QString name = displayName();
    return displayNameWithoutExtension(name).value_or(name).toStdString();
}

// An add ends the open cell edit first, as a removal does: one that cannot
// end refuses the command with nothing changed.
void MyDocument::addPart() {
    if (endCellEditing()) _newPartWithParent(theBike_);
}

void MyDocument::addSubpart() {
    if (endCellEditing()) _newPartWithParent(findParentForAddAction());
}

void MyDocument::addEntryForPart() {
    if (endCellEditing()) _newEntryWithParent(findParentForAddAction());
}

void MyDocument::addEntryForBike() {
    if (endCellEditing()) _newEntryWithParent(theBike_);
}

MyDocument& MyDocument::_newPartWithParent(const ZRBicycleListPtr& parent) {
    if (!parent) documentAssertion("_newPartWithParent:", this, "MyDocument _newPartWithParent: - nil parent");
    ZRBicycleListPtr part = ZRBicycleList::create();
    part->setExpandable(true);
    part->setPartName(labelOf(parent.get()) + " subpart");
    const auto index = static_cast<std::int32_t>(parent->numberOfChildren());
    addPartOrEntryForParentAtIndexEditColumnWithIdentifier(part, parent, index, QLatin1String(kPartNameColumn));
    return *this;
}

MyDocument& MyDocument::_newEntryWithParent(const ZRBicycleListPtr& parent) {
    if (!parent) documentAssertion("_newEntryWithParent:", this, "MyDocument addEntry: - nil parent");
    ZRBicycleListPtr entry = ZRBicycleList::create();
    entry->setPartName(labelOf(parent.get()));
    entry->setDescription("Serviced");
    addPartOrEntryForParentAtIndexEditColumnWithIdentifier(entry, parent, 0, QLatin1String(kDescriptionColumn));
    return *this;
}

void MyDocument::addPartOrEntryForParentAtIndexEditColumnWithIdentifier(const ZRBicycleListPtr& node,
                                                                       const ZRBicycleListPtr& parent,
                                                                       std::int32_t index, const QString& column) {
    if (!parent) {
        documentAssertion("addPartOrEntry:forParent:atIndex:editColumnWithIdentifier:", this,
                          "MYDocument addPartOrEntry:forParent:atIndex:editColumnWithIdentifier: sent nil parent\n");
    }
    insertChildForParentAtIndex(node, parent, index);
    rollUpDatesAbove(parent);
    if (bikeTable_) {
        bikeTable_->editColumnRowWithEventSelect(bikeTable_->columnWithIdentifier(column),
                                                 bikeTable_->rowForItem(node.get()), nullptr, true);
    }
    undoManager().setActionName("Add");
}

ZRBicycleListPtr MyDocument::findParentForAddAction() {
    if (!bikeTable_) return theBike_;
    if (bikeTable_->numberOfSelectedRows() > 1) bikeTable_->deselectAll();
    if (bikeTable_->numberOfSelectedRows() == 1) {
        auto* node = static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
        if (node == nullptr) {
            documentAssertion("findParentForAddAction", this,
                              "MyDocument addPartOrEntry: - Won't be able to find parent of root.\n");
        }
        if (node->expandable()) return node->shared_from_this();
        if (ZRBicycleListPtr parent = node->parent()) return parent;
    }
    return theBike_;
}

void MyDocument::insertChildForParentAtIndex(ZRBicycleListPtr child, ZRBicycleListPtr parent,
                                             std::int32_t index) {
    // The tree refuses a bad position before it changes anything; the undo
    // is recorded only for an insertion that happened.
    const Date parentDate = parent->date();
    const bool hadChildList = parent->children() != nullptr;
    // Filing may give the child a fresh key, clear of a sibling's (a copy
    // pasted beside its original); taken out again, it has its own back.
    std::string keyBefore = child->creationDate();
    parent->insertChildPartOrEntryAtIndex(child, index);
    noteSubtreeFiled(*child, true);
    // The insertion may have moved the parent's date forward, and given a
    // part its first child list; undo takes both back.
    // On this document's own history, whichever window is key: a move from
    // another document records each half where it happened.
    undoManager().registerUndoWithTarget(undoTarget(), [this, child, parent, parentDate, hadChildList,
                                                         keyBefore = std::move(keyBefore)] {
        if (!removeChild(child)) return;
        parent->setDate(parentDate);
        if (!hadChildList) parent->discardEmptyChildren();
        child->setCreationDate(keyBefore);
    });
    if (!child->expandable()) {
        const std::string label = labelOf(parent.get());
        if (child->partName() != label) child->setPartName(label);
    }
    focusAfterChange(child);
}

bool MyDocument::removeChild(ZRBicycleListPtr child) {
    // Held by value: the caller's pointer may be the parent's own, which the
    // removal drops.
    const ZRBicycleListPtr parent = child->parent();
    if (!parent) return false;
    // An open cell edit ends (and commits) first; one that cannot end stops
    // the removal with nothing changed.
    if (!endCellEditing()) {
        log("Can't make bikeTable first responder in removeChild:");
        return false;
    }
    const std::int32_t index = child->childIndex();
    parent->removeChild(*child);
    noteSubtreeFiled(*child, false);
    // Filed back, an entry takes its part's name; one that had a name of its
    // own gets that back. Filing moves the part's date on to a later child's,
    // but the removal left that date alone: undo puts it back as it was.
    undoManager().registerUndoWithTarget(
        undoTarget(), [this, child, parent, index, name = child->partName(), parentDate = parent->date(),
                       key = child->creationDate()] {
            insertChildForParentAtIndex(child, parent, index);
            child->setPartName(name);
            child->setCreationDate(key);
            parent->setDate(parentDate);
        });
    if (parent == theBike_) {
        focusAfterChange(nullptr);
    } else {
        focusAfterChange(parent);
    }
    return true;
}

} // namespace cogbook
