#include "search/text_matcher.h"

#include <algorithm>

namespace cogbook {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// NEEDLE is already lower case.
bool containsIgnoringAsciiCase(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) return false;
    const char first = needle.front();
    const char firstUpper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t at = 0; at <= last; ++at) {
        const char c = haystack[at];
        if (c != first && c != firstUpper) continue;
        std::size_t matched = 1;
        while (matched < needle.size() && lowerAscii(haystack[at + matched]) == needle[matched]) ++matched;
        if (matched == needle.size()) return true;
    }
    return false;
}

} // namespace

TextMatcher::TextMatcher(const QString& needle, bool ignoreCase)
    : needle_(needle), needleUtf8_(needle.toStdString()), ignoreCase_(ignoreCase),
      needleIsAscii_(isAscii(needleUtf8_)) {
    needleLowerAscii_.reserve(needleUtf8_.size());
    for (const char c : needleUtf8_) needleLowerAscii_.push_back(lowerAscii(c));
}

bool TextMatcher::matches(std::string_view utf8) const {
    if (needleUtf8_.empty() || utf8.empty()) return false;
    if (!ignoreCase_) return utf8.find(needleUtf8_) != std::string_view::npos;
    // Plain ASCII on both sides folds byte by byte; anything else goes through
    // Unicode case folding.
    if (needleIsAscii_ && isAscii(utf8)) return containsIgnoringAsciiCase(utf8, needleLowerAscii_);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).contains(needle_, Qt::CaseInsensitive);
}

} // namespace cogbook
