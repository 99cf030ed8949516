// The outline's arrow keys, as people know them from other tree views.
#include <QKeyEvent>

#include "platform/outline_view.h"

namespace cogbook {

void OutlineView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool vertical = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (vertical && modifiers == Qt::NoModifier && state() != EditingState && numberOfSelectedRows() == 0 &&
        numberOfRows() > 0) {
        // The tree view makes the first row current, unselected, when it
        // gets the focus; its Down would then step past that row.
        const long row = event->key() == Qt::Key_Down ? 0 : numberOfRows() - 1;
        selectRowByExtendingSelection(row, false);
        scrollRowToVisible(row);
        event->accept();
        return;
    }
    const bool horizontal = event->key() == Qt::Key_Right || event->key() == Qt::Key_Left;
    if (horizontal && modifiers == Qt::NoModifier && state() != EditingState) {
        // In a right-to-left layout the arrows point the other way.
        const bool into = (event->key() == Qt::Key_Right) != (layoutDirection() == Qt::RightToLeft);
        if (stepThroughOutline(into)) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

bool OutlineView::stepThroughOutline(bool into) {
    const long row = selectedRow();
    void* item = itemAtRow(row);
    if (item == nullptr) return false;
    long target = kOutlineNoRow;
    if (into) {
        if (!isItemExpanded(item)) {
            expandItem(item);
        } else if (itemAtRow(row + 1) != nullptr && parentForItem(itemAtRow(row + 1)) == item) {
            // An expanded part's first child is the row right below it.
            target = row + 1;
        }
    } else if (isItemExpanded(item)) {
        collapseItemCollapseChildren(item, false);
    } else if (void* parent = parentForItem(item)) {
        target = rowForItem(parent);
    }
    if (target != kOutlineNoRow) {
        selectRowByExtendingSelection(target, false);
        scrollRowToVisible(target);
    }
    return true;
}

} // namespace cogbook
