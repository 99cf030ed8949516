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

// The menu items titled by the selection: with one row selected, the prefix
// and the row's part name; otherwise the plain title.
inline constexpr int kAddSubpartMenuItemTag = 13;
inline constexpr int kAddEntryForPartMenuItemTag = 14;
inline constexpr const char *ZRSWAddSubpartMITitlePrefix = "Add Subpart to ",
                            *ZRSWAddSubpartDisabledMITitle = "Add Subpart",
                            *ZRSWAddEntryMITitlePrefix = "Add Entry for ",
                            *ZRSWAddEntryDisabledMITitle = "Add Entry to Subpart";

// The document toolbar and its items.
inline constexpr const char *MyDocToolbarIdentifier = "My Document Toolbar Identifier",
                            *AddPartToolbarItemIdentifier = "Add Part Item Identifier",
                            *AddSubpartToolbarItemIdentifier = "Add Subpart Item Identifier",
                            *AddBikeEntryToolbarItemIdentifier = "Add Bike Entry Item Identifier",
                            *AddPartEntryToolbarItemIdentifier = "Add Part Entry Item Identifier",
                            *ExpandAllToolbarItemIdentifier = "Expand All Item Identifier",
                            *CollapseAllToolbarItemIdentifier = "Collapse All Item Identifier",
                            *SearchDocToolbarItemIdentifier = "Search Document Item Identifier";

// The tags of the find commands.
inline constexpr int kFindPanelActionShowFindPanel = 1;
inline constexpr int kFindPanelActionNext = 2;
inline constexpr int kFindPanelActionPrevious = 3;
inline constexpr int kFindPanelActionSetFindString = 7;

// The three pasteboard types, each mapped to its MIME type on first use.
const std::vector<std::string>& _ZRBikeTableDataTypes();

} // namespace cogbook
