// Dragging rows out of an outline view and dropping data onto it: the view
// works out where a drop would land (between rows, or onto a row), asks its
// data source, and shows the answer; the data source does the rest.
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

#include "platform/outline_item_model.h"
#include "platform/outline_view.h"
#include "platform/pasteboard.h"

namespace cogbook {

bool OutlineViewDataSource::outlineViewWriteItemsToPasteboard(OutlineView*, const std::vector<void*>&, Pasteboard&) {
    return false;
}

DragOperation OutlineViewDataSource::outlineViewValidateDropProposedItemProposedChildIndex(OutlineView*,
                                                                                         const DraggingInfo&, void*,
                                                                                         long) {
    return kDragOperationNone;
}

bool OutlineViewDataSource::outlineViewAcceptDropItemChildIndex(OutlineView*, const DraggingInfo&, void*, long) {
    return false;
}

QMenu* OutlineViewDelegate::outlineViewMenuForRow(OutlineView*, long) { return nullptr; }

void OutlineView::registerForDraggedTypes(const std::vector<std::string>& types) {
    draggedTypes_ = types;
    const bool enabled = !types.empty();
    setDragEnabled(enabled);
    setAcceptDrops(enabled);
    viewport()->setAcceptDrops(enabled);
    setDragDropMode(enabled ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    // The indicator is ours: it shows where the data source says the drop
    // goes, which may not be where the pointer is.
    setDropIndicatorShown(false);
    // Hovering over a collapsed part opens it.
    setAutoExpandDelay(enabled ? 600 : -1);
}

bool OutlineView::accepts(const QMimeData* offered) const {
    if (offered == nullptr) return false;
    for (const auto& type : draggedTypes_) {
        const QString mime = mimeTypeForPasteboardType(type);
        if (!mime.isEmpty() && offered->hasFormat(mime)) return true;
    }
    return false;
}

DraggingInfo OutlineView::draggingInfoFor(const QDropEvent* event) const {
    // The desktop's copy modifier makes the proposed action a copy.
    const bool copy = event->proposedAction() == Qt::CopyAction || (event->modifiers() & Qt::ControlModifier);
    return DraggingInfo(event->mimeData(), qobject_cast<OutlineView*>(event->source()), copy);
}

void OutlineView::setDropItemDropChildIndex(void* item, long index) {
    dropItem_ = item;
    dropIndex_ = index;
}

DragOperation OutlineView::draggingUpdated(const QPoint& point, const DraggingInfo& info) {
    dropOperation_ = kDragOperationNone;
    dropIndicator_ = QRect();
    if (dataSource_ == nullptr) return dropOperation_;
    const QModelIndex index = indexAt(point);
    if (!index.isValid()) {
        // Below the rows: after the last one at the top level.
        setDropItemDropChildIndex(nullptr, model_->rowCount(QModelIndex()));
    } else {
        const QModelIndex first = index.siblingAtColumn(0);
        void* item = itemForIndex(first);
        void* parent = parentForItem(item);
        const QRect rect = visualRect(first);
        const int y = point.y() - rect.top();
        const int quarter = std::max(1, rect.height() / 4);
        if (y < quarter) {
            setDropItemDropChildIndex(parent, first.row());
        } else if (y >= rect.height() - quarter) {
            // Below an open part: its first child.
            if (isExpanded(first) && model_->rowCount(first) > 0) setDropItemDropChildIndex(item, 0);
            else setDropItemDropChildIndex(parent, first.row() + 1);
        } else {
            setDropItemDropChildIndex(item, kOutlineDropOnItemIndex);
        }
    }
    dropOperation_ = dataSource_->outlineViewValidateDropProposedItemProposedChildIndex(this, info, dropItem_, dropIndex_);
    if (dropOperation_ != kDragOperationNone) dropIndicator_ = indicatorFor(dropItem_, dropIndex_);
    viewport()->update();
    return dropOperation_;
}

QRect OutlineView::indicatorFor(void* item, long index) const {
    const int width = viewport()->width();
    const QModelIndex parent = item ? indexForItem(item, 0) : QModelIndex();
    if (item != nullptr && !parent.isValid()) return {};
    if (index == kOutlineDropOnItemIndex) {
        if (item == nullptr) return viewport()->rect().adjusted(0, 0, -1, -1);
        const QRect row = visualRect(parent);
        return QRect(0, row.top(), width - 1, row.height() - 1);
    }
    const int count = model_->rowCount(parent);
    const int indent = (item ? static_cast<int>(levelForItem(item)) + 1 : 0) * indentation();
    if (index < count && (item == nullptr || isExpanded(parent))) {
        const QRect row = visualRect(model_->index(static_cast<int>(index), 0, parent));
        return QRect(indent, row.top(), width - indent, 0);
    }
    // After the last child: below the last row shown of its subtree, or below
    // the part itself when its children are not shown.
    QModelIndex last = parent;
    if (count > 0 && (item == nullptr || isExpanded(parent))) {
        last = model_->index(count - 1, 0, parent);
        while (isExpanded(last) && model_->rowCount(last) > 0) last = model_->index(model_->rowCount(last) - 1, 0, last);
    }
    if (!last.isValid()) return QRect(indent, 0, width - indent, 0);
    const QRect row = visualRect(last);
    return QRect(indent, row.bottom() + 1, width - indent, 0);
}

bool OutlineView::performDragOperation(const DraggingInfo& info) {
    const bool accepted = dataSource_ != nullptr && dropOperation_ != kDragOperationNone &&
                          dataSource_->outlineViewAcceptDropItemChildIndex(this, info, dropItem_, dropIndex_);
    draggingEnded();
    return accepted;
}

void OutlineView::draggingEnded() {
    dropItem_ = nullptr;
    dropIndex_ = kOutlineDropOnItemIndex;
    dropOperation_ = kDragOperationNone;
    dropIndicator_ = QRect();
    viewport()->update();
}

void OutlineView::startDrag(Qt::DropActions) {
    if (dataSource_ == nullptr || draggedTypes_.empty()) return;
    std::vector<void*> items;
    for (const long row : selectedRowIndexes()) items.push_back(itemAtRow(row));
    if (items.empty()) return;
    auto* carried = new QMimeData;
    Pasteboard pasteboard(carried);
    if (!dataSource_->outlineViewWriteItemsToPasteboard(this, items, pasteboard)) {
        delete carried;
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(carried);
    // The picture of the first dragged row; a selection the data source
    // changed while writing is the one dragged.
    const std::vector<long> rows = selectedRowIndexes();
    if (!rows.empty()) {
        const QModelIndex first = indexForItem(itemAtRow(rows.front()), 0);
        QRect rect = visualRect(first);
        rect.setLeft(0);
        rect.setWidth(viewport()->width());
        if (rect.isValid()) drag->setPixmap(viewport()->grab(rect));
    }
    // The drop does the moving: a move takes the dragged items out of their
    // tree itself.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

void OutlineView::dragEnterEvent(QDragEnterEvent* event) {
    if (!accepts(event->mimeData())) {
        event->ignore();
        return;
    }
    // Dragging state lets the tree view open parts hovered over and scroll
    // at the edges.
    setState(DraggingState);
    event->acceptProposedAction();
}

void OutlineView::dragMoveEvent(QDragMoveEvent* event) {
    if (!accepts(event->mimeData())) {
        event->ignore();
        return;
    }
    QTreeView::dragMoveEvent(event); // opening hovered parts, scrolling
    const DragOperation operation = draggingUpdated(event->position().toPoint(), draggingInfoFor(event));
    if (operation == kDragOperationNone) {
        event->ignore();
        return;
    }
    event->setDropAction(operation == kDragOperationCopy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void OutlineView::dragLeaveEvent(QDragLeaveEvent* event) {
    draggingEnded();
    QTreeView::dragLeaveEvent(event);
}

void OutlineView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    if (!accepts(event->mimeData())) {
        draggingEnded();
        event->ignore();
        return;
    }
    const DraggingInfo info = draggingInfoFor(event);
    const DragOperation operation = draggingUpdated(event->position().toPoint(), info);
    if (operation == kDragOperationNone || !performDragOperation(info)) {
        draggingEnded();
        event->ignore();
        return;
    }
    event->setDropAction(operation == kDragOperationCopy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void OutlineView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (dropOperation_ == kDragOperationNone || dropIndicator_.width() <= 0) return;
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Highlight));
    pen.setWidth(2);
    painter.setPen(pen);
    if (dropIndicator_.height() == 0) {
        painter.drawLine(dropIndicator_.topLeft(), QPoint(dropIndicator_.right(), dropIndicator_.top()));
        painter.drawEllipse(dropIndicator_.topLeft(), 3, 3);
    } else {
        painter.drawRoundedRect(dropIndicator_, 3, 3);
    }
}

void OutlineView::contextMenuEvent(QContextMenuEvent* event) {
    long row = kOutlineNoRow;
    QPoint where = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // The menu key opens the menu on the current row.
        if (currentIndex().isValid()) {
            row = rowForItem(itemForIndex(currentIndex()));
            where = visualRect(currentIndex()).center();
        }
    } else {
        // The viewport's event, in its coordinates.
        const QModelIndex index = indexAt(event->pos());
        if (index.isValid()) row = rowForItem(itemForIndex(index));
    }
    if (row != kOutlineNoRow) {
        const std::vector<long> selected = selectedRowIndexes();
        if (std::find(selected.begin(), selected.end(), row) == selected.end()) selectRowByExtendingSelection(row, false);
    }
    QMenu* menu = outlineDelegate_ ? outlineDelegate_->outlineViewMenuForRow(this, row) : nullptr;
    if (menu == nullptr) {
        event->ignore();
        return;
    }
    menu->popup(event->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(where) : event->globalPos());
    event->accept();
}

} // namespace cogbook
