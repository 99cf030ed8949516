// What the document's source files share: the column identifiers, its
// assertion failures, dates as the outline carries them, and how long the
// notes' typing stays one undo step.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

#include "foundation/assertion.h"
#include <string_view>

#include "foundation/date.h"

namespace cogbook::document_support {

inline constexpr const char* kPartNameColumn = "partName";
inline constexpr const char* kDescriptionColumn = "description";
inline constexpr const char* kDateColumn = "date";

// Reports the failure, naming the file and line that found it, and throws.
[[noreturn]] void documentAssertion(std::string_view method, const void* object, std::string_view description,
                                    SourceLocation where = SourceLocation::current());

// The display name's base when it shows an extension ("a.b.c" gives "a.b"):
// the name a record goes by inside, where its file's extension means nothing.
std::optional<QString> displayNameWithoutExtension(const QString& displayName);

// To the millisecond, in the local time zone.
QDateTime outlineDate(Date date);
Date dateFromOutline(const QDateTime& dateTime);

// Notes typed within this many seconds of the last change are one undo step.
inline constexpr double kNotesUndoCoalescingInterval = 1.0;

} // namespace cogbook::document_support

namespace cogbook {
using document_support::kNotesUndoCoalescingInterval;
} // namespace cogbook
