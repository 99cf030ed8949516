#include "platform/outline_item_model.h"

#include <QDate>
#include <QDateTime>
#include <QItemSelectionModel>
#include <QLocale>

#include <algorithm>
#include <iterator>
#include <limits>

namespace cogbook {

namespace {

// Counts a callback of the data source for as long as it runs.
class Asking {
public:
    explicit Asking(int& count) : count_(count) { ++count_; }
    ~Asking() { --count_; }
    Asking(const Asking&) = delete;
    Asking& operator=(const Asking&) = delete;

private:
    int& count_;
};

void renumber(OutlineNode* node, std::size_t from) {
    for (std::size_t i = from; i < node->children.size(); ++i) node->children[i]->row = static_cast<int>(i);
}

} // namespace

OutlineNode::~OutlineNode() {
    std::vector<std::unique_ptr<OutlineNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<OutlineNode> last = std::move(pending.back());
        pending.pop_back();
        std::move(last->children.begin(), last->children.end(), std::back_inserter(pending));
        last->children.clear();
    }
}

// What a reload has to carry from the first structural change to its end.
struct OutlineItemModel::ReloadState {
    // Rows taken out stay alive until the end, so that their items cannot be
    // freed and their addresses given to new items while we still compare.
    std::vector<std::unique_ptr<OutlineNode>> removed;
    // Items of removed rows that were expanded: if they come back, so does
    // their expansion.
    std::unordered_set<const void*> expanded;
    bool changed = false;
    std::unordered_set<const void*> selected;
    OutlineItem current;
    std::vector<OutlineItem> reselect;
    bool layoutScheduled = false;

    // Every row insertion or removal has the base model walk all persistent
    // indexes (the view's expanded rows among them), so a reload that changes
    // rows under many parents tells of the rest as one layout change once it
    // has told of a few; the view's state is then kept here by node until the
    // persistent indexes are moved at the end.
    int rowChanges = 0;
    bool batched = false;
    std::unordered_set<const OutlineNode*> expandedNodes; // shown expanded, or to be
    std::unordered_set<const OutlineNode*> selectedNodes; // when the batch began
    std::unordered_set<const OutlineNode*> gone;          // taken out during the batch
    const OutlineNode* currentNode = nullptr;             // where the current row is going
    bool selectionLost = false;
    std::vector<const OutlineNode*> toExpand;
    std::vector<const OutlineNode*> toCollapse;
    std::vector<const OutlineNode*> toRefresh;
};

OutlineItemModel::OutlineItemModel(OutlineView* view) : view_(view) { root_.expandable = true; }

OutlineItemModel::~OutlineItemModel() = default;

QModelIndex OutlineItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= columnCount() || (parent.isValid() && parent.column() != 0)) return {};
    OutlineNode* node = parent.isValid() ? nodeForIndex(parent) : &root_;
    if (node == nullptr) return {};
    ensureLoaded(node);
    if (static_cast<std::size_t>(row) >= node->children.size()) return {};
    return createIndex(row, column, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex OutlineItemModel::parent(const QModelIndex& child) const {
    const OutlineNode* node = nodeForIndex(child);
    if (node == nullptr || node->parent == nullptr || node->parent == &root_) return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int OutlineItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    OutlineNode* node = parent.isValid() ? nodeForIndex(parent) : &root_;
    if (node == nullptr || !node->expandable) return 0;
    ensureLoaded(node);
    return static_cast<int>(node->children.size());
}

int OutlineItemModel::columnCount(const QModelIndex&) const { return static_cast<int>(view_->columns_.size()); }

bool OutlineItemModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return rowCount(parent) > 0;
    if (parent.column() != 0) return false;
    // The data source's word, so that an item shows it can be expanded
    // before anyone asks for its children.
    const OutlineNode* node = nodeForIndex(parent);
    return node != nullptr && node->expandable;
}

QVariant OutlineItemModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const OutlineNode* node = nodeForIndex(index);
    OutlineViewDataSource* source = dataSource();
    if (node == nullptr || source == nullptr || index.column() >= columnCount()) return {};
    QVariant value;
    {
        Asking asking(asking_);
        value = source->outlineViewObjectValueForTableColumnByItem(
            view_, *view_->columns_[static_cast<std::size_t>(index.column())], node->item.get());
    }
    if (role == Qt::EditRole) return value;
    // Dates are shown as the day they fall on where the user is.
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime date = value.toDateTime();
        return date.isValid() ? QLocale().toString(date.toLocalTime().date(), QLocale::ShortFormat) : QString();
    }
    if (value.typeId() == QMetaType::QDate) {
        const QDate date = value.toDate();
        return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString();
    }
    return value;
}

QVariant OutlineItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return view_->columns_[static_cast<std::size_t>(section)]->title();
    return QAbstractItemModel::headerData(section, orientation, role);
}

Qt::ItemFlags OutlineItemModel::flags(const QModelIndex& index) const {
    if (nodeForIndex(index) == nullptr) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!view_->draggedTypes_.empty()) flags |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const TableColumn* column = view_->columnForIndex(index);
    if (const TextFieldCell* cell = column ? view_->dataCellForColumn(column) : nullptr; cell && cell->isEditableForIndex(index))
        flags |= Qt::ItemIsEditable;
    return flags;
}

OutlineNode* OutlineItemModel::nodeForIndex(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return nullptr;
    return static_cast<OutlineNode*>(index.internalPointer());
}

QModelIndex OutlineItemModel::indexForNode(const OutlineNode* node, int column) const {
    if (node == nullptr || node == &root_) return {};
    return createIndex(node->row, column, const_cast<OutlineNode*>(node));
}

QItemSelection OutlineItemModel::wholeRows(const std::vector<const OutlineNode*>& nodes) const {
    QItemSelection ranges;
    const int lastColumn = std::max(0, columnCount() - 1);
    const OutlineNode* first = nullptr;
    const OutlineNode* last = nullptr;
    const auto close = [&] {
        if (first != nullptr) ranges.append(QItemSelectionRange(indexForNode(first), indexForNode(last, lastColumn)));
    };
    for (const OutlineNode* node : nodes) {
        if (node == nullptr || node == &root_) continue;
        if (last != nullptr && node->parent == last->parent && node->row == last->row + 1) {
            last = node;
            continue;
        }
        close();
        first = last = node;
    }
    close();
    return ranges;
}

OutlineNode* OutlineItemModel::nodeForItem(const void* item) const {
    if (item == nullptr) return nullptr;
    const auto found = nodesByItem_.find(item);
    return found == nodesByItem_.end() ? nullptr : found->second;
}

void OutlineItemModel::fetchChildren(void* item, std::vector<OutlineItem>& out) const {
    OutlineViewDataSource* source = dataSource();
    if (source == nullptr) return;
    Asking asking(asking_);
    const long count = std::min<long>(source->outlineViewNumberOfChildrenOfItem(view_, item),
                                      std::numeric_limits<int>::max());
    for (long i = 0; i < count; ++i) {
        if (OutlineItem child = source->outlineViewChildOfItem(view_, i, item)) out.push_back(std::move(child));
    }
}

std::unique_ptr<OutlineNode> OutlineItemModel::makeNode(OutlineItem item, OutlineNode* parent, int row) const {
    auto node = std::make_unique<OutlineNode>();
    {
        Asking asking(asking_);
        node->expandable = dataSource()->outlineViewIsItemExpandable(view_, item.get());
    }
    node->item = std::move(item);
    node->parent = parent;
    node->row = row;
    node->reload = reloadCount_;
    nodesByItem_.emplace(node->item.get(), node.get());
    return node;
}

void OutlineItemModel::ensureLoaded(OutlineNode* node) const {
    if (node->loaded || node->loading || !node->expandable || dataSource() == nullptr) return;
    // A data source that asks the view about NODE while answering finds it
    // still empty rather than loading it twice.
    node->loading = true;
    std::vector<OutlineItem> fresh;
    fetchChildren(node->item.get(), fresh);
    std::vector<std::unique_ptr<OutlineNode>> made;
    made.reserve(fresh.size());
    for (std::size_t i = 0; i < fresh.size() && dataSource() != nullptr; ++i)
        made.push_back(makeNode(std::move(fresh[i]), node, static_cast<int>(i)));
    node->children = std::move(made);
    node->loading = false;
    node->loaded = true;
}

void OutlineItemModel::forget(OutlineNode* subtree) const {
    std::vector<OutlineNode*> pending{subtree};
    while (!pending.empty()) {
        OutlineNode* node = pending.back();
        pending.pop_back();
        auto [first, last] = nodesByItem_.equal_range(node->item.get());
        for (auto it = first; it != last; ++it) {
            if (it->second == node) {
                nodesByItem_.erase(it);
                break;
            }
        }
        for (const auto& child : node->children) pending.push_back(child.get());
    }
}

void OutlineItemModel::clear() {
    root_.children.clear();
    root_.loaded = false;
    nodesByItem_.clear();
}

void OutlineItemModel::columnTitlesChanged() {
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

// Every shown list of children is asked for again and compared with what is
// shown, by item identity. Where a list differs, the rows between the common
// head and tail are removed and the new ones inserted, so every row outside
// that stretch keeps its place in the view's eyes: its expansion, selection
// and current row survive without our help. Rows that come back inside the
// stretch get their expansion and selection back from what was noted before
// they went.
bool OutlineItemModel::reload() {
    if (reloading_ || asking_ > 0 || dataSource() == nullptr || !root_.loaded) return false;
    reloading_ = true;
    ++reloadCount_;
    ReloadState state;
    std::vector<OutlineItem> fresh;
    std::vector<OutlineNode*> pending{&root_};
    while (!pending.empty() && dataSource() != nullptr) {
        OutlineNode* node = pending.back();
        pending.pop_back();
        fresh.clear();
        fetchChildren(node->item.get(), fresh);
        reloadChildren(node, fresh, state);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            OutlineNode* child = it->get();
            if (child->reload == reloadCount_) continue; // just made from what the data source says now
            refreshExpandable(child, state);
            if (child->loaded) pending.push_back(child);
        }
    }
    const bool changed = finishReload(state);
    reloading_ = false;
    return changed;
}

void OutlineItemModel::reloadChildren(OutlineNode* node, const std::vector<OutlineItem>& fresh, ReloadState& state) {
    auto& children = node->children;
    const std::size_t oldCount = children.size();
    const std::size_t newCount = fresh.size();
    std::size_t head = 0;
    while (head < oldCount && head < newCount && children[head]->item.get() == fresh[head].get()) ++head;
    if (head == oldCount && head == newCount) return;
    std::size_t tail = 0;
    while (tail < oldCount - head && tail < newCount - head &&
           children[oldCount - 1 - tail]->item.get() == fresh[newCount - 1 - tail].get())
        ++tail;

    if (oldCount - head - tail > 0) {
        beforeRowChange(state);
        removeChildren(node, static_cast<int>(head), static_cast<int>(oldCount - head - tail), state);
    }
    const std::size_t inserted = newCount - head - tail;
    if (inserted == 0) return;
    beforeRowChange(state);
    const int first = static_cast<int>(head);
    if (!state.batched) beginInsertRows(indexForNode(node), first, first + static_cast<int>(inserted) - 1);
    std::vector<std::unique_ptr<OutlineNode>> made;
    made.reserve(inserted);
    for (std::size_t i = 0; i < inserted; ++i)
        made.push_back(makeNode(fresh[head + i], node, static_cast<int>(head + i)));
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(head), std::make_move_iterator(made.begin()),
                    std::make_move_iterator(made.end()));
    renumber(node, head + inserted);
    if (!state.batched) endInsertRows();
    for (std::size_t i = 0; i < inserted && head + i < children.size(); ++i)
        restoreInserted(children[head + i].get(), state);
}

void OutlineItemModel::removeChildren(OutlineNode* node, int first, int count, ReloadState& state) {
    const auto begin = node->children.begin() + first;
    const auto end = begin + count;
    for (auto it = begin; it != end; ++it) rememberExpanded(it->get(), state);
    if (state.batched) {
        // What the selection model would do for a removal it is told of: the
        // current row goes to the row above, else below, else nowhere.
        const OutlineNode* current = state.currentNode;
        if (current != nullptr && current->parent == node && current->row >= first && current->row < first + count) {
            const std::size_t above = static_cast<std::size_t>(first) - 1;
            const std::size_t below = static_cast<std::size_t>(first + count);
            state.currentNode = first > 0                          ? node->children[above].get()
                                : below < node->children.size() ? node->children[below].get()
                                                                 : nullptr;
        }
        std::vector<const OutlineNode*> pending;
        for (auto it = begin; it != end; ++it) pending.push_back(it->get());
        while (!pending.empty()) {
            const OutlineNode* gone = pending.back();
            pending.pop_back();
            state.gone.insert(gone);
            if (state.selectedNodes.count(gone) != 0) state.selectionLost = true;
            if (gone == state.currentNode) state.currentNode = nullptr;
            for (const auto& child : gone->children) pending.push_back(child.get());
        }
    } else {
        beginRemoveRows(indexForNode(node), first, first + count - 1);
    }
    for (auto it = node->children.begin() + first; it != node->children.begin() + first + count; ++it) {
        forget(it->get());
        state.removed.push_back(std::move(*it));
    }
    node->children.erase(node->children.begin() + first, node->children.begin() + first + count);
    renumber(node, static_cast<std::size_t>(first));
    if (!state.batched) endRemoveRows();
}

void OutlineItemModel::refreshExpandable(OutlineNode* node, ReloadState& state) {
    bool expandable;
    {
        Asking asking(asking_);
        expandable = dataSource()->outlineViewIsItemExpandable(view_, node->item.get());
    }
    if (expandable == node->expandable) return;
    if (!expandable) {
        if (!node->children.empty()) {
            beforeRowChange(state);
            removeChildren(node, 0, static_cast<int>(node->children.size()), state);
        }
        node->expandable = false;
        node->loaded = false;
        if (state.batched) {
            if (state.expandedNodes.erase(node) != 0) state.toCollapse.push_back(node);
        } else if (const QModelIndex index = indexForNode(node); view_->isExpanded(index)) {
            view_->collapse(index);
        }
    } else {
        // Its children are asked for when first wanted.
        node->expandable = true;
        node->loaded = false;
    }
    // The view keeps whether a row has children with the row.
    if (state.batched)
        state.toRefresh.push_back(node);
    else
        emit dataChanged(indexForNode(node), indexForNode(node, std::max(0, columnCount() - 1)));
}

void OutlineItemModel::noteBeforeFirstChange(ReloadState& state) const {
    if (state.changed) return;
    state.changed = true;
    const QItemSelectionModel* selection = view_->selectionModel();
    if (selection == nullptr) return;
    forEachSelectedNode(selection->selection(),
                        [&](const OutlineNode* node) { state.selected.insert(node->item.get()); });
    if (const OutlineNode* current = nodeForIndex(selection->currentIndex())) state.current = current->item;
}

void OutlineItemModel::rememberExpanded(const OutlineNode* subtree, ReloadState& state) const {
    std::vector<const OutlineNode*> pending{subtree};
    while (!pending.empty()) {
        const OutlineNode* node = pending.back();
        pending.pop_back();
        if (!node->expandable) continue;
        if (shownExpanded(node, state)) state.expanded.insert(node->item.get());
        for (const auto& child : node->children) pending.push_back(child.get());
    }
}

bool OutlineItemModel::wasExpanded(const OutlineNode* node, const ReloadState& state) const {
    if (state.expanded.count(node->item.get()) != 0) return true;
    // An item moving to a parent we reach first is still shown in its old
    // place, and the view can tell.
    auto [first, last] = nodesByItem_.equal_range(node->item.get());
    for (auto it = first; it != last; ++it) {
        const OutlineNode* other = it->second;
        if (other != node && other->expandable && shownExpanded(other, state)) return true;
    }
    return false;
}

void OutlineItemModel::restoreInserted(OutlineNode* inserted, ReloadState& state) {
    std::vector<OutlineNode*> pending{inserted};
    while (!pending.empty()) {
        OutlineNode* node = pending.back();
        pending.pop_back();
        if (state.selected.count(node->item.get()) != 0) state.reselect.push_back(node->item);
        if (!node->expandable || !wasExpanded(node, state)) continue;
        ensureLoaded(node);
        if (state.batched) {
            // Expanded once the view is told where every row went.
            state.expandedNodes.insert(node);
            state.toExpand.push_back(node);
            for (const auto& child : node->children) pending.push_back(child.get());
            continue;
        }
        if (!state.layoutScheduled) {
            // One layout for all the rows we expand, not one each.
            view_->scheduleDelayedItemsLayout();
            state.layoutScheduled = true;
        }
        view_->expand(indexForNode(node));
        for (const auto& child : node->children) pending.push_back(child.get());
    }
}

bool OutlineItemModel::finishReload(ReloadState& state) {
    if (state.batched) endBatch(state);
    QItemSelectionModel* selection = view_->selectionModel();
    if (state.changed && selection != nullptr) {
        // Asking the selection model row by row whether a row is selected
        // walks all its ranges each time.
        std::unordered_set<const OutlineNode*> stillSelected;
        if (!state.reselect.empty())
            forEachSelectedNode(selection->selection(), [&](const OutlineNode* node) { stillSelected.insert(node); });
        std::vector<std::pair<long, const OutlineNode*>> again;
        for (const OutlineItem& item : state.reselect) {
            auto [first, last] = nodesByItem_.equal_range(item.get());
            for (auto it = first; it != last; ++it) {
                const long row = view_->rowOfNode(it->second);
                if (row == kOutlineNoRow) continue;
                if (stillSelected.count(it->second) == 0) again.emplace_back(row, it->second);
                break;
            }
        }
        if (!again.empty()) {
            std::sort(again.begin(), again.end());
            std::vector<const OutlineNode*> nodes;
            nodes.reserve(again.size());
            for (const auto& [row, node] : again) nodes.push_back(node);
            selection->select(wholeRows(nodes), QItemSelectionModel::Select);
        }
        const OutlineNode* current = nodeForIndex(selection->currentIndex());
        if (state.current && (current == nullptr || current->item != state.current)) {
            const OutlineNode* moved = nodeForItem(state.current.get());
            if (moved != nullptr && view_->rowOfNode(moved) != kOutlineNoRow)
                selection->setCurrentIndex(indexForNode(moved), QItemSelectionModel::NoUpdate);
        }
    }
    state.removed.clear();
    return state.changed;
}

void OutlineItemModel::beforeRowChange(ReloadState& state) {
    noteBeforeFirstChange(state);
    if (!state.batched && ++state.rowChanges > rowChangesBeforeBatch_) beginBatch(state);
}

bool OutlineItemModel::shownExpanded(const OutlineNode* node, const ReloadState& state) const {
    return state.batched ? state.expandedNodes.count(node) != 0 : view_->isExpanded(indexForNode(node));
}

void OutlineItemModel::beginBatch(ReloadState& state) {
    if (const QItemSelectionModel* selection = view_->selectionModel()) {
        forEachSelectedNode(selection->selection(),
                            [&](const OutlineNode* node) { state.selectedNodes.insert(node); });
        state.currentNode = nodeForIndex(selection->currentIndex());
    }
    // The view keeps its expanded rows as persistent indexes, so they are
    // among these.
    for (const QModelIndex& index : persistentIndexList()) {
        if (const OutlineNode* node = nodeForIndex(index); node != nullptr && view_->isExpanded(index))
            state.expandedNodes.insert(node);
    }
    state.batched = true;
    emit layoutAboutToBeChanged();
}

void OutlineItemModel::endBatch(ReloadState& state) {
    // Nodes keep their identity across the change, so each persistent index
    // follows its node, or lapses with it.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        OutlineNode* node = nodeForIndex(index);
        to.push_back(node == nullptr || state.gone.count(node) != 0 ? QModelIndex()
                                                                    : createIndex(node->row, index.column(), node));
    }
    changePersistentIndexList(from, to);
    state.batched = false;
    emit layoutChanged();

    for (const OutlineNode* node : state.toCollapse) {
        if (state.gone.count(node) == 0 && !node->expandable) view_->collapse(indexForNode(node));
    }
    if (!state.toExpand.empty()) view_->scheduleDelayedItemsLayout();
    for (const OutlineNode* node : state.toExpand) {
        if (state.gone.count(node) == 0) view_->expand(indexForNode(node));
    }
    for (const OutlineNode* node : state.toRefresh) {
        if (state.gone.count(node) == 0)
            emit dataChanged(indexForNode(node), indexForNode(node, std::max(0, columnCount() - 1)));
    }
    if (QItemSelectionModel* selection = view_->selectionModel()) {
        const OutlineNode* current = state.currentNode != nullptr && state.gone.count(state.currentNode) == 0
                                         ? state.currentNode
                                         : nullptr;
        if (nodeForIndex(selection->currentIndex()) != current)
            selection->setCurrentIndex(indexForNode(current), QItemSelectionModel::NoUpdate);
    }
    // Rows that went took their selection with them without a word from the
    // selection model.
    if (state.selectionLost) emit view_->selectionDidChange();
}

} // namespace cogbook
