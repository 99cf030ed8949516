// Whether a field holds a search string: exactly, or ignoring case the way
// Unicode folds it ("ä" finds "Ä").
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace cogbook {

class TextMatcher {
public:
    TextMatcher(const QString& needle, bool ignoreCase);

    // Whether UTF8 contains the needle. An empty needle is in nothing.
    bool matches(std::string_view utf8) const;

private:
    QString needle_;
    std::string needleUtf8_;
    std::string needleLowerAscii_;
    bool ignoreCase_;
    bool needleIsAscii_;
};

} // namespace cogbook
