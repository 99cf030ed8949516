#include "model/record_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "foundation/keyed_archive.h"
#include "foundation/xml_plist.h"
#include "tree_helpers.h"
#include "support/error_message.h"

namespace cogbook {
namespace {

using testing::entry;
using testing::part;
using testing::treeDifference;

// Writes archives by hand, to make the damaged and old-form files that the
// program itself never writes.
struct RawNode {
    std::string creationDate;
    std::string name;
    bool expandable = true;
    bool hasChildren = false;
    int parent = -1;
    std::vector<int> children{};
    std::vector<std::string> keys{}; // defaults to the children's creation dates
    bool legacy = false;           // "bicycleList0" with integer keys
};

std::vector<std::uint8_t> writeRaw(const std::vector<RawNode>& nodes, int root = 0) {
    KeyedArchiver ar;
    std::vector<KeyedArchiver::Ref> refs;
    for (std::size_t i = 0; i < nodes.size(); ++i) refs.push_back(ar.reserve());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const RawNode& n = nodes[i];
        auto key = [&](std::size_t c, const std::string& text) {
            if (n.legacy) return ar.integer(static_cast<std::int64_t>(c) + 1000);
            return ar.string(text);
        };
        std::vector<KeyedArchiver::Ref> k, v;
        auto put = [&](const char* name, KeyedArchiver::Ref value) {
            k.push_back(ar.string(name));
            v.push_back(value);
        };
        put("creationDate", n.legacy ? ar.integer(static_cast<std::int64_t>(i)) : ar.string(n.creationDate));
        put("partName", ar.string(n.name));
        put("date", ar.date(Date(1000.0 * static_cast<double>(i))));
        put("description", ar.string(""));
        put("notes", ar.string(""));
        if (n.parent >= 0) put("parent", refs[static_cast<std::size_t>(n.parent)]);
        put("expandable", ar.boolean(n.expandable));
        put("hasChildren", ar.boolean(n.hasChildren));
        if (!n.children.empty()) {
            std::vector<KeyedArchiver::Ref> keyRefs, childRefs;
            for (std::size_t c = 0; c < n.children.size(); ++c) {
                const auto& child = nodes[static_cast<std::size_t>(n.children[c])];
                keyRefs.push_back(key(c, n.keys.empty() ? child.creationDate : n.keys[c]));
                childRefs.push_back(refs[static_cast<std::size_t>(n.children[c])]);
            }
            put("childKeyArray", ar.array(keyRefs));
            put("children", ar.dictionary(keyRefs, childRefs));
        }
        const auto fields = ar.dictionary(k, v);
        ar.setObject(refs[i], "ZRBicycleList", {"ZRBicycleList", "NSObject"},
                     {{n.legacy ? "bicycleList0" : "bicycleList1", fields}});
    }
    return ar.finish(refs[static_cast<std::size_t>(root)]);
}

// Bike 0 with part 1, which holds entry 2.
std::vector<RawNode> goodRaw() {
    std::vector<RawNode> nodes(3);
    nodes[0] = {"10", "Bike", true, true, -1, {1}};
    nodes[1] = {"11", "Chain", true, true, 0, {2}};
    nodes[2] = {"12", "Lubed", false, false, 1, {}};
    return nodes;
}

std::string refusal(const std::vector<std::uint8_t>& bytes) {
    return test_support::errorMessage<RecordFileError>([&] { readRecordFile(bytes); }, "accepted");
}

TEST(RecordFile, RoundTripsRandomTreesExactly) {
    for (std::uint32_t seed = 1; seed <= 2000; ++seed) {
        auto bike = testing::randomTree(seed, static_cast<int>(seed % 40));
        if (seed % 7 == 0 && bike->numberOfChildren() > 0) bike->removeChild(*bike->childAtIndex(0));
        auto read = readRecordFile(writeRecordFile(*bike));
        ASSERT_EQ(treeDifference(*bike, *read), "") << "seed " << seed;
        ASSERT_EQ(read->parent(), nullptr);
    }
}

TEST(RecordFile, HandCraftedArchiveReads) {
    auto bike = readRecordFile(writeRaw(goodRaw()));
    EXPECT_EQ(bike->partName(), "Bike");
    ASSERT_EQ(bike->numberOfChildren(), 1u);
    EXPECT_EQ(bike->childAtIndex(0)->childAtIndex(0)->partName(), "Lubed");
    EXPECT_EQ(bike->childAtIndex(0)->childAtIndex(0)->date(), Date(2000));
    // Each part is dated before its child: reading keeps the dates of the
    // file, where filing an edit would move a parent's on.
    EXPECT_EQ(bike->date(), Date(0));
    EXPECT_EQ(bike->childAtIndex(0)->date(), Date(1000));
}

TEST(RecordFile, RefusesWhatIsNotARecordWithAReason) {
    const std::string text = "hello, not a record", xml = writeXmlPlist(PlistValue(PlistDictionary{{"a", 1}}));
    KeyedArchiver strings, other;
    const auto rootString = strings.string("a string"), object = other.reserve();
    other.setObject(object, "NSColor", {"NSColor", "NSObject"}, {});
    const std::vector<std::pair<std::vector<std::uint8_t>, std::string>> cases = {
        {{}, "not a keyed archive"},
        {{text.begin(), text.end()}, "not a keyed archive"},
        {{xml.begin(), xml.end()}, "not a keyed archive"},
        {strings.finish(rootString), "not a record item"},
        {other.finish(object), "class “NSColor”, not a record item"}};
    for (const auto& [bytes, reason] : cases) EXPECT_THAT(refusal(bytes), ::testing::HasSubstr(reason));
}

TEST(RecordFile, RefusesTreesThatBreakTheNodeInvariants) {
    const std::vector<std::pair<std::function<void(std::vector<RawNode>&)>, std::string>> damages = {
        {[](auto& nodes) { nodes[2].parent = 0; }, "names another parent"},
        {[](auto& nodes) { nodes[1].hasChildren = false; }, "holds some"},
        {[](auto& nodes) { nodes[1].expandable = false; }, "service entry but holds items"},
        {[](auto& nodes) { nodes[1].keys = {"99"}; }, "not its creation date"},
        {[](auto& nodes) { nodes[0].children = {1, 1}; }, "files two items under one key"},
        {[](auto& nodes) { nodes[0].parent = 1; }, "filed under another item"}, // the bike under its own part
        {[](auto& nodes) { nodes[0].children = {1, 2}; }, "another parent"},   // one entry under two parents
    };
    for (const auto& [damage, reason] : damages) {
        auto nodes = goodRaw();
        damage(nodes);
        const std::string message = refusal(writeRaw(nodes));
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
}

TEST(RecordFile, RefusesTreesDeeperThanTheLimitButReadsOnesAtIt) {
    auto chain = [](int depth) {
        std::vector<RawNode> nodes(static_cast<std::size_t>(depth));
        for (int i = 0; i < depth; ++i) {
            auto& n = nodes[static_cast<std::size_t>(i)];
            n.creationDate = std::to_string(i);
            n.name = "L";
            n.parent = i - 1;
            if (i + 1 < depth) {
                n.children = {i + 1};
                n.hasChildren = true;
            }
        }
        return writeRaw(nodes);
    };
    EXPECT_NE(refusal(chain(static_cast<int>(kMaxRecordDepth) + 1)).find("deeper than 10000"), std::string::npos);
    auto deep = readRecordFile(chain(static_cast<int>(kMaxRecordDepth)));
    EXPECT_TRUE(deep->stringFromBicycleList().has_value());
    auto again = readRecordFile(writeRecordFile(*deep));
    EXPECT_EQ(treeDifference(*deep, *again), "");
}

TEST(RecordFile, OldFormIsConvertedToFreshStringKeysKeepingOrder) {
    std::vector<RawNode> nodes(4);
    nodes[0] = {"", "Bike", true, true, -1, {1, 2}, {}, true};
    nodes[1] = {"", "Wheel", true, true, 0, {3}, {}, true};
    nodes[2] = {"", "Chain", true, false, 0, {}, {}, true};
    nodes[3] = {"", "Trued", false, false, 1, {}, {}, true};
    auto bike = readRecordFile(writeRaw(nodes));
    ASSERT_EQ(bike->numberOfChildren(), 2u);
    EXPECT_EQ(bike->childAtIndex(0)->partName(), "Wheel");
    EXPECT_EQ(bike->childAtIndex(1)->partName(), "Chain");
    EXPECT_EQ(bike->childAtIndex(0)->childAtIndex(0)->partName(), "Trued");
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    const auto keys = *bike->childKeyArray();
    for (const auto& key : keys) {
        char* end = nullptr;
        std::strtod(key.c_str(), &end);
        EXPECT_EQ(*end, '\0') << key;
    }
    // Written again, it is a current-form record.
    EXPECT_EQ(treeDifference(*bike, *readRecordFile(writeRecordFile(*bike))), "");
}

TEST(RecordFile, ArchivedChildComesBackWithItsWholeFormerTree) {
    auto bike = testing::randomTree(11, 30);
    auto chain = part("Chain");
    bike->addChildPartOrEntry(chain);
    chain->addChildPartOrEntry(entry("Chain", "Lubed"));
    auto decoded = unarchiveNodes(archiveNodes({chain}));
    ASSERT_EQ(decoded.roots.size(), 1u);
    auto copy = decoded.roots[0];
    ASSERT_NE(copy->parent(), nullptr);
    EXPECT_EQ(treeDifference(*bike, *copy->parent()), "");
    EXPECT_EQ(copy->childAtIndex(0)->description(), "Lubed");

    // A node taken out of its tree still archives, with its former parent.
    bike->removeChild(*chain);
    decoded = unarchiveNodes(archiveNodes({chain}));
    EXPECT_EQ(decoded.roots[0]->childIndex(), kZRNotFound);
    EXPECT_EQ(decoded.roots[0]->parent()->partName(), bike->partName());
}

} // namespace
} // namespace cogbook
