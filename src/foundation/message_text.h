// Text taken from a file into a message: a file can hold names of any length,
// but a message must stay readable (and quick to show).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cogbook {

// At most this many characters of a name from a file appear in a message.
inline constexpr std::size_t kQuotedTextLimit = 80;

// TEXT in quotes for a message. Longer than LIMIT characters, it is cut there
// with an ellipsis and its full length follows:
//   “Chain” and “AAAA…” (1048576 characters)
// Control characters show as escapes (\n, \t, \x01), so that a quoted name
// stays on its line; a cut never splits a UTF-8 sequence.
std::string quotedForMessage(std::string_view text, std::size_t limit = kQuotedTextLimit);

// TEXT cut the same way without quotes, for text that is already a message
// (such as a library's, which may quote its input).
std::string shortenedForMessage(std::string_view text, std::size_t limit = 4 * kQuotedTextLimit);

} // namespace cogbook
