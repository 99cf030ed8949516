// The process-wide find string, shared by the find panel, "Use Selection for
// Find" and the toolbar's search field. Where the desktop has a find
// clipboard shared with other programs it lives there; elsewhere in the
// process alone.
#pragma once

#include <QString>

#include <optional>

namespace cogbook {

// The string last published, by this program or, with a desktop find
// clipboard, by any other; nothing when none has been.
std::optional<QString> findString();
void publishFindString(const QString& string);

// Forgets the string kept in the process (tests start from none).
void clearFindStringForTesting();

} // namespace cogbook
