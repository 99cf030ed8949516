// The record nodes an outline's selection stands for.
#pragma once

#include <vector>

#include "model/ZRBicycleList.h"
#include "platform/outline_view.h"

namespace cogbook {

// The nodes of the selected rows of VIEW, in ascending row order.
std::vector<ZRBicycleListPtr> _itemsForSelectedRowsInOutlineView(const OutlineView* view);

} // namespace cogbook
