// What the archiver and the unarchiver share: string-keyed maps searched by
// view, the archiver's name and how objects are named in messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "foundation/binary_plist.h"

namespace cogbook::keyed_archive_detail {

// Maps keyed by std::string that can be searched with a string_view, so that
// the hot paths never build a temporary string just to look something up.
struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
template <typename V>
using StringMap = std::unordered_map<std::string, V, StringHash, std::equal_to<>>;

using BRef = BinaryPlistReader::Ref; // an object of the binary property list

inline constexpr const char* kArchiverName = "NSKeyedArchiver";

inline std::string objectName(std::uint64_t ref) {
    return "object " + std::to_string(ref);
}

} // namespace cogbook::keyed_archive_detail
