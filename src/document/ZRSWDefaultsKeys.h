// The user-defaults entries through which documents and the application know
// their templates, and documents remember how their windows looked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cogbook {

inline constexpr std::string_view ZRSWBikeTemplates = "ZRSW Bike templates";
inline constexpr std::string_view ZRSWPreferredBike = "ZRSW Index of preferred bike template";
inline constexpr std::string_view ZRSWEmptyBike = "Empty Bike";
// The outline's columns (widths and order) as the user last left them.
inline constexpr std::string_view ZRSWOutlineColumns = "ZRSW Outline columns";
// The outline's optional columns the user chose to show, by identifier.
inline constexpr std::string_view ZRSWOutlineShownColumns = "ZRSW Outline shown columns";
// Per record file, the rows expanded and selected when it was last closed.
inline constexpr std::string_view ZRSWOutlineStatesByFile = "ZRSW Outline states by file";
inline constexpr std::size_t kZRSWRememberedOutlineFiles = 50;
// The preferred index that means no template: the empty bike.
inline constexpr std::uint32_t kNSNotFound = 2147483647u;

} // namespace cogbook
