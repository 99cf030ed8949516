// The icons the outline shows beside a row's text: what kind of row it is
// in the "partName" column, and whether it has notes in the "description"
// column.
#pragma once

#include <QString>

#include <string>

namespace cogbook {

// The name of the icon that marks an item's kind in the "partName" column.
const char* kindImageName(bool expandable, bool parentIsRoot);

// What that icon means, as its tool tip says.
const char* kindToolTip(bool expandable, bool parentIsRoot);

// The name of the icon that marks an item with notes.
inline constexpr const char* kNotesImageName = "Notes16.tiff";
// The notes marker's tool tip: "Has notes: " and the notes' first line,
// cut to a readable length.
QString notesToolTip(const std::string& notes);

// Files the names above under the drawings they show (once; done before a
// document first draws).
void registerOutlineIcons();

} // namespace cogbook
