// The JSON form keeps every field through a round trip; bad JSON is refused naming the value's path.
#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <random>

#include "app/json_form.h"
#include "app_test_support.h"
#include "model/tree_helpers.h"
#include "model/record_file.h"
#include "support/error_message.h"

namespace cogbook {
namespace {

using Json = nlohmann::json;
using test::makeNode;

// Export, import, and the record file the import command writes: the tree
// that comes back must be the one that went in.
void expectRoundTrip(const ZRBicycleList& bike) {
    const std::string json = exportJson(bike);
    const auto imported = importJson(json);
    EXPECT_EQ(testing::treeDifference(bike, *imported), "");
    EXPECT_EQ(exportJson(*imported), json);
    EXPECT_EQ(exportJson(*readRecordFile(writeRecordFile(*imported))), json);
}

// Text with what JSON must escape, several UTF-8 lengths, and nothing at all.
std::string randomText(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "", "a", "Chain", " ", "\"", "\\", "/", "\n", "\r\n", "\t", std::string(1, '\0'), "\x01",
        "\x1f", "\x7f", "é", "ß", "€", "日本", "🚲", "𝄞", "\xEF\xBF\xBD", "{", "]", "\\u0041"};
    std::uniform_int_distribution<std::size_t> length(0, 6), piece(0, pieces.size() - 1);
    std::string text;
    for (std::size_t n = length(random); n > 0; --n) text += pieces[piece(random)];
    return text;
}

// Dates with microseconds between 1990 and 2100, where a double still holds
// every microsecond; a third of them whole seconds.
Date randomDate(std::mt19937& random) {
    const std::int64_t value =
        std::uniform_int_distribution<std::int64_t>(-350'000'000'000'000, 3'100'000'000'000'000)(random);
    return Date(value % 3 == 0 ? static_cast<double>(value / 1'000'000) : static_cast<double>(value) / 1e6);
}

ZRBicycleListPtr randomBike(std::uint32_t seed, std::size_t items) {
    std::mt19937 random(seed);
    auto bike = makeNode(seed % 2 ? "" : "786543210.1234567", randomText(random), true, randomDate(random),
                         randomText(random), randomText(random));
    std::vector<ZRBicycleListPtr> parts{bike};
    for (std::size_t i = 1; i < items; ++i) {
        // Mostly under one of the latest parts, so that chains grow deep.
        const std::size_t lowest = random() % 4 == 0 || parts.size() <= 8 ? 0 : parts.size() - 8;
        const ZRBicycleListPtr parent = parts[lowest + random() % (parts.size() - lowest)];
        const bool expandable = random() % 4 != 0;
        // Unique among siblings by the counter, whatever the random part holds.
        auto node = makeNode(randomText(random) + "#" + std::to_string(i), randomText(random), expandable,
                             randomDate(random), randomText(random), randomText(random));
        parent->addChildPartOrEntry(node);
        if (expandable) parts.push_back(node);
        // Filing moves the parent's date; give it its own again, as a user's edit would.
        parent->setDate(randomDate(random));
    }
    return bike;
}

TEST(appJsonRoundTrip, SampleRandomTreesAndDatesSurvive) {
    expectRoundTrip(*readRecordFile(test::readBytes(test::resource("sample.cogbook"))));
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectRoundTrip(*randomBike(seed, 1 + seed * 12));
    }
    for (const char* iso : {"2025-03-01T09:30:00.123456Z", "2001-01-01T00:00:00.000001Z",
                            "2000-12-31T23:59:59.999999Z", "1999-02-28T12:00:00.000000Z",
                            "2099-12-31T23:59:59.999001Z"})
        EXPECT_EQ(importJson(exportJson(*makeNode("1", "Bike", true, *Date::fromISO8601(iso))))->date().iso8601(), iso);
}

TEST(appJsonExport, WritesOneObjectPerItemInTheDocumentedForm) {
    const Date date = *Date::fromISO8601("2025-03-01T09:30:00.123456Z");
    auto bike = makeNode("786543210.5", "Bike", true, date, "Say \"hi\"\\", "line one\nline\ttwo\x01 é \xff");
    bike->addChildPartOrEntry(makeNode("786543212", "Bike", false, Date(0.25), "Lubed"));
    bike->setDate(date);

    EXPECT_EQ(exportJson(*bike), R"({
  "creationDate": "786543210.5",
  "partName": "Bike",
  "date": "2025-03-01T09:30:00.123456Z",
  "description": "Say \"hi\"\\",
  "notes": "line one\nline\ttwo\u0001 é �",
  "expandable": true,
  "hasChildren": true,
  "children": [
    {
      "creationDate": "786543212",
      "partName": "Bike",
      "date": "2001-01-01T00:00:00.250000Z",
      "description": "Lubed",
      "notes": "",
      "expandable": false,
      "hasChildren": false,
      "children": []
    }
  ]
}
)");
}

Json item(const std::string& creationDate, bool expandable, Json children = Json::array()) {
    return Json{{"creationDate", creationDate}, {"partName", expandable ? "Wheel" : "Tyre"},
                {"date", "2025-03-01T09:30:00.123456Z"}, {"description", ""}, {"notes", ""},
                {"expandable", expandable}, {"hasChildren", !children.empty()}, {"children", std::move(children)}};
}

// A bike with an entry, a part, and a part holding an entry.
Json validBike() { return item("1", true, {item("2", false), item("3", true), item("4", true, {item("5", false)})}); }

std::string importError(const std::string& text) {
    return test_support::errorMessage<JsonFormError>([&] { importJson(text); }, "(accepted)");
}

TEST(appJsonErrors, EveryBadValueIsNamedByItsPath) {
    const std::vector<std::pair<std::function<void(Json&)>, std::string>> cases = {
        {[](Json&) {}, "(accepted)"},
        {[](Json& d) { d["children"][2]["children"][0]["creationDate"] = "2"; }, "(accepted)"}, // other parent
        {[](Json& d) { d["children"][1].erase("children"); }, "(accepted)"}, // none, then
        {[](Json& d) { d["children"][2]["date"] = "yesterday"; }, "$.children[2].date: not an ISO 8601 date"},
        {[](Json& d) { d["children"][2]["children"][0]["date"] = "2025-02-30T00:00:00Z"; },
         "$.children[2].children[0].date: not an ISO 8601 date"},
        {[](Json& d) { d["date"] = "0001-01-01T00:30:00+01:00"; }, "$.date: outside the years 1 to 9999"},
        {[](Json& d) { d["children"][0]["date"] = 767784600; },
         "$.children[0].date: expected a string, found a number"},
        {[](Json& d) { d["children"][0]["notes"] = nullptr; }, "$.children[0].notes: expected a string, found null"},
        {[](Json& d) { d["expandable"] = "yes"; }, "$.expandable: expected a boolean, found a string"},
        {[](Json& d) { d["children"][1]["hasChildren"] = 0; },
         "$.children[1].hasChildren: expected a boolean, found a number"},
        {[](Json& d) { d["children"][1]["children"] = Json::object(); },
         "$.children[1].children: expected an array, found an object"},
        {[](Json& d) { d["children"][1] = "Chain"; }, "$.children[1]: expected an object, found a string"},
        {[](Json& d) { d = Json::array({validBike()}); }, "$: expected an object, found an array"},
        {[](Json& d) { d["children"][0].erase("notes"); }, "$.children[0]: missing key \"notes\""},
        {[](Json& d) { d["children"][0]["two words"] = 1; }, "$.children[0][\"two words\"]: unknown key"},
        {[](Json& d) { d["parent"] = nullptr; }, "$.parent: unknown key"},
        {[](Json& d) { d["children"][0] = item("2", false, {item("9", false)}); },
         "$.children[0].children: a service entry (expandable false) cannot hold items"},
        {[](Json& d) { d["children"][1]["hasChildren"] = true; },
         "$.children[1].hasChildren: is true but there are no children"},
        {[](Json& d) { d["children"][1].erase("children"); d["children"][1]["hasChildren"] = true; },
         "$.children[1].hasChildren: is true but there are no children"},
        {[](Json& d) { d["children"][2]["hasChildren"] = false; },
         "$.children[2].hasChildren: is false but the item holds 1 child"},
        {[](Json& d) { d["children"][2]["creationDate"] = "2"; },
         "$.children[2].creationDate: the same as that of $.children[0]; siblings need distinct creation dates"},
        {[](Json& d) { d["expandable"] = false; }, "$.expandable: the bike must be expandable"},
        // The service fields, each on the kind of item that holds it.
        {[](Json& d) { d["children"][0]["cost"] = "12"; }, "$.children[0].cost: expected a number, found a string"},
        {[](Json& d) { d["children"][0]["odometer"] = -1; },
         "$.children[0].odometer: expected a number at least 0, found -1"},
        {[](Json& d) { d["children"][1]["serviceIntervalDays"] = 30.5; },
         "$.children[1].serviceIntervalDays: expected a whole number of days from 1 to 3652425, found 30.5"},
        {[](Json& d) { d["children"][1]["serviceIntervalDistance"] = nullptr; },
         "$.children[1].serviceIntervalDistance: expected a number above 0, found null"},
        {[](Json& d) { d["distanceUnit"] = "leagues"; }, "$.distanceUnit: expected \"km\" or \"mi\", found “leagues”"},
        {[](Json& d) { d["currency"] = std::string(200, 'X'); },
         "$.currency: expected a currency code of three capital letters, found “" + std::string(80, 'X') +
             "…” (200 characters)"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        Json document = validBike();
        cases[i].first(document);
        EXPECT_EQ(importError(document.dump()), cases[i].second);
    }
}

// A chain of LEVELS items above a dated leaf, built from the bottom up so
// that filing never walks a long ancestor chain.
ZRBicycleListPtr chainOf(std::size_t levels) {
    ZRBicycleListPtr top = makeNode("leaf", "Bolt", false, Date(1.5));
    for (std::size_t level = 1; level < levels; ++level) {
        auto part = makeNode(std::to_string(level), "Part", true, Date(static_cast<double>(level)));
        part->addChildPartOrEntry(top);
        top = part;
    }
    return top;
}

TEST(appJsonErrors, TextThatIsNoJsonOrRepeatsKeysIsRefusedBriefly) {
    std::string duplicateDeep = validBike().dump();
    // The third child's object starts at its creation date; give it a second date.
    const auto at = duplicateDeep.find(R"({"children":[{"children":[],"creationDate":"5")");
    ASSERT_NE(at, std::string::npos);
    duplicateDeep.insert(at + 1, R"("date": "2025-01-01T00:00:00Z", )");
    Json hugeKey = validBike();
    hugeKey["children"][0][std::string(50'000'000, 'k')] = 1;
    std::string deepKeys;
    for (int i = 0; i < 5000; ++i) deepKeys += "{\"" + std::string(90, 'k') + "\": ";
    const std::string tooDeep = "$: nested too deeply (a record holds at most 10000 levels of items)";
    using ::testing::EndsWith;
    using ::testing::StartsWith;
    const std::vector<std::pair<std::string, ::testing::Matcher<std::string>>> cases = {
        {R"({"creationDate": "1", "creationDate": "2"})", "$.creationDate: duplicate key"},
        {duplicateDeep, "$.children[2].date: duplicate key"},
        {R"({"a": tru})", "invalid JSON at byte 10: parse error at line 1, column 10: syntax error while parsing "
                          "value - invalid literal; last read: '\"a\": tru}'"},
        {"", "invalid JSON at byte 1: parse error at line 1, column 1: syntax error while parsing "
             "value - unexpected end of input; expected '[', '{', or a literal"},
        {validBike().dump() + " x", StartsWith("invalid JSON at byte ")},
        {"{\"creationDate\": \"\xff\"}", StartsWith("invalid JSON at byte 19: ")},
        // Nesting anywhere counts, refused long before it could exhaust the stack.
        {R"({"notes": )" + std::string(1'000'000, '['), tooDeep},
        {[] {
             auto tooTall = makeNode("top", "Bike", true, Date(0));
             tooTall->addChildPartOrEntry(chainOf(kMaxRecordDepth));
             return exportJson(*tooTall);
         }(),
         tooDeep},
        // Nothing in the file makes a long message.
        {hugeKey.dump(), "$.children[0][“" + std::string(80, 'k') + "…” (50000000 characters)]: unknown key"},
        {"{\"notes\": " + std::string(1'000'000, 'x') + "}",
         ::testing::AllOf(StartsWith("invalid JSON at byte 11: "), ::testing::SizeIs(::testing::Lt(500u)))},
        {deepKeys + "1, \"k\": 1, \"k\": 2",
         ::testing::AllOf(EndsWith("characters): duplicate key"), ::testing::SizeIs(::testing::Lt(500u)))},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        EXPECT_THAT(importError(cases[i].first), cases[i].second);
    }
}

TEST(appJsonErrors, AChainAtTheDepthLimitReadsAndAnErrorDeepInItIsNamedShortly) {
    const auto top = chainOf(kMaxRecordDepth);
    EXPECT_EQ(testing::treeDifference(*top, *importJson(exportJson(*top))), "");
    std::string text = exportJson(*chainOf(1000));
    const auto date = text.rfind("\"date\": "); // the leaf's, written last
    ASSERT_NE(date, std::string::npos);
    text.replace(date, text.find(',', date) - date, "\"date\": \"yesterday\"");
    const std::string fourLevels = ".children[0].children[0].children[0].children[0]";
    EXPECT_EQ(importError(text), "$" + fourLevels + "…(991 levels)…" + fourLevels + ".date: not an ISO 8601 date");
}

} // namespace
} // namespace cogbook
