// Who the program is, as the platform shows it: its names, its icon, and its
// one kind of document, the record file.
#pragma once

#include "platform/application_identity.h"

namespace cogbook {

inline constexpr const char* kRecordFileExtension = "cogbook";

ApplicationIdentity cogbookIdentity();

} // namespace cogbook
