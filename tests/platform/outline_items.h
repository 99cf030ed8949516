// A tree of named items and the data source that shows it, shared by the
// outline view tests.
#pragma once

#include <QDateTime>
#include <QString>

#include <map>
#include <memory>
#include <vector>

#include "platform/outline_view.h"

namespace cogbook::test_support {

struct Item {
    QString name;
    bool expandable = false;
    std::vector<std::shared_ptr<Item>> children;
    QDateTime date;
};
using ItemPtr = std::shared_ptr<Item>;

inline ItemPtr entry(const QString& name) { return std::make_shared<Item>(Item{name, false, {}, {}}); }
inline ItemPtr part(const QString& name, std::vector<ItemPtr> children = {}) {
    return std::make_shared<Item>(Item{name, true, std::move(children), {}});
}
inline Item* itemOf(void* item) { return static_cast<Item*>(item); }

// Shows "name" and "date" columns; remembers which items were asked for their
// children.
class ItemSource : public OutlineViewDataSource {
public:
    std::vector<ItemPtr>& childrenOf(void* item) { return item ? itemOf(item)->children : top; }
    long outlineViewNumberOfChildrenOfItem(OutlineView*, void* item) override {
        ++countAsked[item];
        return static_cast<long>(childrenOf(item).size()) + padding;
    }
    bool outlineViewIsItemExpandable(OutlineView*, void* item) override { return !item || itemOf(item)->expandable; }
    OutlineItem outlineViewChildOfItem(OutlineView*, long index, void* item) override {
        const auto& children = childrenOf(item);
        return index < static_cast<long>(children.size()) ? children[static_cast<std::size_t>(index)] : nullptr;
    }
    QVariant outlineViewObjectValueForTableColumnByItem(OutlineView*, const TableColumn& column, void* item) override {
        if (column.identifier() == "name") return itemOf(item)->name;
        if (column.identifier() == "date" && itemOf(item)->date.isValid()) return itemOf(item)->date;
        return {};
    }

    std::vector<ItemPtr> top;
    std::map<const void*, int> countAsked;
    long padding = 0; // counts more children than there are: the rest come back null
};

} // namespace cogbook::test_support
