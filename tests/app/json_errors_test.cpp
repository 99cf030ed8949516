// Bad JSON is refused with the path of the offending value, and every rule
// of a record is checked before anything is built.
#include <nlohmann/json.hpp>

#include "app/json_form.h"
#include "app_test_support.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using Json = nlohmann::json;

Json item(const std::string& creationDate, bool expandable, Json children = Json::array()) {
    return Json{{"creationDate", creationDate},
                {"partName", expandable ? "Wheel" : "Tyre"},
                {"date", "2025-03-01T09:30:00.123456Z"},
                {"description", ""},
                {"notes", ""},
                {"expandable", expandable},
                {"hasChildren", !children.empty()},
                {"children", std::move(children)}};
}

// A bike with an entry, a part, and a part holding an entry.
Json validBike() {
    return item("1", true, {item("2", false), item("3", true), item("4", true, {item("5", false)})});
}

std::string importError(const std::string& text) {
    try {
        importJson(text);
    } catch (const JsonFormError& error) {
        return error.what();
    }
    return "(accepted)";
}

std::string documentError(const Json& document) { return importError(document.dump()); }

TEST(appJsonErrors, ValidBaseDocumentIsAccepted) {
    EXPECT_EQ(documentError(validBike()), "(accepted)");
}

struct Case {
    const char* name;
    void (*breakIt)(Json&);
    const char* message;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }

class appJsonValueErrors : public ::testing::TestWithParam<Case> {};

TEST_P(appJsonValueErrors, NamesThePathOfTheOffendingValue) {
    Json document = validBike();
    GetParam().breakIt(document);
    EXPECT_EQ(documentError(document), GetParam().message);
}

const Case kValueCases[] = {
    {"BadDate", [](Json& d) { d["children"][2]["date"] = "yesterday"; },
     "$.children[2].date: not an ISO 8601 date"},
    {"DeepBadDate", [](Json& d) { d["children"][2]["children"][0]["date"] = "2025-02-30T00:00:00Z"; },
     "$.children[2].children[0].date: not an ISO 8601 date"},
    {"DateBeforeYearOne", [](Json& d) { d["date"] = "0001-01-01T00:30:00+01:00"; },
     "$.date: outside the years 1 to 9999"},
    {"DateAsNumber", [](Json& d) { d["children"][0]["date"] = 767784600; },
     "$.children[0].date: expected a string, found a number"},
    {"NameAsNumber", [](Json& d) { d["children"][1]["partName"] = 5; },
     "$.children[1].partName: expected a string, found a number"},
    {"NullNotes", [](Json& d) { d["children"][0]["notes"] = nullptr; },
     "$.children[0].notes: expected a string, found null"},
    {"CreationDateAsNumber", [](Json& d) { d["children"][1]["creationDate"] = 786543210.5; },
     "$.children[1].creationDate: expected a string, found a number"},
    {"FlagAsString", [](Json& d) { d["expandable"] = "yes"; },
     "$.expandable: expected a boolean, found a string"},
    {"HasChildrenAsNumber", [](Json& d) { d["children"][1]["hasChildren"] = 0; },
     "$.children[1].hasChildren: expected a boolean, found a number"},
    {"ChildrenAsObject", [](Json& d) { d["children"][1]["children"] = Json::object(); },
     "$.children[1].children: expected an array, found an object"},
    {"ChildNotAnObject", [](Json& d) { d["children"][1] = "Chain"; },
     "$.children[1]: expected an object, found a string"},
    {"RootNotAnObject", [](Json& d) { d = Json::array({validBike()}); },
     "$: expected an object, found an array"},
    {"MissingNotes", [](Json& d) { d["children"][0].erase("notes"); },
     "$.children[0]: missing key \"notes\""},
    {"MissingHasChildren", [](Json& d) { d.erase("hasChildren"); }, "$: missing key \"hasChildren\""},
    {"UnknownKey", [](Json& d) { d["children"][0]["colour"] = "red"; },
     "$.children[0].colour: unknown key"},
    {"OddUnknownKey", [](Json& d) { d["children"][0]["two words"] = 1; },
     "$.children[0][\"two words\"]: unknown key"},
    {"ParentIsNoField", [](Json& d) { d["parent"] = nullptr; }, "$.parent: unknown key"},
    {"EntryWithChildren",
     [](Json& d) {
         d["children"][0]["children"] = Json::array({item("9", false)});
         d["children"][0]["hasChildren"] = true;
     },
     "$.children[0].children: a service entry (expandable false) cannot hold items"},
    {"HasChildrenWithoutChildren", [](Json& d) { d["children"][1]["hasChildren"] = true; },
     "$.children[1].hasChildren: is true but there are no children"},
    {"HasChildrenLeftOutChildren",
     [](Json& d) {
         d["children"][1].erase("children");
         d["children"][1]["hasChildren"] = true;
     },
     "$.children[1].hasChildren: is true but there are no children"},
    {"ChildrenWithoutHasChildren", [](Json& d) { d["children"][2]["hasChildren"] = false; },
     "$.children[2].hasChildren: is false but the item holds 1 child"},
    {"DuplicateCreationDates", [](Json& d) { d["children"][2]["creationDate"] = "2"; },
     "$.children[2].creationDate: the same as that of $.children[0]; siblings need distinct creation "
     "dates"},
    {"BikeNotExpandable",
     [](Json& d) {
         d["expandable"] = false;
     },
     "$.expandable: the bike must be expandable"},
};

INSTANTIATE_TEST_SUITE_P(Cases, appJsonValueErrors, ::testing::ValuesIn(kValueCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(appJsonErrors, SameCreationDateUnderDifferentParentsIsFine) {
    Json document = validBike();
    document["children"][2]["children"][0]["creationDate"] = "2";
    EXPECT_EQ(documentError(document), "(accepted)");
}

TEST(appJsonErrors, DuplicateKeysAreRefusedNotCollapsed) {
    EXPECT_EQ(importError(R"({"creationDate": "1", "creationDate": "2"})"), "$.creationDate: duplicate key");
    std::string text = validBike().dump();
    // The third child's object starts at its creation date; give it a second date.
    const auto at = text.find(R"({"children":[{"children":[],"creationDate":"5")");
    ASSERT_NE(at, std::string::npos);
    text.insert(at + 1, R"("date": "2025-01-01T00:00:00Z", )");
    EXPECT_EQ(importError(text), "$.children[2].date: duplicate key");
}

TEST(appJsonErrors, SyntaxErrorsGiveTheBytePosition) {
    EXPECT_EQ(importError(R"({"a": tru})"),
              "invalid JSON at byte 10: parse error at line 1, column 10: syntax error while parsing "
              "value - invalid literal; last read: '\"a\": tru}'");
    EXPECT_EQ(importError(""),
              "invalid JSON at byte 1: parse error at line 1, column 1: syntax error while parsing "
              "value - unexpected end of input; expected '[', '{', or a literal");
    const std::string trailing = importError(validBike().dump() + " x");
    EXPECT_EQ(trailing.rfind("invalid JSON at byte ", 0), 0u) << trailing;
    const std::string badUtf8 = importError("{\"creationDate\": \"\xff\"}");
    EXPECT_EQ(badUtf8.rfind("invalid JSON at byte 19: ", 0), 0u) << badUtf8;
}

// Items nest two JSON levels each (object, children array).
std::string chainOfItems(std::size_t depth) {
    const std::string open =
        R"({"creationDate":"c","partName":"p","date":"2025-03-01T09:30:00Z","description":"",)"
        R"("notes":"","expandable":true,"hasChildren":true,"children":[)";
    const std::string leaf =
        R"({"creationDate":"c","partName":"p","date":"2025-03-01T09:30:00Z","description":"",)"
        R"("notes":"","expandable":true,"hasChildren":false})";
    std::string text;
    text.reserve(depth * (open.size() + 2) + leaf.size());
    for (std::size_t i = 1; i < depth; ++i) text += open;
    text += leaf;
    for (std::size_t i = 1; i < depth; ++i) text += "]}";
    return text;
}

TEST(appJsonErrors, DepthIsLimitedBeforeAnythingRecurses) {
    EXPECT_EQ(importError(chainOfItems(kMaxRecordDepth)), "(accepted)");
    const std::string tooDeep = "$: nested too deeply (a record holds at most 10000 levels of items)";
    EXPECT_EQ(importError(chainOfItems(kMaxRecordDepth + 1)), tooDeep);
    // Nesting anywhere counts, and is refused long before it could exhaust the stack.
    EXPECT_EQ(importError(R"({"notes": )" + std::string(1'000'000, '[')), tooDeep);
}

} // namespace
} // namespace cogbook
