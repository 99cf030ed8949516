#include "model/ZRBicycleList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

#include "foundation/exceptions.h"
#include "foundation/notification_center.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using testing::entry;
using testing::part;

const std::string kPartType = "BikePart form of ZRBicycleList item dragged";
const std::string kEntryType = "Service entry form of ZRBicycleList item dragged";

TEST(ZRBicycleListNode, NewNodeIsAnUnfiledEntryDatedNow) {
    auto node = ZRBicycleList::create();
    EXPECT_FALSE(node->expandable());
    EXPECT_FALSE(node->hasChildren());
    EXPECT_EQ(node->children(), nullptr);
    EXPECT_EQ(node->bikeTableItemDataType(), kEntryType);
    char* end = nullptr;
    const double seconds = std::strtod(node->creationDate().c_str(), &end);
    EXPECT_EQ(*end, '\0') << node->creationDate();
    EXPECT_NEAR(seconds, Date::now().timeIntervalSinceReferenceDate(), 60.0);
    EXPECT_NEAR(node->date().timeIntervalSinceReferenceDate(), seconds, 60.0);

    node->setExpandable(true);
    EXPECT_EQ(node->bikeTableItemDataType(), kPartType);
    node->setPartName(static_cast<const char*>(nullptr));
    EXPECT_EQ(node->partName(), "");
    node->setNotes(static_cast<const char*>(nullptr));
    EXPECT_EQ(node->notes(), "");
}

TEST(ZRBicycleListNode, FreshCreationDatesNeverRepeat) {
    std::set<std::string> seen;
    for (int i = 0; i < 20000; ++i) ASSERT_TRUE(seen.insert(ZRBicycleList::freshCreationDate()).second);
}

TEST(ZRBicycleListNode, RefusesUnknownKeysAndNullLinks) {
    auto node = entry("Chain", "Lubed", 1000.5);
    EXPECT_EQ(node->valueForKey("description").string(), "Lubed");
    EXPECT_EQ(node->valueForKey("date").date(), Date(1000.5));
    EXPECT_FALSE(node->valueForKey("expandable").boolean());
    EXPECT_TRUE(node->valueForKey("childKeyArray").isNull());
    EXPECT_THROW(node->valueForKey("colour"), InvalidArgumentException);

    // Null links are refused and the old value kept.
    auto bike = part("Bike");
    auto chain = part("Chain");
    bike->addChildPartOrEntry(chain);
    EXPECT_THROW(chain->setParent(nullptr), InvalidArgumentException);
    EXPECT_EQ(chain->parent(), bike);
    EXPECT_THROW(bike->setChildren(nullptr), InvalidArgumentException);
    EXPECT_EQ(bike->numberOfChildren(), 1u);
}

TEST(ZRBicycleListLifetime, PostsWhileDyingWithFieldsIntact) {
    std::vector<std::string> names;
    int observer = 0;
    NotificationCenter::defaultCenter().addObserver(
        &observer, std::string(kZRBicycleListDeallocatingNotification), nullptr,
        [&](const Notification& n) { names.push_back(static_cast<const ZRBicycleList*>(n.object)->partName()); });
    {
        auto bike = part("Bike");
        bike->addChildPartOrEntry(entry("Chain"));
    }
    NotificationCenter::defaultCenter().removeObserver(&observer);
    EXPECT_EQ(names, (std::vector<std::string>{"Bike", "Chain"}));
}

TEST(ZRBicycleListLifetime, LongChainsDieWithoutDeepRecursion) {
    auto [bike, tip] = testing::partChain(200000);
    std::weak_ptr<ZRBicycleList> watch = tip;
    tip.reset();
    bike.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(ZRBicycleListInvariants, HoldAfterEveryStepOfRandomEditing) {
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        auto bike = part("Bike");
        std::vector<ZRBicycleListPtr> nodes{bike};
        for (int step = 0; step < 60; ++step) {
            auto& target = nodes[rng() % nodes.size()];
            if (rng() % 3 != 0 || nodes.size() < 2) {
                auto child = rng() % 2 ? part("P") : entry("E");
                if (rng() % 4 == 0 && target->numberOfChildren() > 0) // a copy keeps its source's key
                    child->setCreationDate(target->childAtIndex(0)->creationDate());
                if (target->expandable()) {
                    target->insertChildPartOrEntryAtIndex(
                        child, static_cast<std::int32_t>(rng() % (target->numberOfChildren() + 1)));
                    nodes.push_back(child);
                }
            } else if (target != bike) {
                auto parent = target->parent();
                const auto index = target->childIndex();
                if (index != kZRNotFound) {
                    parent->removeChild(*target);
                    if (rng() % 2) parent->insertChildPartOrEntryAtIndex(target, index); // undo
                }
            }
            auto violation = findInvariantViolation(*bike);
            ASSERT_FALSE(violation) << "seed " << seed << " step " << step << ": " << *violation;
        }
    }
}

} // namespace
} // namespace cogbook
