// An outline view in the manner of the desktop framework the program was
// designed for: a tree view that asks a data source for everything it shows,
// keeps the items it shows alive, and speaks in rows (what the user sees,
// top to bottom, counting only items whose ancestors are all expanded).
#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVariant>

#include <memory>
#include <vector>

namespace cogbook {

class OutlineView;
class OutlineItemModel;
struct OutlineNode;

// An item as the view holds it: the data source's own object, kept alive for
// as long as the view shows it. The data source is asked with the raw pointer;
// null stands for the invisible root.
using OutlineItem = std::shared_ptr<void>;

inline constexpr long kOutlineNoRow = -1;

// A column: its identifier (the key the data source reads by) and title.
class TableColumn {
public:
    TableColumn(QString identifier, QString title, int logicalIndex)
        : identifier_(std::move(identifier)), title_(std::move(title)), logicalIndex_(logicalIndex) {}
    const QString& identifier() const { return identifier_; }
    const QString& title() const { return title_; }
    int logicalIndex() const { return logicalIndex_; }

private:
    friend class OutlineView;
    void setTitle(QString title) { title_ = std::move(title); }

    QString identifier_;
    QString title_;
    int logicalIndex_;
};

// The view asks for an item's children by index after asking how many there
// are; a null child is left out, so the rows close up over it.
class OutlineViewDataSource {
public:
    virtual ~OutlineViewDataSource() = default;
    virtual long outlineViewNumberOfChildrenOfItem(OutlineView* view, void* item) = 0;
    virtual bool outlineViewIsItemExpandable(OutlineView* view, void* item) = 0;
    virtual OutlineItem outlineViewChildOfItem(OutlineView* view, long index, void* item) = 0;
    // A QString, or a QDateTime (shown as a date in the user's locale short
    // format), or an invalid QVariant for an empty cell.
    virtual QVariant outlineViewObjectValueForTableColumnByItem(OutlineView* view, const TableColumn& column,
                                                                 void* item) = 0;
};

// The cell a column draws its rows with. One cell serves every row of its
// column, so whoever configures it (the view's delegate) does so before each
// row is drawn.
class TextFieldCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TextFieldCell(QObject* parent = nullptr);

    bool isEditable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }

    // Draws the cell's content (not the row's selection background) in FRAME.
    // The default draws the text as the style would.
    virtual void drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const;
    // The size the content needs; the default is the style's.
    virtual QSizeF cellSize(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    // The text as the style would draw it, in RECT.
    void drawText(const QRectF& rect, QPainter* painter, const QStyleOptionViewItem& option,
                  const QModelIndex& index) const;

private:
    bool editable_ = false;
};

class OutlineViewDelegate {
public:
    virtual ~OutlineViewDelegate() = default;
    // Called just before CELL draws ITEM's row in COLUMN.
    virtual void outlineViewWillDisplayCellForTableColumnItem(OutlineView* view, TextFieldCell* cell,
                                                              const TableColumn& column, void* item) = 0;
};

class OutlineView : public QTreeView {
    Q_OBJECT
    // Set in the window's interface file: the columns' identifiers and
    // titles, in their initial order.
    Q_PROPERTY(QStringList columnIdentifiers READ columnIdentifiers WRITE setColumnIdentifiers)
    Q_PROPERTY(QStringList columnTitles READ columnTitles WRITE setColumnTitles)
public:
    explicit OutlineView(QWidget* parent = nullptr);
    ~OutlineView() override;

    QStringList columnIdentifiers() const;
    void setColumnIdentifiers(const QStringList& identifiers);
    QStringList columnTitles() const;
    void setColumnTitles(const QStringList& titles);

    void setDataSource(OutlineViewDataSource* dataSource);
    OutlineViewDataSource* dataSource() const { return dataSource_; }
    void setOutlineDelegate(OutlineViewDelegate* delegate) { outlineDelegate_ = delegate; }
    OutlineViewDelegate* outlineDelegate() const { return outlineDelegate_; }

    // Asks the data source again for every item it shows. Items still present
    // (by identity) keep their expansion; the selection keeps the items still
    // present.
    void reloadData();

    long numberOfRows() const;
    // The item of a row, or null for a row out of range.
    void* itemAtRow(long row) const;
    // The row of an item whose ancestors are all expanded, else kOutlineNoRow.
    long rowForItem(const void* item) const;
    long levelForItem(const void* item) const;
    void* parentForItem(const void* item) const;

    // Extend false: ROW becomes the only selected row (and the current one).
    // Extend true: ROW is added to the selection.
    void selectRowByExtendingSelection(long row, bool extend);
    // The selected rows, ascending.
    std::vector<long> selectedRowIndexes() const;
    long numberOfSelectedRows() const;
    // The last selected row (the one selected most recently when there are
    // several), or kOutlineNoRow.
    long selectedRow() const;
    void deselectAll();

    bool isItemExpanded(const void* item) const;
    // Shows ITEM's children, leaving their own expansion as it was.
    void expandItem(const void* item);
    // With CHILDREN true, also every descendant. A null item with CHILDREN
    // stands for every item.
    void expandItemExpandChildren(const void* item, bool children);
    void collapseItemCollapseChildren(const void* item, bool children);
    void scrollRowToVisible(long row);

    // The column's index in the current (visual) order, or -1.
    int columnWithIdentifier(const QString& identifier) const;
    TableColumn* tableColumnWithIdentifier(const QString& identifier) const;
    // The columns in the current order.
    std::vector<TableColumn*> tableColumns() const;
    // Moves the column at visual index FROM to visual index TO.
    void moveColumnToColumn(int from, int to);
    // Draws COLUMN's rows with CELL (the view does not own it). Null, or
    // deleting CELL, gives the column back the cell it had at first.
    void setDataCellForColumn(TableColumn* column, TextFieldCell* cell);
    TextFieldCell* dataCellForColumn(const TableColumn* column) const;

    // For the cell: the item and column of an index of the view's model.
    void* itemForIndex(const QModelIndex& index) const;
    const TableColumn* columnForIndex(const QModelIndex& index) const;
    QModelIndex indexForItem(const void* item, int logicalColumn = 0) const;

signals:
    // After every change of the selection, by the user or by the program.
    void selectionDidChange();

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    OutlineNode* nodeForItem(const void* item) const;
    // The shown items top to bottom, rebuilt when stale.
    const std::vector<OutlineNode*>& visibleNodes() const;
    long rowOfNode(const OutlineNode* node) const;
    void invalidateRows();
    void valuesOnScreenChanged();
    void rebuildColumns();
    // Expands NODE and every descendant, or collapses NODE and every
    // descendant shown so far.
    void setSubtreeExpanded(OutlineNode* node, bool expandIt);

    OutlineViewDataSource* dataSource_ = nullptr;
    OutlineViewDelegate* outlineDelegate_ = nullptr;
    std::unique_ptr<OutlineItemModel> model_;
    std::vector<std::unique_ptr<TableColumn>> columns_;
    struct RowCache;
    std::unique_ptr<RowCache> rows_;
    QStringList identifiers_;
    QStringList titles_;
    // Each column's own cell until it is given another.
    std::vector<std::unique_ptr<TextFieldCell>> defaultCells_;
    std::unique_ptr<TextFieldCell> fallbackCell_;
    // The row most recently added to the selection.
    QPersistentModelIndex lastSelected_;
    friend class OutlineItemModel;
};

} // namespace cogbook
