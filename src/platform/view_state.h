// Which rows of an outline are expanded and which are selected, taken down
// in a form that outlives the items (kept in the user defaults between
// sessions) and brought back over the same content, or over content changed
// since, as far as it still fits.
#pragma once

#include <QString>

#include <utility>
#include <vector>

#include "foundation/plist.h"

namespace cogbook {

class OutlineView;

// Where an item sits: from the top down, at each level its index among its
// siblings and the text that names it in the outline column (cut short to
// kPlaceNameLength characters).
struct ItemPlace {
    std::vector<std::pair<int, QString>> steps;
    bool operator==(const ItemPlace&) const = default;
};

struct OutlineViewState {
    // Each expanded item with all its ancestors expanded; parents first.
    std::vector<ItemPlace> expanded;
    // The selected rows' items, the latest one last.
    std::vector<ItemPlace> selected;
    bool operator==(const OutlineViewState&) const = default;
};

inline constexpr int kPlaceNameLength = 80;
// No more places than this are taken of either kind: the state of a huge
// outline stays small in the defaults.
inline constexpr std::size_t kMaxPlaces = 256;

OutlineViewState outlineViewState(const OutlineView& view);
// Expands the items of STATE's expanded places and selects (and scrolls to)
// those of its selected places, leaving other items as they are. A step
// finds the sibling at its index when the name is the same there, else the
// first sibling of that name; a place whose step finds none is passed over.
void restoreOutlineViewState(OutlineView& view, const OutlineViewState& state);

PlistValue plistFromOutlineViewState(const OutlineViewState& state);
// What of VALUE is well formed; anything else is left out.
OutlineViewState outlineViewStateFromPlist(const PlistValue& value);

} // namespace cogbook
