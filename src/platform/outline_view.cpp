#include "platform/outline_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "platform/outline_item_model.h"

namespace cogbook {

namespace {

int logicalIndexOf(const std::vector<std::unique_ptr<TableColumn>>& columns, const TableColumn* column) {
    if (column == nullptr) return -1;
    const int logical = column->logicalIndex();
    if (logical < 0 || static_cast<std::size_t>(logical) >= columns.size()) return -1;
    return columns[static_cast<std::size_t>(logical)].get() == column ? logical : -1;
}

// Whether NODE's item is also one of its ancestors' (a data source that
// files an item under itself would otherwise have us expand forever).
bool repeatsAncestor(const OutlineNode* node) {
    for (const OutlineNode* above = node->parent; above != nullptr; above = above->parent) {
        if (above->item.get() == node->item.get()) return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// TextFieldCell

TextFieldCell::TextFieldCell(QObject* parent) : QStyledItemDelegate(parent) {}

void TextFieldCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (const auto* constView = qobject_cast<const OutlineView*>(widget)) {
        auto* view = const_cast<OutlineView*>(constView);
        const TableColumn* column = view->columnForIndex(index);
        void* item = view->itemForIndex(index);
        if (OutlineViewDelegate* delegate = view->outlineDelegate(); delegate != nullptr && column != nullptr)
            delegate->outlineViewWillDisplayCellForTableColumnItem(view, const_cast<TextFieldCell*>(this), *column,
                                                                   item);
    }
    drawWithFrameInView(QRectF(opt.rect), painter, opt, index);
}

void TextFieldCell::drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    drawText(frame, painter, option, index);
}

QSizeF TextFieldCell::cellSize(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSizeF(QStyledItemDelegate::sizeHint(option, index));
}

QSize TextFieldCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QSizeF size = cellSize(option, index);
    return QSize(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())));
}

TextFieldCell::TextLayout TextFieldCell::textLayout(const QRectF& rect, const QStyleOptionViewItem& option,
                                                    const QModelIndex& index) const {
    TextLayout layout{option, {}, {}};
    QStyleOptionViewItem& opt = layout.option;
    if (!(opt.features & QStyleOptionViewItem::HasDisplay)) initStyleOption(&opt, index);
    opt.rect = rect.toAlignedRect();
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // Where the style puts the text, less the margin it keeps inside that.
    layout.rect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    layout.rect.adjust(margin, 0, -margin, 0);
    // A row is one line high: line breaks in the value read as spaces.
    layout.text = opt.text;
    layout.text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QChar::LineSeparator, QLatin1Char(' '));
    return layout;
}

void TextFieldCell::drawText(const QRectF& rect, QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const TextLayout layout = textLayout(rect, option, index);
    const QStyleOptionViewItem& opt = layout.option;
    if (layout.text.isEmpty()) return;

    QPalette::ColorGroup group = QPalette::Normal;
    if (!(opt.state & QStyle::State_Enabled))
        group = QPalette::Disabled;
    else if (!(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QPalette::ColorRole role = (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;

    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, role));
    painter->drawText(layout.rect, static_cast<int>(opt.displayAlignment),
                      QFontMetrics(opt.font).elidedText(layout.text, opt.textElideMode, layout.rect.width()));
    painter->restore();
}

// ---------------------------------------------------------------------------
// OutlineView

// The shown nodes top to bottom: row N is nodes[N]. Rebuilt on demand after
// anything that can move rows (expansion, collapse, rows added or removed).
struct OutlineView::RowCache {
    std::vector<OutlineNode*> nodes;
    bool valid = false;
    bool building = false;
};

OutlineView::OutlineView(QWidget* parent)
    : QTreeView(parent),
      model_(std::make_unique<OutlineItemModel>(this)),
      rows_(std::make_unique<RowCache>()),
      fallbackCell_(std::make_unique<TextFieldCell>()) {
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTreePosition(0);
    setItemDelegate(fallbackCell_.get());
    setModel(model_.get());
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);

    const auto stale = [this] { invalidateRows(); };
    connect(this, &QTreeView::expanded, this, stale);
    connect(this, &QTreeView::collapsed, this, stale);
    connect(model_.get(), &QAbstractItemModel::rowsInserted, this, stale);
    connect(model_.get(), &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model_.get(), &QAbstractItemModel::rowsMoved, this, stale);
    connect(model_.get(), &QAbstractItemModel::layoutChanged, this, stale);
    connect(model_.get(), &QAbstractItemModel::modelReset, this, stale);
}

OutlineView::~OutlineView() {
    // A lent editor lives on after us: it is someone else's.
    if (lentEditor_ && viewport()->isAncestorOf(lentEditor_)) {
        lentEditor_->hide();
        lentEditor_->setParent(nullptr);
    }
    // The model goes with our members, before the tree view's own parts:
    // take it away from them first, and tell no one on the way out.
    blockSignals(true);
    setModel(nullptr);
}

QStringList OutlineView::columnIdentifiers() const { return identifiers_; }

void OutlineView::setColumnIdentifiers(const QStringList& identifiers) {
    if (identifiers == identifiers_) return;
    const bool hadSelection = selectionModel() != nullptr && selectionModel()->hasSelection();
    for (std::size_t i = 0; i < columns_.size(); ++i) setItemDelegateForColumn(static_cast<int>(i), nullptr);
    model_->resetWith([&] {
        identifiers_ = identifiers;
        rebuildColumns();
    });
    for (std::size_t i = 0; i < defaultCells_.size(); ++i)
        setItemDelegateForColumn(static_cast<int>(i), defaultCells_[i].get());
    lastSelected_ = QPersistentModelIndex();
    if (hadSelection) emit selectionDidChange();
}

void OutlineView::rebuildColumns() {
    columns_.clear();
    defaultCells_.clear();
    for (qsizetype i = 0; i < identifiers_.size(); ++i) {
        columns_.push_back(std::make_unique<TableColumn>(identifiers_[i], titles_.value(i), static_cast<int>(i)));
        defaultCells_.push_back(std::make_unique<TextFieldCell>());
    }
}

QStringList OutlineView::columnTitles() const { return titles_; }

void OutlineView::setColumnTitles(const QStringList& titles) {
    titles_ = titles;
    for (std::size_t i = 0; i < columns_.size(); ++i) columns_[i]->setTitle(titles_.value(static_cast<qsizetype>(i)));
    model_->columnTitlesChanged();
}

void OutlineView::setDataSource(OutlineViewDataSource* dataSource) {
    const bool hadSelection = selectionModel() != nullptr && selectionModel()->hasSelection();
    model_->resetWith([&] { dataSource_ = dataSource; });
    lastSelected_ = QPersistentModelIndex();
    invalidateRows();
    if (hadSelection) emit selectionDidChange();
}

void OutlineView::reloadData() {
    if (dataSource_ == nullptr) return;
    // The row list is rebuilt only when rows came or went (the model's row
    // signals mark it stale then); a reload that changed values keeps it.
    const bool rowsChanged = model_->reload();
    if (rowsChanged) invalidateRows();
    viewport()->update();
    // Values may have changed in rows that stayed. When rows came or went the
    // tree view lays out and repaints anyway; otherwise it is told about the
    // rows on screen, the only ones it shows and the only ones cheap to tell
    // it about (a signal over a whole level has it revisit every row below).
    if (!rowsChanged) valuesOnScreenChanged();
}

void OutlineView::valuesOnScreenChanged() {
    const int lastColumn = static_cast<int>(columns_.size()) - 1;
    if (lastColumn < 0) return;
    const int bottom = viewport()->height();
    QModelIndex runStart;
    QModelIndex runEnd;
    const auto flush = [&] {
        if (runStart.isValid()) model_->valuesChanged(runStart, runEnd.siblingAtColumn(lastColumn));
    };
    QModelIndex index = indexAt(QPoint(0, 0)).siblingAtColumn(0);
    for (; index.isValid() && visualRect(index).top() < bottom; index = indexBelow(index)) {
        if (runStart.isValid() && index.parent() == runStart.parent() && index.row() == runEnd.row() + 1) {
            runEnd = index;
            continue;
        }
        flush();
        runStart = runEnd = index;
    }
    flush();
}

void OutlineView::invalidateRows() { rows_->valid = false; }

const std::vector<OutlineNode*>& OutlineView::visibleNodes() const {
    RowCache& cache = *rows_;
    // A data source that asks about rows while we load them for this very
    // list gets the rows found so far.
    if (cache.valid || cache.building) return cache.nodes;
    cache.building = true;
    cache.nodes.clear();
    OutlineNode* root = model_->root();
    model_->ensureLoaded(root);
    std::vector<OutlineNode*> pending;
    const auto pushChildren = [&pending](const OutlineNode* node) {
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) pending.push_back(it->get());
    };
    pushChildren(root);
    while (!pending.empty()) {
        OutlineNode* node = pending.back();
        pending.pop_back();
        node->visibleRow = static_cast<long>(cache.nodes.size());
        cache.nodes.push_back(node);
        if (node->expandable && isExpanded(model_->indexForNode(node))) {
            model_->ensureLoaded(node);
            pushChildren(node);
        }
    }
    cache.building = false;
    cache.valid = true;
    return cache.nodes;
}

long OutlineView::rowOfNode(const OutlineNode* node) const {
    if (node == nullptr) return kOutlineNoRow;
    const auto& nodes = visibleNodes();
    const long row = node->visibleRow;
    if (row < 0 || static_cast<std::size_t>(row) >= nodes.size() || nodes[static_cast<std::size_t>(row)] != node)
        return kOutlineNoRow;
    return row;
}

OutlineNode* OutlineView::nodeForItem(const void* item) const {
    // The top level is known from the start, shown or not.
    model_->ensureLoaded(model_->root());
    auto [first, last] = model_->nodesForItem(item);
    if (first == last) return nullptr;
    // An item the data source shows in two places is taken where it can be seen.
    if (std::next(first) != last) {
        for (auto it = first; it != last; ++it) {
            if (rowOfNode(it->second) != kOutlineNoRow) return it->second;
        }
    }
    return first->second;
}

long OutlineView::numberOfRows() const { return static_cast<long>(visibleNodes().size()); }

void* OutlineView::itemAtRow(long row) const {
    const auto& nodes = visibleNodes();
    if (row < 0 || static_cast<std::size_t>(row) >= nodes.size()) return nullptr;
    return nodes[static_cast<std::size_t>(row)]->item.get();
}

long OutlineView::rowForItem(const void* item) const {
    if (item == nullptr) return kOutlineNoRow;
    visibleNodes();
    auto [first, last] = model_->nodesForItem(item);
    for (auto it = first; it != last; ++it) {
        if (const long row = rowOfNode(it->second); row != kOutlineNoRow) return row;
    }
    return kOutlineNoRow;
}

long OutlineView::levelForItem(const void* item) const {
    const OutlineNode* node = nodeForItem(item);
    if (node == nullptr) return -1;
    long level = 0;
    for (const OutlineNode* above = node->parent; above != nullptr && above != model_->root(); above = above->parent)
        ++level;
    return level;
}

void* OutlineView::parentForItem(const void* item) const {
    const OutlineNode* node = nodeForItem(item);
    if (node == nullptr || node->parent == nullptr || node->parent == model_->root()) return nullptr;
    return node->parent->item.get();
}

void OutlineView::selectRowByExtendingSelection(long row, bool extend) {
    const auto& nodes = visibleNodes();
    QItemSelectionModel* selection = selectionModel();
    if (row < 0 || static_cast<std::size_t>(row) >= nodes.size() || selection == nullptr) return;
    const QModelIndex index = model_->indexForNode(nodes[static_cast<std::size_t>(row)]);
    if (extend) {
        selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else {
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // Also when the row was selected already: it is now the latest.
    lastSelected_ = index;
}

void OutlineView::selectRowIndexesByExtendingSelection(const std::vector<long>& rows, bool extend) {
    const auto& nodes = visibleNodes();
    QItemSelectionModel* selection = selectionModel();
    if (selection == nullptr) return;
    // One selection of as few ranges as the rows allow, made at once: row by
    // row, each range would cost every later change of the model.
    std::vector<long> sorted;
    for (const long row : rows)
        if (row >= 0 && static_cast<std::size_t>(row) < nodes.size()) sorted.push_back(row);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<const OutlineNode*> chosen;
    chosen.reserve(sorted.size());
    for (const long row : sorted) chosen.push_back(nodes[static_cast<std::size_t>(row)]);
    selection->select(model_->wholeRows(chosen),
                      extend ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
    if (rows.empty() || rows.back() < 0 || static_cast<std::size_t>(rows.back()) >= nodes.size()) return;
    // The last row given is the latest.
    const QModelIndex latest = model_->indexForNode(nodes[static_cast<std::size_t>(rows.back())]);
    selection->setCurrentIndex(latest, QItemSelectionModel::NoUpdate);
    lastSelected_ = latest;
}

void OutlineView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    if (!selected.isEmpty()) {
        // A click makes its row current before selecting it; the keyboard and
        // the program select first, the new rows being the last range.
        const QModelIndex current = currentIndex();
        const QModelIndex latest = current.isValid() && selected.contains(current)
                                       ? current
                                       : QModelIndex(selected.last().bottomRight());
        lastSelected_ = latest.siblingAtColumn(0);
    }
    emit selectionDidChange();
}

std::vector<long> OutlineView::selectedRowIndexes() const {
    std::vector<long> rows;
    const QItemSelectionModel* selection = selectionModel();
    if (selection == nullptr) return rows;
    visibleNodes();
    model_->forEachSelectedNode(selection->selection(), [&](const OutlineNode* node) {
        if (const long row = rowOfNode(node); row != kOutlineNoRow) rows.push_back(row);
    });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

long OutlineView::numberOfSelectedRows() const { return static_cast<long>(selectedRowIndexes().size()); }

long OutlineView::selectedRow() const {
    const QItemSelectionModel* selection = selectionModel();
    if (selection == nullptr) return kOutlineNoRow;
    if (lastSelected_.isValid() && selection->isSelected(lastSelected_)) {
        if (const long row = rowOfNode(model_->nodeForIndex(lastSelected_)); row != kOutlineNoRow) return row;
    }
    const std::vector<long> rows = selectedRowIndexes();
    return rows.empty() ? kOutlineNoRow : rows.back();
}

void OutlineView::deselectAll() {
    if (QItemSelectionModel* selection = selectionModel()) selection->clearSelection();
}

bool OutlineView::isItemExpanded(const void* item) const {
    const OutlineNode* node = nodeForItem(item);
    return node != nullptr && node->expandable && isExpanded(model_->indexForNode(node));
}

bool OutlineView::expandShownItem(const void* item) {
    OutlineNode* node = nodeForItem(item);
    if (node == nullptr || !node->expandable) return false;
    const QModelIndex index = model_->indexForNode(node);
    if (isExpanded(index)) return false;
    // Its children become known items at once, as they would on screen.
    model_->ensureLoaded(node);
    expand(index);
    return true;
}

void OutlineView::expandItem(const void* item) {
    if (expandShownItem(item)) invalidateRows();
}

void OutlineView::expandItems(const std::vector<const void*>& items) {
    if (items.empty()) return;
    // With a layout pending, the view only notes each expansion.
    scheduleDelayedItemsLayout();
    bool expanded = false;
    for (const void* item : items) expanded = expandShownItem(item) || expanded;
    if (expanded) invalidateRows();
}

void OutlineView::expandItemExpandChildren(const void* item, bool children) {
    if (!children) {
        expandItem(item);
        return;
    }
    OutlineNode* node = item == nullptr ? model_->root() : nodeForItem(item);
    if (node != nullptr) setSubtreeExpanded(node, true);
}

void OutlineView::collapseItemCollapseChildren(const void* item, bool children) {
    OutlineNode* node = item == nullptr ? (children ? model_->root() : nullptr) : nodeForItem(item);
    if (node == nullptr) return;
    if (children) {
        setSubtreeExpanded(node, false);
    } else if (node->expandable) {
        collapse(model_->indexForNode(node));
        invalidateRows();
    }
}

// Expanding rows one by one while the view is laid out costs a pass over its
// rows each; with a layout pending, the view only notes the expansion, and
// lays out once.
void OutlineView::setSubtreeExpanded(OutlineNode* node, bool expandIt) {
    scheduleDelayedItemsLayout();
    std::vector<OutlineNode*> pending{node};
    while (!pending.empty()) {
        OutlineNode* current = pending.back();
        pending.pop_back();
        if (!current->expandable) continue;
        if (current != model_->root()) {
            const QModelIndex index = model_->indexForNode(current);
            if (expandIt) {
                if (repeatsAncestor(current)) continue;
                model_->ensureLoaded(current);
                if (!isExpanded(index)) expand(index);
            } else if (isExpanded(index)) {
                collapse(index);
            }
        } else if (expandIt) {
            model_->ensureLoaded(current);
        }
        // Top to bottom, as the rows will be read.
        for (auto it = current->children.rbegin(); it != current->children.rend(); ++it) pending.push_back(it->get());
    }
    invalidateRows();
}

void OutlineView::scrollRowToVisible(long row) {
    const auto& nodes = visibleNodes();
    if (row < 0 || static_cast<std::size_t>(row) >= nodes.size()) return;
    scrollTo(model_->indexForNode(nodes[static_cast<std::size_t>(row)]));
}

int OutlineView::columnWithIdentifier(const QString& identifier) const {
    for (const auto& column : columns_) {
        if (column->identifier() == identifier) return header()->visualIndex(column->logicalIndex());
    }
    return -1;
}

TableColumn* OutlineView::tableColumnWithIdentifier(const QString& identifier) const {
    for (const auto& column : columns_) {
        if (column->identifier() == identifier) return column.get();
    }
    return nullptr;
}

std::vector<TableColumn*> OutlineView::tableColumns() const {
    std::vector<TableColumn*> ordered;
    for (int visual = 0; visual < header()->count(); ++visual) {
        const int logical = header()->logicalIndex(visual);
        if (logical >= 0 && static_cast<std::size_t>(logical) < columns_.size())
            ordered.push_back(columns_[static_cast<std::size_t>(logical)].get());
    }
    return ordered;
}

void OutlineView::moveColumnToColumn(int from, int to) {
    const int count = header()->count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    header()->moveSection(from, to);
}

void OutlineView::setDataCellForColumn(TableColumn* column, TextFieldCell* cell) {
    const int logical = logicalIndexOf(columns_, column);
    if (logical < 0) return;
    TextFieldCell* own = defaultCells_[static_cast<std::size_t>(logical)].get();
    setItemDelegateForColumn(logical, cell != nullptr ? cell : own);
    if (cell == nullptr || cell == own) return;
    // The tree view would draw with a deleted cell's null: its own cell
    // takes over again.
    connect(cell, &QObject::destroyed, this, [this, logical] {
        if (itemDelegateForColumn(logical) == nullptr && static_cast<std::size_t>(logical) < defaultCells_.size())
            setItemDelegateForColumn(logical, defaultCells_[static_cast<std::size_t>(logical)].get());
    });
}

TextFieldCell* OutlineView::dataCellForColumn(const TableColumn* column) const {
    const int logical = logicalIndexOf(columns_, column);
    if (logical < 0) return nullptr;
    if (auto* cell = qobject_cast<TextFieldCell*>(itemDelegateForColumn(logical))) return cell;
    return defaultCells_[static_cast<std::size_t>(logical)].get();
}

void* OutlineView::itemForIndex(const QModelIndex& index) const {
    const OutlineNode* node = model_->nodeForIndex(index);
    return node != nullptr ? node->item.get() : nullptr;
}

const TableColumn* OutlineView::columnForIndex(const QModelIndex& index) const {
    if (model_->nodeForIndex(index) == nullptr || index.column() < 0 ||
        static_cast<std::size_t>(index.column()) >= columns_.size())
        return nullptr;
    return columns_[static_cast<std::size_t>(index.column())].get();
}

QModelIndex OutlineView::indexForItem(const void* item, int logicalColumn) const {
    const OutlineNode* node = nodeForItem(item);
    if (node == nullptr || logicalColumn < 0 || static_cast<std::size_t>(logicalColumn) >= columns_.size()) return {};
    return model_->indexForNode(node, logicalColumn);
}

} // namespace cogbook
