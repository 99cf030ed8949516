// The JSON form of a record: one object per item with its seven fields, the
// service fields it has set, and its children in display order, for scripts
// and for moving records between tools. Export then import gives back every
// field, dates to the microsecond.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/ZRBicycleList.h"

namespace cogbook {

// Why JSON text could not become a record. The message starts with the
// JSON path of the offending value ("$.children[2].date: not an ISO 8601
// date"), or says where the text stops being JSON.
class JsonFormError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The tree of ROOT, ROOT included, as indented JSON ending in a newline. Every
// object carries "children", empty for an item without any. Text that is not
// valid UTF-8 is written with U+FFFD in place of the bad bytes, since JSON
// cannot carry it.
std::string exportJson(const ZRBicycleList& root);

// Builds a bike from the JSON form, checking every value first: all seven
// fields present with the right types ("children" may be left out), the
// service fields fit where present, no other keys, hasChildren matching the
// children, no children under a service entry, distinct creation dates among
// siblings, an expandable root, and at most kMaxRecordDepth levels. Throws
// JsonFormError; nothing half-built is returned.
ZRBicycleListPtr importJson(std::string_view text);

} // namespace cogbook
