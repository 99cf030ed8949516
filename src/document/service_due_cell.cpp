#include "document/service_due_cell.h"

#include <QStyle>

#include "platform/legible_colors.h"

namespace cogbook {

QColor dueStateTint(DueState state) {
    switch (state) {
    case DueState::overdue: return QColor(0xc6, 0x28, 0x28);
    case DueState::due: return QColor(0xd8, 0x4a, 0x00);
    case DueState::soon: return QColor(0x9a, 0x67, 0x00);
    case DueState::ok: return QColor(0x2e, 0x7d, 0x32);
    case DueState::unknown: break;
    }
    return QColor(0x75, 0x75, 0x75);
}

ServiceDueCell::ServiceDueCell(QObject* parent) : ImageAndTextCell(parent) {}

void ServiceDueCell::drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    const std::optional<DueState> state = stateForIndex_ ? stateForIndex_(index) : std::nullopt;
    // A selected row keeps the highlight's own text colour.
    if (!state || (option.state & QStyle::State_Selected)) {
        ImageAndTextCell::drawWithFrameInView(frame, painter, option, index);
        return;
    }
    QStyleOptionViewItem tinted = option;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        tinted.palette.setColor(group, QPalette::Text,
                                legibleTint(dueStateTint(*state), option.palette.color(group, QPalette::Base),
                                            option.palette.color(group, QPalette::Text)));
    }
    ImageAndTextCell::drawWithFrameInView(frame, painter, tinted, index);
}

} // namespace cogbook
