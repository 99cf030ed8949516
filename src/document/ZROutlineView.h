// The document's outline view.
#pragma once

#include "platform/outline_view.h"

namespace cogbook {

class ZROutlineView : public OutlineView {
    Q_OBJECT
public:
    explicit ZROutlineView(QWidget* parent = nullptr);

protected:
    // Return commits the edit and stays: no other cell starts editing, and
    // the outline keeps the focus with the edited row selected.
    void textDidEndEditing(const TextNotification& notification) override;
};

} // namespace cogbook
