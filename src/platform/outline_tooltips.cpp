// What a cell's tool tip says: the cell's own say, or the whole text where
// the column cuts it short.
#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>

#include "platform/outline_view.h"

namespace cogbook {

QRectF TextFieldCell::textFrameForCellFrame(const QRectF& frame, const QModelIndex&) const { return frame; }

bool TextFieldCell::isTextTruncated(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const TextLayout layout = textLayout(textFrameForCellFrame(QRectF(opt.rect), index), opt, index);
    if (layout.text.isEmpty()) return false;
    const QFontMetrics metrics(layout.option.font);
    return metrics.elidedText(layout.text, layout.option.textElideMode, layout.rect.width()) != layout.text;
}

QString TextFieldCell::toolTipForCell(const QStyleOptionViewItem& option, const QModelIndex& index,
                                      const QPoint&) const {
    if (!isTextTruncated(option, index)) return {};
    return index.data(Qt::DisplayRole).toString();
}

bool TextFieldCell::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                              const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = index.isValid() ? toolTipForCell(option, index, event->pos()) : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // Gone once the pointer leaves the cell.
    QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}

} // namespace cogbook
