// Record trees for tests, written the way they read: a part with its
// children in order, an entry with its texts and date. No Qt, so that the
// model and the document tests build their trees alike.
#pragma once

#include <string>
#include <vector>

#include "foundation/date.h"
#include "model/ZRBicycleList.h"

namespace cogbook::test_support {

// A node named NAME with CHILDREN filed under it in order, as the user adds them.
inline ZRBicycleListPtr node(const std::string& name, bool expandable, const std::vector<ZRBicycleListPtr>& children = {}) {
    auto result = ZRBicycleList::create();
    result->setPartName(name);
    result->setExpandable(expandable);
    for (const auto& child : children) result->addChildPartOrEntry(child);
    return result;
}

inline ZRBicycleListPtr part(const std::string& name, const std::vector<ZRBicycleListPtr>& children = {}) {
    return node(name, true, children);
}

inline ZRBicycleListPtr entry(const std::string& name, const std::string& description, Date date,
                              const std::string& notes = "") {
    auto result = node(name, false);
    result->setDescription(description);
    result->setNotes(notes);
    result->setDate(date);
    return result;
}

// DATE in seconds since the reference date.
inline ZRBicycleListPtr entry(const std::string& name, const std::string& description = "", double date = 0,
                              const std::string& notes = "") {
    return entry(name, description, Date(date), notes);
}

// NODE with its own date set to DATE, after filing moved it to its latest
// child's: parts dated before (or after) their children, as files hold them.
inline ZRBicycleListPtr dated(ZRBicycleListPtr node, Date date) {
    node->setDate(date);
    return node;
}

} // namespace cogbook::test_support
