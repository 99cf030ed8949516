// An outline view in the manner of the desktop framework the program was
// designed for: a tree view that asks a data source for everything it shows,
// keeps the items it shows alive, and speaks in rows (what the user sees,
// top to bottom, counting only items whose ancestors are all expanded).
#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QHelpEvent;
class QKeyEvent;
class QMenu;

namespace cogbook {

class OutlineView;
class OutlineItemModel;
struct OutlineNode;
class DraggingInfo;
class Pasteboard;
enum DragOperation : unsigned;

// An item as the view holds it: the data source's own object, kept alive for
// as long as the view shows it. The data source is asked with the raw pointer;
// null stands for the invisible root.
using OutlineItem = std::shared_ptr<void>;

inline constexpr long kOutlineNoRow = -1;
// The child index of a drop onto an item rather than between rows.
inline constexpr long kOutlineDropOnItemIndex = -1;

// How a cell edit ended, in the "NSTextMovement" entry of the user info of
// the end-of-editing notification.
inline constexpr const char* kTextDidEndEditingNotification = "NSTextDidEndEditingNotification";
inline constexpr const char* kTextMovementKey = "NSTextMovement";
enum TextMovement : int {
    kTextMovementOther = 0,     // focus left the cell, or the program ended the edit
    kTextMovementReturn = 0x10,
    kTextMovementTab = 0x11,
    kTextMovementBacktab = 0x12,
};

struct TextNotification {
    QString name;
    QObject* object = nullptr; // the editor
    QVariantMap userInfo;
};

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
    // The user ended an edit of ITEM's cell in COLUMN with VALUE: a QString,
    // or a QDateTime for a cell that shows a date.
    virtual void outlineViewSetObjectValueForTableColumnByItem(OutlineView* view, const QVariant& value,
                                                               const TableColumn& column, void* item);

    // Drag and drop, for a view registered for dragged types; by default
    // nothing is dragged and nothing dropped.
    // The user drags ITEMS (those of the selected rows, top to bottom): write
    // them to PASTEBOARD; the answer says whether the drag may begin.
    virtual bool outlineViewWriteItemsToPasteboard(OutlineView* view, const std::vector<void*>& items,
                                                   Pasteboard& pasteboard);
    // How a drop among ITEM's children at INDEX (ITEM null: the top level;
    // INDEX kOutlineDropOnItemIndex: onto ITEM itself) would go. May move the
    // drop elsewhere with the view's setDropItemDropChildIndex.
    virtual DragOperation outlineViewValidateDropProposedItemProposedChildIndex(OutlineView* view,
                                                                              const DraggingInfo& info, void* item,
                                                                              long index);
    // The user let go where the last validation proposed.
    virtual bool outlineViewAcceptDropItemChildIndex(OutlineView* view, const DraggingInfo& info, void* item,
                                                     long index);
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
    // For an editable cell whose rows differ: whether the row of an index
    // may be edited (every row without one).
    using EditableForIndex = std::function<bool(const QModelIndex&)>;
    void setEditableForIndex(EditableForIndex editable) { editableForIndex_ = std::move(editable); }
    bool isEditableForIndex(const QModelIndex& index) const {
        return editable_ && (!editableForIndex_ || editableForIndex_(index));
    }

    // Draws the cell's content (not the row's selection background) in FRAME.
    // The default draws the text as the style would.
    virtual void drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const;
    // The size the content needs; the default is the style's.
    virtual QSizeF cellSize(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // Where the text goes in a cell drawn in FRAME; the default is all of it.
    virtual QRectF textFrameForCellFrame(const QRectF& frame, const QModelIndex& index) const;
    // The tool tip at POINT (view coordinates) of the cell drawn with
    // OPTION: by default the whole text when the column cuts it short.
    virtual QString toolTipForCell(const QStyleOptionViewItem& option, const QModelIndex& index,
                                   const QPoint& point) const;
    // Whether the text drawn in the cell's text frame is cut short.
    bool isTextTruncated(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Editing. The editor is the field editor the window lends for the view
    // (kept and only hidden afterwards) or a line edit of the cell's own; for
    // a date it offers a calendar (date_picker.h) whose pick commits the day.
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // The view commits through its data source, not the model.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
    // The value the editor's text stands for: the text, or for a date the
    // day it names (at the old value's time of day; the old value itself
    // when the day is the same). Nothing when the text is no day.
    virtual std::optional<QVariant> objectValueForEditor(const QWidget* editor, const QModelIndex& index) const;
    // Why the editor's text is no value, in words for the user (shown by the
    // cell as the edit is refused); empty when there is nothing to explain.
    virtual QString refusalForEditor(const QWidget* editor, const QModelIndex& index) const;
    // Return, Enter, Tab and Backtab end the edit with their movement,
    // Escape abandons it, and leaving the cell ends it.
    bool eventFilter(QObject* object, QEvent* event) override;

protected:
    // The text as the style would draw it, in RECT.
    void drawText(const QRectF& rect, QPainter* painter, const QStyleOptionViewItem& option,
                  const QModelIndex& index) const;
    // The text as drawText shows it in RECT: where, and the whole line.
    struct TextLayout {
        QStyleOptionViewItem option;
        QRect rect;
        QString text;
    };
    TextLayout textLayout(const QRectF& rect, const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    bool editable_ = false;
    EditableForIndex editableForIndex_;
};

class OutlineViewDelegate {
public:
    virtual ~OutlineViewDelegate() = default;
    // Called just before CELL draws ITEM's row in COLUMN.
    virtual void outlineViewWillDisplayCellForTableColumnItem(OutlineView* view, TextFieldCell* cell,
                                                              const TableColumn& column, void* item) = 0;
    // The menu a right-click (or the menu key) opens on ROW (kOutlineNoRow:
    // below the rows), after the row has been selected; null for none.
    virtual QMenu* outlineViewMenuForRow(OutlineView* view, long row);
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
    // The same for ROWS at once (in any order; the last one given becomes
    // the latest), with one change of the selection.
    void selectRowIndexesByExtendingSelection(const std::vector<long>& rows, bool extend);
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
    // expandItem for each of ITEMS in turn (a parent before its children),
    // with the view laid out once at the end rather than after each.
    void expandItems(const std::vector<const void*>& items);
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

    // A short text shown centred over the view while it has no rows (a
    // hint of how to add the first); empty for none.
    void setPlaceholderText(const QString& text);
    QString placeholderText() const;
    // The label showing it, while it is shown; null otherwise.
    QWidget* visiblePlaceholder() const;

    // For the cell: the item and column of an index of the view's model.
    void* itemForIndex(const QModelIndex& index) const;
    const TableColumn* columnForIndex(const QModelIndex& index) const;
    QModelIndex indexForItem(const void* item, int logicalColumn = 0) const;

    // Cell editing; columns are indexes in the current order, as
    // columnWithIdentifier answers. Opening an edit ends the one open first;
    // when that one cannot end, nothing opens. SELECT selects the whole text.
    void editColumnRowWithEventSelect(int column, long row, QEvent* event, bool select);
    int editedColumn() const;
    long editedRow() const;
    QWidget* currentEditor() const { return editor_; }
    // Ends the open edit as the user would by leaving the cell. Answers false
    // (and beeps) when the cell refuses the text: the edit then stays open.
    bool endEditing() { return endEditingWithMovement(kTextMovementOther); }
    bool endEditingWithMovement(int movement);
    // Closes the open edit without committing it.
    void abortEditing();
    // The view a cell editor is editing for, or null.
    static OutlineView* viewEditingWith(const QWidget* editor);

    // Drag and drop. The view drags its selected rows and takes drops of the
    // data of TYPES (pasteboard type names); the data source decides.
    void registerForDraggedTypes(const std::vector<std::string>& types);
    const std::vector<std::string>& registeredDraggedTypes() const { return draggedTypes_; }
    // During validation: the drop is to go among ITEM's children at INDEX.
    void setDropItemDropChildIndex(void* item, long index);
    // A drag over POINT (viewport coordinates): proposes where it would land
    // and asks the data source; the drop indicator shows the answer.
    DragOperation draggingUpdated(const QPoint& point, const DraggingInfo& info);
    // The user let go where the last update proposed; answers whether the
    // data source took the drop.
    bool performDragOperation(const DraggingInfo& info);
    void draggingEnded();
    // Where the last update proposed the drop, and how it would go.
    void* proposedDropItem() const { return dropItem_; }
    long proposedDropChildIndex() const { return dropIndex_; }
    DragOperation proposedDragOperation() const { return dropOperation_; }
    QRect dropIndicatorRect() const { return dropIndicator_; }

signals:
    // After every change of the selection, by the user or by the program.
    void selectionDidChange();

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The keyboard as in other tree views: Right expands a collapsed part
    // and steps into an expanded one, Left collapses an expanded part and
    // steps out to the parent; Down (Up) with nothing selected selects the
    // first (last) row.
    void keyPressEvent(QKeyEvent* event) override;

    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    // A cell edit ended (its text accepted): commits the value through the
    // data source, then acts on the movement: Return edits the same column of
    // the next row, Tab and Backtab the next or previous editable cell, and
    // anything else nothing.
    virtual void textDidEndEditing(const TextNotification& notification);
    // The edit key (F2) edits the row's outline column, the one that names
    // the item, whichever cell is current.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    using QTreeView::edit;

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
    // Expands ITEM if it is shown collapsed; answers whether it did.
    bool expandShownItem(const void* item);
    // Right (INTO) or Left on the selected row; false when nothing is selected.
    bool stepThroughOutline(bool into);
    void updatePlaceholder();

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
    // The open cell edit.
    QPointer<QWidget> editor_;
    QPersistentModelIndex editedIndex_;
    // A lent editor that was last at work here; it must not go with us.
    QPointer<QWidget> lentEditor_;
    void editorOpened(QWidget* editor, const QModelIndex& index, bool lent);
    void editorClosing(const QWidget* editor);
    // The next (or previous) editable cell after the one at ITEM and
    // LOGICAL column, in reading order.
    QModelIndex neighbourEditableCell(const void* item, int logical, bool forward) const;
    friend class OutlineItemModel;
    friend class TextFieldCell;

    bool accepts(const QMimeData* data) const;
    DraggingInfo draggingInfoFor(const QDropEvent* event) const;
    // Where a drop among ITEM's children at INDEX shows: a line between rows,
    // or the frame of the row dropped onto.
    QRect indicatorFor(void* item, long index) const;
    std::vector<std::string> draggedTypes_;
    void* dropItem_ = nullptr;
    long dropIndex_ = kOutlineDropOnItemIndex;
    DragOperation dropOperation_{};
    QRect dropIndicator_;
    class Placeholder;
    QPointer<Placeholder> placeholder_;
};

} // namespace cogbook
