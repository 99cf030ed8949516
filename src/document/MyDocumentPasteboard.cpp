// Moving and copying a document's items: Cut, Copy, Paste and Delete through
// the clipboard, drag and drop within one outline or between documents (and
// from another run of the program), and the outline's context menu.
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>

#include <algorithm>
#include <utility>
#include <vector>

#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "document/document_support.h"
#include "document/selection.h"
#include "foundation/hooks.h"
#include "foundation/undo_manager.h"
#include "model/item_payload.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/responder.h"

namespace cogbook {

namespace {

constexpr std::size_t kPartType = 0;
constexpr std::size_t kEntryType = 1;
constexpr std::size_t kItemsType = 2;

const std::string& itemsType() { return _ZRBikeTableDataTypes()[kItemsType]; }

MyDocument* documentOfView(const OutlineView* view) {
    return view ? dynamic_cast<MyDocument*>(view->dataSource()) : nullptr;
}

std::vector<ZRBicycleListPtr> nodesOf(const std::vector<void*>& items) {
    std::vector<ZRBicycleListPtr> nodes;
    nodes.reserve(items.size());
    for (void* item : items) {
        if (item != nullptr) nodes.push_back(static_cast<ZRBicycleList*>(item)->shared_from_this());
    }
    return nodes;
}

// The items of a payload from the clipboard or a drop, or nothing (with a
// beep) when there is none or it cannot be read.
std::optional<std::vector<ZRBicycleListPtr>> readPayload(const Pasteboard& pasteboard) {
    const auto bytes = pasteboard.dataForType(itemsType());
    if (!bytes) {
        beep();
        return std::nullopt;
    }
    try {
        return readItemsPayload(*bytes);
    } catch (const RecordFileError& error) {
        log(std::string("Items refused: ") + error.what());
        beep();
        return std::nullopt;
    }
}

// How many levels ITEM's subtree spans: 1 for an item with nothing below it.
std::size_t levelsOf(const ZRBicycleList& item) {
    std::size_t deepest = 0;
    std::vector<std::pair<const ZRBicycleList*, std::size_t>> pending{{&item, 1}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, level);
        for (std::size_t i = 0; i < node->numberOfChildren(); ++i) pending.emplace_back(node->childAtIndex(i).get(), level + 1);
    }
    return deepest;
}

// Whether ITEMS filed under PARENT leave the record within the depth that
// reading a record file accepts: a record saved deeper could not be opened
// again.
bool fitsUnder(const ZRBicycleList& parent, const std::vector<ZRBicycleListPtr>& items) {
    std::size_t above = 1; // the parent's own level, the bike's being 1
    for (ZRBicycleListPtr up = parent.parent(); up; up = up->parent()) ++above;
    return std::all_of(items.begin(), items.end(),
                       [&](const ZRBicycleListPtr& item) { return above + levelsOf(*item) <= kMaxRecordDepth; });
}

} // namespace

const std::vector<std::string>& _ZRBikeTableDataTypes() {
    static const bool registered = [] {
        const auto& types = ZRBikeTableDataTypes();
        registerPasteboardType(types[kPartType], QStringLiteral("application/x-cogbook-part"));
        registerPasteboardType(types[kEntryType], QStringLiteral("application/x-cogbook-entry"));
        registerPasteboardType(types[kItemsType], QStringLiteral("application/x-cogbook-items"));
        return true;
    }();
    (void)registered;
    return ZRBikeTableDataTypes();
}

class MyDocument::FocusBatch {
public:
    explicit FocusBatch(MyDocument& document) : document_(document) { ++document_.focusDeferred_; }
    ~FocusBatch() {
        if (--document_.focusDeferred_ == 0) document_.flushPendingFocus();
    }
    FocusBatch(const FocusBatch&) = delete;
    FocusBatch& operator=(const FocusBatch&) = delete;

private:
    MyDocument& document_;
};

void MyDocument::installPasteboardCommands() {
    addCommand("cut:", [this](QAction*) { cut(); });
    addCommand("copy:", [this](QAction*) { copy(); });
    addCommand("paste:", [this](QAction*) { paste(); });
    addCommand("delete:", [this](QAction*) { deleteItems(); });
}

void MyDocument::preparePasteboardViews() {
    bikeTable_->registerForDraggedTypes(_ZRBikeTableDataTypes());
    // Backspace deletes too, while the outline itself has the focus.
    auto* backspace = new QShortcut(QKeySequence(Qt::Key_Backspace), bikeTable_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(backspace, &QShortcut::activated, this, [this] {
        Application::performGuarded([this] { deleteItems(); });
    });
}

bool MyDocument::performTextCommand(std::string_view action) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || documentWindow() == nullptr || focus->window() != documentWindow()) return false;
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (action == "cut:") line->cut();
        else if (action == "copy:") line->copy();
        else if (action == "paste:") line->paste();
        else if (!line->isReadOnly()) line->del();
        return true;
    }
    if (auto* text = qobject_cast<QPlainTextEdit*>(focus)) {
        if (action == "copy:") {
            text->copy();
        } else if (text->isReadOnly()) {
            // The notes of no single item: nothing to change (the pane says why).
            textShouldBeginEditing();
        } else if (action == "cut:") {
            text->cut();
        } else if (action == "paste:") {
            text->paste();
        } else {
            text->textCursor().removeSelectedText();
        }
        return true;
    }
    return false;
}

std::optional<bool> MyDocument::validatePasteboardMenuItem(QAction* item) {
    const std::string action = menuItemAction(item);
    if (action != "cut:" && action != "copy:" && action != "paste:" && action != "delete:") return std::nullopt;
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && documentWindow() != nullptr && focus->window() == documentWindow() &&
        (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))) {
        return true;
    }
    if (action == "paste:") {
        return Pasteboard::generalPasteboard().availableTypeFromArray(_ZRBikeTableDataTypes()) == itemsType();
    }
    return bikeTable_ && bikeTable_->numberOfSelectedRows() > 0;
}

// ---------------------------------------------------------------------------
// The clipboard

bool MyDocument::_writeItemsToPasteboard(const std::vector<ZRBicycleListPtr>& items, Pasteboard& pasteboard) {
    // Beside the items, their text, for pasting into any other program.
    if (!pasteboard.declareTypes({itemsType(), std::string(kStringPasteboardType)})) return false;
    const bool stored = pasteboard.setDataForType(writeItemsPayload(items), itemsType());
    pasteboard.setStringForType(QString::fromStdString(textOfItems(items)), kStringPasteboardType);
    return stored;
}

void MyDocument::copy() {
    if (performTextCommand("copy:")) return;
    if (!bikeTable_ || bikeTable_->numberOfSelectedRows() == 0) {
        beep();
        return;
    }
    _writeItemsToPasteboard(_itemsForSelectedRowsInOutlineView(bikeTable_), Pasteboard::generalPasteboard());
}

bool MyDocument::removeSelectedItems() {
    const std::vector<ZRBicycleListPtr> items = _itemsForSelectedRowsInOutlineView(bikeTable_);
    // Rows that go while selected would change the selection once each, and
    // every change has the notes pane look at the rows again.
    bikeTable_->deselectAll();
    FocusBatch batch(*this);
    // The last row first: a node goes before any node above it, so every
    // position recorded for undo stays right.
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (!removeChild(*it)) return false;
    }
    return true;
}

void MyDocument::deleteItems() {
    if (performTextCommand("delete:")) return;
    if (!bikeTable_ || bikeTable_->numberOfSelectedRows() == 0) return;
    // An open cell edit that cannot end refuses the command before anything goes.
    if (!endCellEditing()) return;
    removeSelectedItems();
    undoManager().setActionName("Delete");
}

void MyDocument::cut() {
    if (performTextCommand("cut:")) return;
    if (!bikeTable_ || bikeTable_->numberOfSelectedRows() == 0) {
        beep();
        return;
    }
    if (!endCellEditing()) return;
    copy();
    removeSelectedItems();
    undoManager().setActionName("Cut");
}

void MyDocument::insertItemsForParentAtIndex(const std::vector<ZRBicycleListPtr>& items,
                                             const ZRBicycleListPtr& parent, std::int32_t index) {
    // The last first, each at the same index: they end up in order.
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        insertChildForParentAtIndex(*it, parent, index);
        // An entry takes the name of the part it lands in; at the top level
        // that is the bike's own name.
        if (!(*it)->expandable() && (*it)->partName() != parent->partName()) (*it)->setPartName(parent->partName());
    }
    rollUpDatesAbove(parent);
}

void MyDocument::selectItems(const std::vector<ZRBicycleListPtr>& items) {
    // One item is selected by the focus on it already.
    if (!bikeTable_ || items.size() < 2) return;
    std::vector<long> rows;
    rows.reserve(items.size());
    for (const auto& item : items) rows.push_back(bikeTable_->rowForItem(item.get()));
    bikeTable_->selectRowIndexesByExtendingSelection(rows, false);
}

void MyDocument::paste() {
    if (performTextCommand("paste:")) return;
    const Pasteboard& pasteboard = Pasteboard::generalPasteboard();
    if (pasteboard.availableTypeFromArray(_ZRBikeTableDataTypes()) != itemsType()) {
        beep();
        return;
    }
    const auto items = readPayload(pasteboard);
    if (!items) return;
    ZRBicycleListPtr parent = theBike_;
    std::int32_t index = 0;
    if (bikeTable_ && bikeTable_->numberOfSelectedRows() == 1) {
        auto* selected = static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
        if (selected != nullptr && selected->expandable()) {
            parent = selected->shared_from_this();
        } else if (selected != nullptr && selected->parent()) {
            parent = selected->parent();
            index = selected->childIndex() + 1;
        }
    }
    if (!fitsUnder(*parent, *items)) {
        beep();
        return;
    }
    if (!endCellEditing()) return;
    {
        FocusBatch batch(*this);
        insertItemsForParentAtIndex(*items, parent, index);
    }
    selectItems(*items);
    undoManager().setActionName("Paste");
}

// ---------------------------------------------------------------------------
// Drag and drop

bool MyDocument::outlineViewWriteItemsToPasteboard(OutlineView*, const std::vector<void*>& items,
                                                   Pasteboard& pasteboard) {
    const std::vector<ZRBicycleListPtr> nodes = nodesOf(items);
    if (nodes.empty()) return false;
    // A move takes its items from the selection: it must be what is dragged.
    if (nodes.size() == 1 && bikeTable_) {
        const long row = bikeTable_->rowForItem(nodes.front().get());
        if (row != kOutlineNoRow) bikeTable_->selectRowByExtendingSelection(row, false);
    }
    return _writeItemsToPasteboard(nodes, pasteboard);
}

DragOperation MyDocument::outlineViewValidateDropProposedItemProposedChildIndex(OutlineView* view,
                                                                              const DraggingInfo& info, void* item,
                                                                              long) {
    // Only items are taken; anything else any program drags is refused here.
    if (info.draggingPasteboard().availableTypeFromArray(_ZRBikeTableDataTypes()) != itemsType())
        return kDragOperationNone;
    OutlineView* source = info.draggingSource();
    auto* target = static_cast<ZRBicycleList*>(item);
    if (target != nullptr && source != nullptr && source == bikeTable_) {
        // Never onto or into a dragged item.
        for (const ZRBicycleListPtr& dragged : _itemsForSelectedRowsInOutlineView(source)) {
            for (const ZRBicycleList* up = target; up != nullptr && up != theBike_.get(); up = up->parent().get()) {
                if (up == dragged.get()) return kDragOperationNone;
            }
        }
    }
    if (target != nullptr && target->bikeTableItemDataType() == _ZRBikeTableDataTypes()[kEntryType]) {
        // Entries take no children: the items go among its siblings, before it.
        const ZRBicycleListPtr parent = target->parent();
        view->setDropItemDropChildIndex(parent == theBike_ ? nullptr : parent.get(), target->childIndex());
    }
    // A drag from elsewhere (another run of the program) can only copy: the
    // items it would move are not ours to take.
    copyDraggedItem_ = info.copyRequested() || documentOfView(source) == nullptr;
    return copyDraggedItem_ ? kDragOperationCopy : kDragOperationMove;
}

bool MyDocument::outlineViewAcceptDropItemChildIndex(OutlineView*, const DraggingInfo& info, void* item, long index) {
    const Pasteboard& pasteboard = info.draggingPasteboard();
    if (pasteboard.availableTypeFromArray(_ZRBikeTableDataTypes()) != itemsType()) {
        beep();
        return false;
    }
    auto i = static_cast<std::int32_t>(index == kOutlineDropOnItemIndex ? 0 : index);
    const ZRBicycleListPtr parent = item ? static_cast<ZRBicycleList*>(item)->shared_from_this() : theBike_;
    OutlineView* sourceView = info.draggingSource();
    MyDocument* source = documentOfView(sourceView);
    const bool copying = copyDraggedItem_ || source == nullptr;
    if (!endCellEditing()) return false;

    std::vector<ZRBicycleListPtr> items;
    std::vector<ZRBicycleListPtr> dragged;
    const auto refusedForDepth = [&](const std::vector<ZRBicycleListPtr>& nodes) {
        if (fitsUnder(*parent, nodes)) return false;
        beep();
        return true;
    };
    if (copying) {
        auto read = readPayload(pasteboard);
        if (!read || refusedForDepth(*read)) return false;
        items = std::move(*read);
    } else if (source != this) {
        // A move from another document: copies come here and the originals
        // go from there, each change on its own document's history, so that
        // each undoes on its own and no item is ever in both trees.
        auto read = readPayload(pasteboard);
        if (!read || refusedForDepth(*read)) return false;
        if (!source->endCellEditing()) {
            beep();
            return false;
        }
        if (!source->removeSelectedItems()) return false;
        source->undoManager().setActionName("Move");
        items = std::move(*read);
    }
    {
        // Removals and insertions alike: the outline catches up once.
        FocusBatch batch(*this);
        if (!copying && source == this) {
            dragged = _itemsForSelectedRowsInOutlineView(sourceView);
            if (refusedForDepth(dragged)) return false;
            bikeTable_->deselectAll();
            for (auto it = dragged.rbegin(); it != dragged.rend(); ++it) {
                const ZRBicycleListPtr& node = *it;
                if (node->parent() == parent) {
                    // Dropped just above itself: it stays where it is.
                    if (node->childIndex() == i) continue;
                    if (node->childIndex() < i) --i;
                }
                if (!removeChild(node)) break;
                items.insert(items.begin(), node);
            }
        }
        if (items.empty()) return true;
        insertItemsForParentAtIndex(items, parent, i);
    }
    // Items that stayed where they were (dropped just above themselves) are
    // still among those dragged: all of them end up selected.
    selectItems(dragged.size() > items.size() ? dragged : items);
    undoManager().setActionName(copying ? "Copy" : "Move");
    return true;
}

// ---------------------------------------------------------------------------
// Context menu

QMenu* MyDocument::outlineViewMenuForRow(OutlineView*, long) {
    if (!contextMenu_) {
        contextMenu_ = new QMenu(bikeTable_);
        contextMenu_->setAccessibleName(tr("Item commands"));
        makeMenuItem(contextMenu_, tr("Add Part"), "addPart:");
        makeMenuItem(contextMenu_, QLatin1String(ZRSWAddSubpartDisabledMITitle), "addSubpart:", {},
                     kAddSubpartMenuItemTag);
        makeMenuItem(contextMenu_, QLatin1String(ZRSWAddEntryDisabledMITitle), "addEntryForPart:", {},
                     kAddEntryForPartMenuItemTag);
        makeMenuItem(contextMenu_, tr("Add Entry for Bike"), "addEntryForBike:");
        contextMenu_->addSeparator();
        makeMenuItem(contextMenu_, tr("Cut"), "cut:");
        makeMenuItem(contextMenu_, tr("Copy"), "copy:");
        makeMenuItem(contextMenu_, tr("Paste"), "paste:");
        makeMenuItem(contextMenu_, tr("Delete"), "delete:");
        registerMenuForValidation(contextMenu_);
    }
    return contextMenu_;
}

} // namespace cogbook
