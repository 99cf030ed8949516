// The names the document is known by outside itself: the notifications it
// posts, and the titles and tags of the menu items it retitles.
#pragma once

#include <string_view>

namespace cogbook {

inline constexpr std::string_view kZRSWBikeDocumentDidLoadNotification = "ZRSW Bike document did load notification";
inline constexpr std::string_view kZRSWBikeDocumentWillDeallocNotification =
    "ZRSW Bike document will dealloc notification";

// The menu items titled by the selection.
inline constexpr const char* ZRSWAddSubpartMITitlePrefix = "Add Subpart to ";
inline constexpr const char* ZRSWAddSubpartDisabledMITitle = "Add Subpart";
inline constexpr const char* ZRSWAddEntryMITitlePrefix = "Add Entry for ";
inline constexpr const char* ZRSWAddEntryDisabledMITitle = "Add Entry to Subpart";
inline constexpr int kAddSubpartMenuItemTag = 13;
inline constexpr int kAddEntryForPartMenuItemTag = 14;

} // namespace cogbook
