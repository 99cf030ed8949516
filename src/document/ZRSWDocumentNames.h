// The names the document is known by outside itself: the notifications it
// posts, and the titles and tags of the menu items it retitles.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// The document toolbar and its items.
inline constexpr const char* MyDocToolbarIdentifier = "My Document Toolbar Identifier";
inline constexpr const char* AddPartToolbarItemIdentifier = "Add Part Item Identifier";
inline constexpr const char* AddSubpartToolbarItemIdentifier = "Add Subpart Item Identifier";
inline constexpr const char* AddBikeEntryToolbarItemIdentifier = "Add Bike Entry Item Identifier";
inline constexpr const char* AddPartEntryToolbarItemIdentifier = "Add Part Entry Item Identifier";
inline constexpr const char* ExpandAllToolbarItemIdentifier = "Expand All Item Identifier";
inline constexpr const char* CollapseAllToolbarItemIdentifier = "Collapse All Item Identifier";
inline constexpr const char* SearchDocToolbarItemIdentifier = "Search Document Item Identifier";

// The tags of the find commands.
inline constexpr int kFindPanelActionShowFindPanel = 1;
inline constexpr int kFindPanelActionNext = 2;
inline constexpr int kFindPanelActionPrevious = 3;
inline constexpr int kFindPanelActionSetFindString = 7;

// The three pasteboard types, each mapped to its MIME type on first use.
const std::vector<std::string>& _ZRBikeTableDataTypes();

} // namespace cogbook
