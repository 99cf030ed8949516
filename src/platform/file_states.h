// A value per file kept in the user defaults, for the files used last only:
// what a window showed of a file, say, to show it again when the file opens.
#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <string_view>

#include "foundation/plist.h"

namespace cogbook {

// Keeps VALUE for the file at PATH (an absolute path) under KEY, as the most
// recent, forgetting the files used least recently beyond LIMIT. When the
// defaults would grow too large, older files are forgotten first.
void setValueForFile(std::string_view key, const QString& path, PlistValue value, std::size_t limit);
// The value kept for PATH under KEY, if any.
std::optional<PlistValue> valueForFile(std::string_view key, const QString& path);

} // namespace cogbook
