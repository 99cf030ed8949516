// Names from files quoted in messages: short ones whole, long ones cut
// between characters with their full length, control characters visible.
#include <gtest/gtest.h>

#include <string>

#include "foundation/message_text.h"

namespace cogbook {
namespace {

TEST(MessageText, QuotesShortNamesWholeAndCutsLongOnesBetweenCharacters) {
    EXPECT_EQ(quotedForMessage("Chain"), "“Chain”");
    EXPECT_EQ(quotedForMessage(std::string(80, 'A')), "“" + std::string(80, 'A') + "”");
    EXPECT_EQ(quotedForMessage(std::string(1048576, 'A')), "“" + std::string(80, 'A') + "…” (1048576 characters)");
    // Characters, not bytes: a cut never splits "é" (two bytes) or "🚲" (four).
    std::string accents;
    for (int i = 0; i < 100; ++i) accents += "é";
    std::string expected;
    for (int i = 0; i < 80; ++i) expected += "é";
    EXPECT_EQ(quotedForMessage(accents), "“" + expected + "…” (100 characters)");
    EXPECT_EQ(quotedForMessage("🚲🚲🚲", 2), "“🚲🚲…” (3 characters)");
    // A name cannot break the message's line.
    EXPECT_EQ(quotedForMessage("two\nlines\tand\x01"), "“two\\nlines\\tand\\x01”");
    EXPECT_EQ(shortenedForMessage("short"), "short");
    EXPECT_EQ(shortenedForMessage(std::string(500, 'x'), 10), std::string(10, 'x') + "… (500 characters)");
}

} // namespace
} // namespace cogbook
