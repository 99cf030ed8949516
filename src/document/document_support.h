// What the document's source files share: the column identifiers, its
// assertion failures, and dates as the outline carries them.
#pragma once

#include <QDateTime>

#include <string_view>

#include "foundation/date.h"

namespace cogbook::document_support {

inline constexpr const char* kPartNameColumn = "partName";
inline constexpr const char* kDescriptionColumn = "description";
inline constexpr const char* kDateColumn = "date";

// Reports the failure from the document ("MyDocument") and throws.
[[noreturn]] void documentAssertion(std::string_view method, const void* object, std::string_view description);

// To the millisecond, in the local time zone.
QDateTime outlineDate(Date date);
Date dateFromOutline(const QDateTime& dateTime);

} // namespace cogbook::document_support
