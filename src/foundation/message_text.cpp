#include "foundation/message_text.h"

#include <cstdio>

namespace cogbook {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += isContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    return count;
}

// The first LIMIT characters of TEXT, control characters escaped; sets CUT
// when some were left out.
std::string head(std::string_view text, std::size_t limit, bool& cut) {
    std::string out;
    std::size_t characters = 0;
    cut = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!isContinuation(byte)) {
            if (characters == limit) {
                cut = true;
                break;
            }
            ++characters;
        }
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string lengthNote(std::string_view text) {
    return " (" + std::to_string(characterCount(text)) + " characters)";
}

} // namespace

std::string quotedForMessage(std::string_view text, std::size_t limit) {
    bool cut = false;
    std::string out = "\u201C" + head(text, limit, cut);
    if (!cut) return out + "\u201D";
    return out + "\u2026\u201D" + lengthNote(text);
}

std::string shortenedForMessage(std::string_view text, std::size_t limit) {
    bool cut = false;
    std::string out = head(text, limit, cut);
    if (!cut) return out;
    return out + "\u2026" + lengthNote(text);
}

} // namespace cogbook
