// The JSON form must carry every field of every item: export, import and
// export again give the same text, and the imported tree equals the original.
#include <algorithm>
#include <random>

#include "app/json_form.h"
#include "app_test_support.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using test::makeNode;

// Walks both trees side by side; answers the first difference, or "".
std::string firstDifference(const ZRBicycleList& a, const ZRBicycleList& b) {
    std::vector<std::pair<const ZRBicycleList*, const ZRBicycleList*>> stack{{&a, &b}};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        const std::string where = "item \"" + x->creationDate() + "\": ";
        if (x->creationDate() != y->creationDate()) return where + "creation date " + y->creationDate();
        if (x->partName() != y->partName()) return where + "part name " + y->partName();
        if (x->description() != y->description()) return where + "description " + y->description();
        if (x->notes() != y->notes()) return where + "notes " + y->notes();
        if (x->date().iso8601() != y->date().iso8601()) return where + "date " + y->date().iso8601();
        if (x->expandable() != y->expandable()) return where + "expandable";
        if (x->hasChildren() != y->hasChildren()) return where + "hasChildren";
        if (x->numberOfChildren() != y->numberOfChildren()) return where + "number of children";
        for (std::size_t i = 0; i < x->numberOfChildren(); ++i)
            stack.emplace_back(x->childAtIndex(i).get(), y->childAtIndex(i).get());
    }
    return "";
}

// Export, import, and the record file the import command writes: the tree
// that comes back must be the one that went in.
void expectRoundTrip(const ZRBicycleList& bike) {
    const std::string json = exportJson(bike);
    const auto imported = importJson(json);
    EXPECT_EQ(firstDifference(bike, *imported), "");
    EXPECT_EQ(exportJson(*imported), json);
    const auto reread = readRecordFile(writeRecordFile(*imported));
    EXPECT_EQ(exportJson(*reread), json);
}

TEST(appJsonRoundTrip, SampleRecordSurvivesExportAndImport) {
    const auto text = test::readText(test::resource("sample.cogbook"));
    const auto bike = readRecordFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    expectRoundTrip(*bike);
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
// every microsecond.
Date randomDate(std::mt19937& random) {
    std::uniform_int_distribution<std::int64_t> micros(-350'000'000'000'000, 3'100'000'000'000'000);
    const std::int64_t value = micros(random);
    if (value % 3 == 0) return Date(static_cast<double>(value / 1'000'000)); // whole seconds too
    return Date(static_cast<double>(value) / 1e6);
}

ZRBicycleListPtr randomBike(std::uint32_t seed, std::size_t items) {
    std::mt19937 random(seed);
    auto bike = makeNode(seed % 2 ? "" : "786543210.1234567", randomText(random), true, randomDate(random),
                         randomText(random), randomText(random));
    std::vector<ZRBicycleListPtr> parts{bike};
    std::uniform_int_distribution<int> coin(0, 3);
    for (std::size_t i = 1; i < items; ++i) {
        // Mostly under one of the latest parts, so that chains grow deep.
        std::uniform_int_distribution<std::size_t> recent(parts.size() > 8 ? parts.size() - 8 : 0,
                                                          parts.size() - 1);
        const ZRBicycleListPtr parent = coin(random) == 0 ? parts[std::uniform_int_distribution<std::size_t>(
                                                     0, parts.size() - 1)(random)]
                                               : parts[recent(random)];
        const bool expandable = coin(random) != 0;
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

std::size_t depthOf(const ZRBicycleList& root) {
    std::size_t deepest = 0;
    std::vector<std::pair<const ZRBicycleList*, std::size_t>> stack{{&root, 1}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, depth);
        for (std::size_t i = 0; i < node->numberOfChildren(); ++i)
            stack.emplace_back(node->childAtIndex(i).get(), depth + 1);
    }
    return deepest;
}

TEST(appJsonRoundTrip, RandomTreesSurviveExportImportAndRecordFiles) {
    std::size_t deepest = 0;
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto bike = randomBike(seed, 1 + seed * 12);
        deepest = std::max(deepest, depthOf(*bike));
        expectRoundTrip(*bike);
    }
    // The trees must reach well past the two or three levels of a real bike.
    EXPECT_GE(deepest, 12u);
}

TEST(appJsonRoundTrip, DatesKeepTheirMicroseconds) {
    for (const char* iso : {"2025-03-01T09:30:00.123456Z", "2001-01-01T00:00:00.000001Z",
                            "2000-12-31T23:59:59.999999Z", "1999-02-28T12:00:00.000000Z",
                            "2099-12-31T23:59:59.999001Z"}) {
        SCOPED_TRACE(iso);
        auto bike = makeNode("1", "Bike", true, *Date::fromISO8601(iso));
        const auto imported = importJson(exportJson(*bike));
        EXPECT_EQ(imported->date().iso8601(), iso);
        expectRoundTrip(*bike);
    }
}

TEST(appJsonRoundTrip, DeepestAllowedRecordSurvives) {
    // Built from the bottom up, so filing never walks a long ancestor chain.
    ZRBicycleListPtr top = makeNode("leaf", "Bolt", false, Date(1.5));
    for (std::size_t level = 1; level < kMaxRecordDepth; ++level) {
        auto part = makeNode(std::to_string(level), "Part", true, Date(static_cast<double>(level)));
        part->addChildPartOrEntry(top);
        top = part;
    }
    const auto imported = importJson(exportJson(*top));
    std::size_t depth = 1;
    for (const ZRBicycleList* node = imported.get(); node->numberOfChildren() > 0;
         node = node->childAtIndex(0).get())
        ++depth;
    EXPECT_EQ(depth, kMaxRecordDepth);
    EXPECT_EQ(firstDifference(*top, *imported), "");
}

TEST(appJsonExport, WritesOneObjectPerItemInTheDocumentedForm) {
    auto bike = makeNode("786543210.5", "Bike", true, *Date::fromISO8601("2025-03-01T09:30:00.123456Z"),
                         "Say \"hi\"\\", "line one\nline\ttwo\x01 é \xff");
    auto chain = makeNode("786543211", "Chain", true, Date(0));
    auto entry = makeNode("786543212", "Chain", false, Date(0.25), "Lubed");
    chain->addChildPartOrEntry(entry);
    bike->addChildPartOrEntry(chain);
    bike->setDate(*Date::fromISO8601("2025-03-01T09:30:00.123456Z"));
    chain->setDate(Date(0));

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
      "creationDate": "786543211",
      "partName": "Chain",
      "date": "2001-01-01T00:00:00.000000Z",
      "description": "",
      "notes": "",
      "expandable": true,
      "hasChildren": true,
      "children": [
        {
          "creationDate": "786543212",
          "partName": "Chain",
          "date": "2001-01-01T00:00:00.250000Z",
          "description": "Lubed",
          "notes": "",
          "expandable": false,
          "hasChildren": false,
          "children": []
        }
      ]
    }
  ]
}
)");
}

TEST(appJsonImport, TakesTheFormsAWriterMayChoose) {
    // "children" left out means none; dates with an offset or fewer digits
    // are the same instants; key order is free.
    const auto bike = importJson(R"({"children": [
        {"partName": "Tyre", "creationDate": "2", "date": "2025-03-01T11:30:00.5+02:00",
         "description": "Swapped", "notes": "", "expandable": false, "hasChildren": false}],
      "creationDate": "1", "partName": "Bike", "date": "2025-03-01T09:30:00Z",
      "description": "", "notes": "", "expandable": true, "hasChildren": true})");
    ASSERT_EQ(bike->numberOfChildren(), 1u);
    const auto& tyre = bike->childAtIndex(0);
    EXPECT_EQ(tyre->date().iso8601(), "2025-03-01T09:30:00.500000Z");
    EXPECT_EQ(tyre->parent(), bike);
    EXPECT_EQ(tyre->children(), nullptr);
    // The file's own date for the bike stands, although its child is later.
    EXPECT_EQ(bike->date().iso8601(), "2025-03-01T09:30:00.000000Z");
}

} // namespace
} // namespace cogbook
