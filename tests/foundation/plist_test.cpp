// Property-list values, format sniffing and the shared UTF-8 helpers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/binary_plist.h"
#include "foundation/plist.h"
#include "foundation/xml_plist.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;

TEST(PlistValue, TypedAccessAndDictionariesKeepingOrder) {
    EXPECT_THAT([] { PlistValue(7).string(); },
                ::testing::ThrowsMessage<PlistError>(HasSubstr("expected string, found integer")));
    EXPECT_THROW(PlistValue(1.0).integer(), PlistError); // no silent conversion either way
    EXPECT_THROW(PlistValue(7).real(), PlistError);
    EXPECT_THROW(PlistValue(PlistArray{}).dictionary(), PlistError);

    PlistValue dict(PlistDictionary{{"b", 1}, {"a", 2}});
    dict.set("b", "replaced");
    dict.set("c", 3);
    EXPECT_EQ(dict, PlistValue(PlistDictionary{{"b", "replaced"}, {"a", 2}, {"c", 3}}));
    EXPECT_EQ(dict.find("a")->integer(), 2);
    EXPECT_EQ(dict.find("z"), nullptr);
    EXPECT_EQ(PlistValue(PlistArray{}).find("b"), nullptr);
    PlistValue notADict(1);
    EXPECT_THROW(notADict.set("k", 1), PlistError);
}

TEST(ReadPlist, TellsBinaryFromXml) {
    const PlistValue value(PlistDictionary{{"k", PlistArray{1, "two"}}});
    const auto binary = writeBinaryPlist(value);
    const std::string xml = writeXmlPlist(value);
    EXPECT_EQ(readPlist(binary), value);
    EXPECT_EQ(readPlist(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size())), value);
    const std::vector<std::uint8_t> truncated(binary.begin(), binary.begin() + 20);
    EXPECT_THAT([&] { readPlist(truncated); },
                ::testing::ThrowsMessage<PlistError>(HasSubstr("binary property list")));
}

TEST(Utf8, DecodesValidTextAndReplacesEveryInvalidSequence) {
    const auto decode = [](std::string_view text) {
        std::vector<char32_t> out;
        for (std::size_t pos = 0; pos < text.size();) out.push_back(nextCodePoint(text, pos));
        return out;
    };
    const char32_t bad = 0xFFFD;
    EXPECT_EQ(decode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x9A\xB2"), (std::vector<char32_t>{'a', 0xE9, 0x20AC, 0x1F6B2}));
    EXPECT_EQ(decode("\xC0\xAF"), (std::vector<char32_t>{bad, bad}));           // overlong
    EXPECT_EQ(decode("\xE0\x80\xAF"), (std::vector<char32_t>{bad, bad, bad}));  // overlong
    EXPECT_EQ(decode("\xED\xBF\xBF"), (std::vector<char32_t>{bad, bad, bad}));  // surrogate
    EXPECT_EQ(decode("\xF4\x90\x80\x80").front(), bad);                         // past U+10FFFF
    EXPECT_EQ(decode("\xE2\x82"), (std::vector<char32_t>{bad, bad}));           // truncated at the end
    EXPECT_EQ(decode("\xE2\x82x"), (std::vector<char32_t>{bad, bad, 'x'}));     // truncated

    std::string out;
    for (const char32_t cp : {char32_t{'a'}, char32_t{0xE9}, char32_t{0x20AC}, char32_t{0x1F6B2}, char32_t{0xD800},
                              char32_t{0x110000}})
        appendUtf8(out, cp);
    EXPECT_EQ(out, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x9A\xB2\xEF\xBF\xBD\xEF\xBF\xBD");
}

// Death test style: the value is built and replaced in a child process, so
// that a destructor recursing through the levels shows as a crash there and
// a failure here rather than taking the test program down.
TEST(PlistValue, DeeplyNestedValuesDieWithoutDeepRecursion) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            PlistValue nested(PlistArray{});
            for (int i = 0; i < 300000; ++i) {
                PlistDictionary level;
                level.emplace_back("inner", std::move(nested));
                PlistArray pair;
                pair.emplace_back(std::move(level));
                pair.emplace_back(i);
                nested = PlistValue(std::move(pair));
            }
            const bool built = nested.array()[0].dictionary()[0].second.array()[1].integer() == 299998;
            nested = PlistValue(7); // the old value dies here
            std::exit(built && nested.integer() == 7 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace cogbook
