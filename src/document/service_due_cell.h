// The Due column's cell: the icon of the row's due state beside its text,
// the text in the state's colour (made legible on the palette's rows).
#pragma once

#include <functional>
#include <optional>

#include "document/ImageAndTextCell.h"
#include "model/service_due.h"

namespace cogbook {

// The colour that stands for STATE, before it is made legible.
QColor dueStateTint(DueState state);

class ServiceDueCell : public ImageAndTextCell {
    Q_OBJECT
public:
    explicit ServiceDueCell(QObject* parent = nullptr);

    // The state of the row of an index; nothing for a row without one.
    using StateForIndex = std::function<std::optional<DueState>(const QModelIndex&)>;
    void setStateForIndex(StateForIndex stateForIndex) { stateForIndex_ = std::move(stateForIndex); }

    void drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const override;

private:
    StateForIndex stateForIndex_;
};

} // namespace cogbook
