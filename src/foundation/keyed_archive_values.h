// Archived values of any property-list kind, for carrying fields that a
// reader does not know from a file back into the file it writes.
#pragma once

#include <cstddef>
#include <optional>

#include "foundation/keyed_archive.h"
#include "foundation/plist.h"

namespace cogbook {

// The value stored at REF as a plain property-list value: strings, numbers,
// booleans, dates, data, null, and arrays and string-keyed dictionaries of
// them. Answers nothing for what a property list cannot hold: objects of other
// classes (references to other archived objects among them), dictionaries
// with keys that are not strings, values nested deeper than a property list
// may be, or damaged ones. BUDGET is the number of values the caller lets it
// unfold (shared objects unfold each time they are met), and is spent.
std::optional<PlistValue> archivedPlistValue(const KeyedUnarchiver& archive, KeyedUnarchiver::Ref ref,
                                             std::size_t& budget);

// Stores VALUE so that archivedPlistValue() reads it back equal.
KeyedArchiver::Ref archivePlistValue(KeyedArchiver& archiver, const PlistValue& value);

} // namespace cogbook
