// XML property lists: the form we write, and the documents the reader refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/xml_plist.h"
#include "support/error_message.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

PlistValue readText(const std::string& text) {
    return readXmlPlist(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string errorOf(const std::string& text) {
    return test_support::errorMessage<PlistError>([&] { readText(text); }, "no error");
}

std::string inPlist(const std::string& body) {
    return kHeader + "<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

TEST(XmlPlistRoundTrip, EveryType) {
    const PlistValue value(PlistDictionary{
        {"text", "a < b & c > d\r\n\ttabs, \"quotes\" and 'é🚲'"},
        {"empty string", ""},
        {"integers", PlistArray{0, -1, std::numeric_limits<std::int64_t>::min(),
                                std::numeric_limits<std::int64_t>::max()}},
        {"reals", PlistArray{0.1, -2.5e300, 1.0, 5e-324, std::numeric_limits<double>::infinity()}},
        {"booleans", PlistArray{true, false}},
        {"dates", PlistArray{Date(0.0), Date(-1.0), Date(757566245.0), Date(-63113904000.0)}},
        {"data", PlistArray{PlistData{}, PlistData{1}, PlistData{1, 2}, PlistData{1, 2, 3}, PlistData(200, 0xFE)}},
        {"empty array", PlistArray{}},
        {"empty dict", PlistDictionary{}},
        {"nested", PlistArray{PlistDictionary{{"k", PlistArray{PlistArray{"deep"}}}}}},
    });
    EXPECT_EQ(readText(writeXmlPlist(value)), value);
}

TEST(XmlPlistWriter, WritesTheUsualIndentedForm) {
    const PlistValue value(PlistDictionary{
        {"Name", "Bike & Co"}, {"Gears", PlistArray{11, 1.5}}, {"Since", Date(-1.0)}, {"Raw", PlistData{'h', 'i'}},
        {"On", true}});
    EXPECT_EQ(writeXmlPlist(value), kHeader + "<plist version=\"1.0\">\n<dict>\n"
                                              "\t<key>Name</key>\n\t<string>Bike &amp; Co</string>\n"
                                              "\t<key>Gears</key>\n\t<array>\n"
                                              "\t\t<integer>11</integer>\n\t\t<real>1.5</real>\n\t</array>\n"
                                              "\t<key>Since</key>\n\t<date>2000-12-31T23:59:59Z</date>\n"
                                              "\t<key>Raw</key>\n\t<data>\n\taGk=\n\t</data>\n"
                                              "\t<key>On</key>\n\t<true/>\n</dict>\n</plist>\n");
}

TEST(XmlPlistWriter, RefusesWhatXmlCannotHold) {
    PlistValue deep("leaf");
    for (int i = 0; i < 600; ++i) {
        PlistArray wrapper(1);
        wrapper[0] = std::move(deep);
        deep = std::move(wrapper);
    }
    for (const PlistValue& value : {PlistValue(), PlistValue(PlistArray{PlistUid{1}}), PlistValue("bell\x07"),
                                    PlistValue(Date(1e300)), PlistValue(Date(std::nan(""))), deep})
        EXPECT_THROW(writeXmlPlist(value), PlistError);
    // Invalid UTF-8 is replaced, so that the file stays readable.
    EXPECT_EQ(readText(writeXmlPlist(PlistValue("a\xFF"))).string(), "a\xEF\xBF\xBD");
}

TEST(XmlPlistReader, ReadsHandWrittenDocuments) {
    const PlistValue value = readText(
        "<?xml version=\"1.0\"?>\n<!-- defaults -->\n<plist version=\"1.0\"><dict>\n"
        "  <key>a</key> <integer> +42 </integer>\n"
        "  <key>b</key><real>-1E3</real><key>c</key><string/><key>d</key><data>AA E=\n</data>\n"
        "  <key>e</key><date>2024-02-29T12:00:00Z</date><key>f</key><false/>\n"
        "  <key>g</key><string>&lt;&#x1F6B2;&gt;</string>\n"
        "</dict></plist>");
    EXPECT_EQ(value, PlistValue(PlistDictionary{{"a", 42}, {"b", -1000.0}, {"c", ""}, {"d", PlistData{0, 1}},
                                                {"e", Date(730900800.0)}, {"f", false}, {"g", "<🚲>"}}));
}

TEST(XmlPlistReader, RefusesBadValuesAndStructureNamingTheLine) {
    EXPECT_EQ(errorOf(inPlist("<array>\n<integer>1</integer>\n<integer>12x</integer>\n</array>")),
              "XML property list: line 6: bad integer “12x”");
    EXPECT_THAT(errorOf(inPlist("<array>")), StartsWith("XML property list: line 5: "));
    EXPECT_THAT(errorOf(""), StartsWith("XML property list: line 1: "));
    EXPECT_THAT(errorOf("bplist00"), StartsWith("XML property list: line 1: "));
    EXPECT_THAT(errorOf("<array/>"), HasSubstr("not <plist>"));
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"<integer>99999999999999999999</integer>", "bad integer"}, {"<integer></integer>", "bad integer"},
        {"<real>1.5.5</real>", "bad real"}, {"<date>2025-02-29T00:00:00Z</date>", "bad date"},
        {"<date>2025-01-02 03:04:05</date>", "bad date"}, {"<date>2025-01-02T24:00:00Z</date>", "bad date"},
        {"<data>A</data>", "bad base64"}, {"<data>AA=A</data>", "bad base64"}, {"<data>A*AA</data>", "bad base64"},
        {"<dict><key>a</key><true/><key>a</key><false/></dict>", "duplicate key “a”"},
        {"<dict><key>a</key></dict>", "without a value"},
        {"<dict><key>a</key><key>b</key><true/></dict>", "without a value"},
        {"<dict><true/></dict>", "without a <key>"}, {"<dict>text</dict>", "unexpected text"},
        {"<array><key>a</key></array>", "<key> inside <array>"},
        {"<string><true/></string>", "<true> inside <string>"},
        {"<set/>", "unknown element <set>"}, {"<true/><false/>", "a second value"}, {"", "holds no value"},
        {"<string>&undefined;</string>", "entity"},
    };
    for (const auto& [body, message] : cases) EXPECT_THAT(errorOf(inPlist(body)), HasSubstr(message)) << body;
}

TEST(XmlPlistReader, NamesFromTheFileAreCutInMessages) {
    const std::string name(1'000'000, 'n');
    EXPECT_EQ(errorOf(inPlist("<" + name + "/>")),
              "XML property list: line 4: unknown element <" + std::string(80, 'n') + "… (1000000 characters)>");
    const std::string message = errorOf(inPlist("<dict><key>" + name + "</key><true/><key>" + name + "</key><false/></dict>"));
    EXPECT_LT(message.size(), 200u);
    EXPECT_THAT(message, HasSubstr("duplicate key “nnn"));
}

TEST(XmlPlistReader, RefusesEntityDeclarationsDeepNestingAndHugeInput) {
    const std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n"
                               "<plist><string>&b;</string></plist>";
    EXPECT_THAT(errorOf(laughs), HasSubstr("not allowed"));

    const auto nested = [](std::size_t levels) {
        std::string open, close;
        for (std::size_t i = 0; i < levels; ++i) {
            open += "<array>";
            close += "</array>";
        }
        return inPlist(open + close);
    };
    EXPECT_EQ(errorOf(nested(512)), "no error");
    EXPECT_THAT(errorOf(nested(513)), HasSubstr("nested deeper than 512"));
    EXPECT_THAT(errorOf(nested(100000)), HasSubstr("nested deeper than 512"));

    const std::vector<std::uint8_t> huge(kMaxXmlPlistBytes + 1, ' ');
    EXPECT_THAT([&] { readXmlPlist(huge); }, ::testing::ThrowsMessage<PlistError>(HasSubstr("more than the limit")));
}

} // namespace
} // namespace cogbook
