// Editing a document's record: its fields in the outline's cells, the notes
// in the pane beside it, and parts and entries added and removed, each with
// its undo.
#include <QDateTime>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <utility>
#include <vector>

#include "document/MyDocument.h"
#include "document/ZRTextView.h"
#include "document/document_support.h"
#include "foundation/assertion.h"
#include "foundation/hooks.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"

namespace cogbook {

using namespace document_support;

namespace {

// Keys that would change the text of the notes pane.
bool editsText(const QKeyEvent* key) {
    if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) ||
        key->matches(QKeySequence::Delete) || key->matches(QKeySequence::DeleteEndOfWord) ||
        key->matches(QKeySequence::DeleteStartOfWord) || key->matches(QKeySequence::DeleteEndOfLine)) {
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab: return true;
    default: break;
    }
    const QString text = key->text();
    return !text.isEmpty() && text.front().isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

UndoManager& MyDocument::changeUndoManager() {
    if (UndoManager* manager = keyWindowUndoManager()) return *manager;
    return undoManager();
}

UndoManager* MyDocument::windowWillReturnUndoManager(DocumentWindow*) { return &undoManager(); }

QLineEdit* MyDocument::windowWillReturnFieldEditorToObject(DocumentWindow*, QObject* object) {
    return qobject_cast<ZROutlineView*>(object) ? _tableCellFieldEditor() : nullptr;
}

std::string MyDocument::labelOf(const ZRBicycleList* parent) const {
    return parent == theBike_.get() ? displayName().toStdString() : parent->partName();
}

void MyDocument::focusAfterChange(const ZRBicycleListPtr& item) {
    const UndoManager& history = changeUndoManager();
    // An undo or redo may run many changes, and so may a command on many
    // items; the outline is brought up to date once, for the last of them,
    // when it is done.
    if (history.isUndoing() || history.isRedoing() || undoManager().isUndoing() || undoManager().isRedoing() ||
        focusDeferred_ > 0) {
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

// ---------------------------------------------------------------------------
// Fields

void MyDocument::outlineViewSetObjectValueForTableColumnByItem(OutlineView*, const QVariant& value,
                                                               const TableColumn& column, void* item) {
    if (item == nullptr) {
        documentAssertion("outlineView:setObjectValue:forTableColumn:byItem:", this,
                          "outlineView:setObjectValue:forTableColumn:byItem: called for root object");
    }
    const ZRBicycleListPtr node = static_cast<ZRBicycleList*>(item)->shared_from_this();
    const QString& key = column.identifier();
    if (key == QLatin1String(kPartNameColumn)) {
        const std::string name = value.toString().toStdString();
        if (node->partName() == name) return;
        changeUndoManager().setActionName("Name Change");
        newPartNameForItem(name, node);
    } else if (key == QLatin1String(kDescriptionColumn)) {
        const std::string description = value.toString().toStdString();
        if (node->description() == description) return;
        changeUndoManager().setActionName("Description Change");
        newDescriptionForItem(description, node);
    } else if (key == QLatin1String(kDateColumn)) {
        const QDateTime date = value.toDateTime();
        if (!date.isValid() || outlineDate(node->date()) == date) return;
        changeUndoManager().setActionName("Date Change");
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
    changeUndoManager().registerUndoWithTarget(undoTarget(), [this, old = item->partName(), item, ownNames] {
        newPartNameForItem(old, item);
        for (const auto& [entry, entryName] : ownNames) entry->setPartName(entryName);
    });
    if (item->hasChildren()) item->propagatePartName(name);
    item->setPartName(name);
    focusAfterChange(item);
}

void MyDocument::newDescriptionForItem(const std::string& description, const ZRBicycleListPtr& item) {
    changeUndoManager().registerUndoWithTarget(undoTarget(), [this, old = item->description(), item] {
        newDescriptionForItem(old, item);
    });
    item->setDescription(description);
    focusAfterChange(item);
}

void MyDocument::newDateForItem(Date date, const ZRBicycleListPtr& item) {
    UndoManager& undo = changeUndoManager();
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

// ---------------------------------------------------------------------------
// Notes

const ZRBicycleList* MyDocument::itemShownInNotes() const {
    if (!bikeTable_ || bikeTable_->numberOfSelectedRows() != 1) return nullptr;
    return static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
}

void MyDocument::setNotesViewText(const QString& text) {
    if (!notesView_ || notesView_->toPlainText() == text) return;
    settingNotes_ = true;
    notesView_->setPlainText(text);
    settingNotes_ = false;
}

void MyDocument::outlineViewSelectionDidChange() {
    if (!notesView_ || !bikeTable_) return;
    const bool one = bikeTable_->numberOfSelectedRows() == 1;
    notesView_->setReadOnly(!one);
    if (one) {
        showNotesForItem(static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow())));
    } else {
        setNotesViewText(QString());
    }
}

void MyDocument::showNotesForItem(const ZRBicycleList* item) {
    if (item != nullptr) setNotesViewText(QString::fromStdString(item->notes()));
}

bool MyDocument::textShouldBeginEditing() {
    if (bikeTable_ && bikeTable_->numberOfSelectedRows() == 1) return true;
    beep();
    return false;
}

void MyDocument::textDidChange() {
    const double timestamp = currentEventTimestamp();
    // Typing joins the notes step only while that is still the latest thing
    // in the history: after an undo, a redo or any other change it would be
    // recorded nowhere (and a redo could write over it).
    const UndoManager& history = changeUndoManager();
    const bool stepIsLatest = &history == notesStepManager_ && history.generation() == notesStepGeneration_;
    _logNotesViewStringWithUndo(timestamp - lastTimeNotesViewTextChanged_ > kNotesUndoCoalescingInterval ||
                                !stepIsLatest);
    lastTimeNotesViewTextChanged_ = timestamp;
}

void MyDocument::textDidEndEditing() { _logNotesViewStringWithUndo(false); }

MyDocument& MyDocument::_logNotesViewStringWithUndo(bool withUndo) {
    if (!bikeTable_ || !notesView_ || bikeTable_->numberOfSelectedRows() != 1) return *this;
    if (withUndo) changeUndoManager().setActionName("Notes Change");
    const std::string notes = notesView_->toPlainText().toStdString();
    auto* item = static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
    if (item != nullptr) _newNotesForItemWithUndo(notes, item->shared_from_this(), withUndo);
    return *this;
}

void MyDocument::_newNotesForItemWithUndo(const std::string& notes, const ZRBicycleListPtr& item, bool withUndo) {
    const bool markerChanges = item->notes().empty() != notes.empty();
    if (withUndo) {
        UndoManager& history = changeUndoManager();
        history.registerUndoWithTarget(undoTarget(), [this, old = item->notes(), item] {
            _newNotesForItemWithUndo(old, item, true);
        });
        if (!history.isUndoing() && !history.isRedoing()) {
            notesStepManager_ = &history;
            notesStepGeneration_ = history.generation();
        }
    }
    item->setNotes(notes);
    // Undo and redo change the notes behind the pane's back: the pane shows
    // what the item holds, or the next keystroke would write the old text
    // back over them.
    if (item.get() == itemShownInNotes() && notesView_ && notesView_->toPlainText().toStdString() != notes) {
        setNotesViewText(QString::fromStdString(notes));
        notesView_->moveCursor(QTextCursor::End);
    }
    if (markerChanges && bikeTable_) bikeTable_->viewport()->update();
}

bool MyDocument::eventFilter(QObject* watched, QEvent* event) {
    if (watched != notesView_) return Document::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Undo and Redo are the document's, also while typing notes.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->ignore();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
        if (notesView_->isReadOnly() && editsText(static_cast<QKeyEvent*>(event))) {
            textShouldBeginEditing();
            return true;
        }
        return false;
    case QEvent::FocusOut: textDidEndEditing(); return false;
    default: return false;
    }
}

// ---------------------------------------------------------------------------
// Adding and removing

bool MyDocument::endCellEditing() {
    if (!bikeTable_ || bikeTable_->editedColumn() < 0) return true;
    DocumentWindow* window = documentWindow();
    return window != nullptr && window->makeFirstResponder(bikeTable_);
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
