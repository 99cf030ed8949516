// The icons the outline shows beside a row's text: what kind of row it is
// in the "partName" column, and whether it has notes in the "description"
// column.
#pragma once

namespace cogbook {

// The name of the icon that marks an item's kind in the "partName" column.
const char* kindImageName(bool expandable, bool parentIsRoot);

// The name of the icon that marks an item with notes.
inline constexpr const char* kNotesImageName = "Hand16.tif";

// Files the names above under the drawings they show (once; done before a
// document first draws).
void registerOutlineIcons();

} // namespace cogbook
