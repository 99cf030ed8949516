#include "document/selection.h"

namespace cogbook {

std::vector<ZRBicycleListPtr> _itemsForSelectedRowsInOutlineView(const OutlineView* view) {
    std::vector<ZRBicycleListPtr> items;
    for (const long row : view->selectedRowIndexes()) {
        if (auto* node = static_cast<ZRBicycleList*>(view->itemAtRow(row))) items.push_back(node->shared_from_this());
    }
    return items;
}

} // namespace cogbook
