// The document's outline view.
#pragma once

#include "platform/outline_view.h"

namespace cogbook {

class ZROutlineView : public OutlineView {
    Q_OBJECT
public:
    explicit ZROutlineView(QWidget* parent = nullptr);
};

} // namespace cogbook
