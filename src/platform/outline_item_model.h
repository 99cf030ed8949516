// The item model behind an OutlineView: a mirror of the part of the data
// source's tree that the view has asked for, loaded a level at a time, and
// brought up to date by reloadData() with row insertions and removals so that
// the view keeps its expanded items and selection.
#pragma once

#include <QAbstractItemModel>
#include <QItemSelection>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/outline_view.h"

namespace cogbook {

// One shown item. The index's internal pointer is its node.
struct OutlineNode {
    OutlineNode() = default;
    OutlineNode(const OutlineNode&) = delete;
    OutlineNode& operator=(const OutlineNode&) = delete;
    // Takes deep subtrees apart without recursing once per level.
    ~OutlineNode();

    OutlineItem item;               // null for the invisible root
    OutlineNode* parent = nullptr;  // null for the root
    int row = 0;                    // among the parent's children
    bool expandable = false;        // as the data source last said
    bool loaded = false;            // children asked for
    bool loading = false;           // children being asked for now
    std::uint32_t reload = 0;       // the reload that made it
    long visibleRow = -1;           // where the row list last put it; checked before use
    std::vector<std::unique_ptr<OutlineNode>> children;
};

class OutlineItemModel final : public QAbstractItemModel {
public:
    explicit OutlineItemModel(OutlineView* view);
    ~OutlineItemModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    OutlineNode* root() const { return &root_; }
    // The node of an index of this model, else null (the root is no index).
    OutlineNode* nodeForIndex(const QModelIndex& index) const;
    QModelIndex indexForNode(const OutlineNode* node, int column = 0) const;
    // A node showing ITEM, or null when it is not shown.
    OutlineNode* nodeForItem(const void* item) const;
    // Every node showing ITEM (more than one if the data source repeats it).
    auto nodesForItem(const void* item) const { return nodesByItem_.equal_range(item); }
    // Asks the data source for NODE's children unless it already has.
    void ensureLoaded(OutlineNode* node) const;

    // Calls VISIT with the node of every row SELECTION covers.
    template <typename Visit>
    void forEachSelectedNode(const QItemSelection& selection, Visit&& visit) const {
        for (const QItemSelectionRange& range : selection) {
            if (range.model() != this) continue;
            const OutlineNode* parent = range.parent().isValid() ? nodeForIndex(range.parent()) : &root_;
            if (parent == nullptr) continue;
            for (int row = std::max(0, range.top()); row <= range.bottom(); ++row) {
                if (static_cast<std::size_t>(row) >= parent->children.size()) break;
                visit(parent->children[static_cast<std::size_t>(row)].get());
            }
        }
    }
    // The whole rows of NODES (in the order shown) as a selection, siblings
    // next to each other joined into one range. Selected without the Rows
    // flag, it spares the selection model widening each range on its own,
    // which merges every range with all before it.
    QItemSelection wholeRows(const std::vector<const OutlineNode*>& nodes) const;

    // Forgets every item and starts again (the data source or the columns
    // changed); CHANGE runs while nothing is shown.
    template <typename Change>
    void resetWith(Change&& change) {
        beginResetModel();
        change();
        clear();
        endResetModel();
    }
    // Answers whether any rows came or went.
    bool reload();
    void columnTitlesChanged();
    void valuesChanged(const QModelIndex& first, const QModelIndex& last) { emit dataChanged(first, last); }
    // How many row insertions and removals a reload tells of one by one
    // before it tells of the rest as one layout change (each one told has the
    // base model walk every persistent index).
    void setRowChangesBeforeBatch(int count) { rowChangesBeforeBatch_ = count; }

private:
    struct ReloadState;

    void clear();
    OutlineViewDataSource* dataSource() const { return view_->dataSource_; }
    // The children the data source gives ITEM now, nulls left out.
    void fetchChildren(void* item, std::vector<OutlineItem>& out) const;
    std::unique_ptr<OutlineNode> makeNode(OutlineItem item, OutlineNode* parent, int row) const;
    void forget(OutlineNode* subtree) const;

    void reloadChildren(OutlineNode* node, const std::vector<OutlineItem>& fresh, ReloadState& state);
    void refreshExpandable(OutlineNode* node, ReloadState& state);
    void removeChildren(OutlineNode* node, int first, int count, ReloadState& state);
    void noteBeforeFirstChange(ReloadState& state) const;
    void beforeRowChange(ReloadState& state);
    void beginBatch(ReloadState& state);
    void endBatch(ReloadState& state);
    bool shownExpanded(const OutlineNode* node, const ReloadState& state) const;
    void rememberExpanded(const OutlineNode* subtree, ReloadState& state) const;
    bool wasExpanded(const OutlineNode* node, const ReloadState& state) const;
    void restoreInserted(OutlineNode* node, ReloadState& state);
    bool finishReload(ReloadState& state);

    OutlineView* view_;
    mutable OutlineNode root_;
    // Every node below the root, by item; an item the data source shows in
    // two places has two entries.
    mutable std::unordered_multimap<const void*, OutlineNode*> nodesByItem_;
    std::uint32_t reloadCount_ = 0;
    // Callbacks of the data source under way; a reload asked for from one of
    // them is refused, since it could remove the rows being asked about.
    mutable int asking_ = 0;
    bool reloading_ = false;
    int rowChangesBeforeBatch_ = 16;
};

} // namespace cogbook
