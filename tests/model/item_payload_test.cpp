#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/keyed_archive.h"
#include "model/item_payload.h"
#include "model/record_file.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using testing::entry;
using testing::part;
using testing::treeDifference;

bool containsText(const std::vector<std::uint8_t>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(ItemPayload, CarriesTheItemsWithTheirSubtreesAndNothingOfTheirTree) {
    auto bike = testing::randomTree(5, 40);
    auto fork = part("Fork");
    auto oil = entry("Fork", "Oil changed", 7e8, "5 wt");
    fork->addChildPartOrEntry(oil);
    auto brakes = part("Brakes");
    bike->addChildPartOrEntry(fork);
    bike->addChildPartOrEntry(brakes);
    auto secret = entry("Lock", "Code 1234");
    bike->addChildPartOrEntry(secret);

    const auto bytes = writeItemsPayload({brakes, fork});
    EXPECT_FALSE(containsText(bytes, "Code 1234")) << "the rest of the record stays home";
    const auto items = readItemsPayload(bytes);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->partName(), "Brakes");
    EXPECT_EQ(items[1]->parent(), nullptr);
    EXPECT_NE(items[1].get(), fork.get()) << "new nodes";
    EXPECT_EQ(treeDifference(*fork, *items[1]), "");
    EXPECT_EQ(items[1]->childAtIndex(0)->parent(), items[1]);
}

TEST(ItemPayload, AnItemBelowAnotherTravelsOnlyWithIt) {
    auto bike = part("Bike");
    auto wheel = part("Wheel");
    auto hub = part("Hub");
    auto spoke = entry("Hub", "Trued");
    bike->addChildPartOrEntry(wheel);
    wheel->addChildPartOrEntry(hub);
    hub->addChildPartOrEntry(spoke);
    auto bell = entry("Bike", "Rung");
    bike->addChildPartOrEntry(bell);

    EXPECT_EQ(itemsWithoutDescendants({hub, bell, wheel, spoke, bell}), (std::vector<ZRBicycleListPtr>{bell, wheel}));
    const auto items = readItemsPayload(writeItemsPayload({wheel, spoke, hub}));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(treeDifference(*wheel, *items[0]), "");

    // Another writer's array may list a node and its descendant: the same
    // decoded node, which must not be filed twice.
    const auto full = readItemsPayload(archiveNodes({wheel, spoke}));
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0]->parent(), nullptr) << "taken out of the tree it was archived with";
    EXPECT_EQ(treeDifference(*wheel, *full[0]), "");
}

TEST(ItemPayload, RefusesWhatIsNoPayload) {
    // Not an archive, an archive of something else, a cycle-free but broken
    // tree, and too much.
    EXPECT_THROW(readItemsPayload(std::vector<std::uint8_t>{'h', 'i'}), RecordFileError);
    KeyedArchiver strings;
    const auto text = strings.string("Array of ZRBicycleList items dragged");
    EXPECT_THROW(readItemsPayload(strings.finish(text)), RecordFileError);
    KeyedArchiver empty;
    const auto nothing = empty.array({});
    EXPECT_THROW(readItemsPayload(empty.finish(nothing)), RecordFileError);

    auto broken = entry("Entry with a child");
    broken->setExpandable(true);
    broken->addChildPartOrEntry(entry("x"));
    broken->setExpandable(false);
    EXPECT_THROW(readItemsPayload(writeItemsPayload({broken})), RecordFileError);

    std::vector<std::uint8_t> huge(kMaxItemsPayloadBytes + 1, 0);
    EXPECT_THROW(readItemsPayload(huge), RecordFileError);
}

TEST(ItemPayload, TextListsEachItemWithEverythingBelowIt) {
    auto brakes = part("Brakes");
    brakes->setDate(Date(0));
    auto pads = entry("Brakes", "Pads replaced", 0, "Front only");
    brakes->addChildPartOrEntry(pads);
    brakes->setDate(Date(0));
    auto bell = entry("Bike", "Rung", 0);
    const std::string day = Date(0).description().substr(0, 10);
    EXPECT_EQ(textOfItems({brakes, pads, bell}), day + "\tBrakes\n" + day + "\tBrakes\tPads replaced\nFront only\n\n" +
                                                     day + "\tBike\tRung\n");
}

} // namespace
} // namespace cogbook
