// The user-defaults entries through which documents and the application know
// their templates.
#pragma once

#include <cstdint>
#include <string_view>

namespace cogbook {

inline constexpr std::string_view ZRSWBikeTemplates = "ZRSW Bike templates";
inline constexpr std::string_view ZRSWPreferredBike = "ZRSW Index of preferred bike template";
inline constexpr std::string_view ZRSWEmptyBike = "Empty Bike";
// The preferred index that means no template: the empty bike.
inline constexpr std::uint32_t kNSNotFound = 2147483647u;

} // namespace cogbook
