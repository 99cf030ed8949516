// Filing and removing children: unique keys, links, and refusals that change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/hooks.h"
#include "model/ZRBicycleList.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using testing::entry;
using testing::part;

class QuietLog : public ::testing::Test {
protected:
    void SetUp() override { previous_ = setLogHook([this](std::string_view m) { logged_ += m; }); }
    void TearDown() override { setLogHook(previous_); }
    std::string logged_;

private:
    LogHook previous_;
};

TEST(ZRBicycleListInsertion, FilesChildrenInOrderAndRollsTheDateUpOneLevel) {
    auto bike = part("Bike");
    bike->setDate(Date(100));
    auto wheel = part("Wheel");
    wheel->setDate(Date(50));
    bike->addChildPartOrEntry(wheel);
    EXPECT_EQ(bike->date(), Date(100)); // the later of the two
    EXPECT_EQ(wheel->children(), nullptr);

    auto first = entry("Wheel", "Trued", 200);
    auto last = entry("Wheel", "Spoke", 150);
    wheel->addChildPartOrEntry(last);
    ASSERT_NE(wheel->children(), nullptr);
    EXPECT_TRUE(wheel->hasChildren());
    wheel->insertChildPartOrEntryAtIndex(first, 0);
    EXPECT_EQ(wheel->childKeyArray(), (std::vector<std::string>{first->creationDate(), last->creationDate()}));
    EXPECT_EQ(wheel->date(), Date(200));
    EXPECT_EQ(bike->date(), Date(100)); // the grandparent is not touched
    EXPECT_EQ(first->parent(), wheel);
    EXPECT_EQ(first->childIndex(), 0);
    EXPECT_EQ(last->childIndex(), 1);
    EXPECT_EQ(wheel->children()->find(last->creationDate()), last);

    // A colliding creation date is replaced, not the sibling's.
    auto clash = entry("Wheel", "Clash");
    const std::string original = first->creationDate();
    clash->setCreationDate(original);
    wheel->addChildPartOrEntry(clash);
    EXPECT_EQ(first->creationDate(), original);
    EXPECT_NE(clash->creationDate(), original);
    EXPECT_EQ(wheel->children()->find(original), first);
    EXPECT_EQ(wheel->children()->find(clash->creationDate()), clash);
}

TEST_F(QuietLog, RefusedInsertionsLeaveBothNodesAsTheyWere) {
    auto bike = part("Bike");
    auto oil = entry("Chain", "Oil", 500);
    bike->addChildPartOrEntry(oil);
    auto stranger = entry("Stranger", "", 900);
    const std::string key = stranger->creationDate();

    try {
        oil->addChildPartOrEntry(stranger);
        FAIL() << "inserting into a service entry must fail";
    } catch (const InternalInconsistencyException& e) {
        EXPECT_EQ(e.description(), "insertChildPartOrEntry:atIndex: called on leaf item");
        EXPECT_EQ(e.file(), "model/ZRBicycleList.cpp");
    }
    EXPECT_NE(logged_.find("called on leaf item"), std::string::npos);
    EXPECT_EQ(oil->children(), nullptr);
    EXPECT_EQ(oil->date(), Date(500));
    EXPECT_EQ(stranger->parent(), nullptr);

    EXPECT_THROW(bike->insertChildPartOrEntryAtIndex(stranger, 5), RangeException);
    EXPECT_THROW(bike->insertChildPartOrEntryAtIndex(stranger, -1), RangeException);
    EXPECT_EQ(stranger->parent(), nullptr);
    EXPECT_EQ(stranger->creationDate(), key);
    EXPECT_EQ(bike->numberOfChildren(), 1u);

    auto wheel = part("Wheel");
    bike->addChildPartOrEntry(wheel);
    EXPECT_THROW(wheel->addChildPartOrEntry(bike), InternalInconsistencyException);
    EXPECT_THROW(wheel->addChildPartOrEntry(wheel), InternalInconsistencyException);
    EXPECT_THROW(bike->addChildPartOrEntry(wheel), InternalInconsistencyException);
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    EXPECT_EQ(bike->numberOfChildren(), 2u);
}

TEST_F(QuietLog, FilingManyAtOnceMatchesFilingOneByOne) {
    auto bike = part("Bike");
    bike->setDate(Date(0));
    auto old = entry("Old", "", 10);
    bike->addChildPartOrEntry(old);
    std::vector<ZRBicycleListPtr> batch;
    for (int i = 0; i < 5000; ++i) batch.push_back(entry("E" + std::to_string(i), "", i));
    batch[7]->setCreationDate(old->creationDate()); // clashes with a filed sibling
    batch[9]->setCreationDate(batch[8]->creationDate()); // and with one of the batch
    bike->addChildrenPartsOrEntries(batch);
    ASSERT_EQ(bike->numberOfChildren(), 5001u);
    EXPECT_EQ(bike->childAtIndex(0), old);
    EXPECT_EQ(bike->childAtIndex(5000)->partName(), "E4999");
    EXPECT_EQ(bike->date(), Date(4999));
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);

    // One bad child refuses the whole batch.
    auto wheel = part("Wheel");
    bike->addChildPartOrEntry(wheel);
    auto fresh = entry("Fresh");
    EXPECT_THROW(wheel->addChildrenPartsOrEntries({fresh, bike}), InternalInconsistencyException);
    EXPECT_THROW(wheel->addChildrenPartsOrEntries({fresh, fresh}), InternalInconsistencyException);
    EXPECT_THROW(old->addChildrenPartsOrEntries({fresh}), InternalInconsistencyException);
    EXPECT_EQ(wheel->numberOfChildren(), 0u);
    EXPECT_EQ(fresh->parent(), nullptr);
}

TEST(ZRBicycleListFiling, FilesARunInPlaceKeepingDatesWhenAsked) {
    auto bike = part("Bike");
    auto first = entry("First", "", 10);
    auto last = entry("Last", "", 20);
    bike->addChildrenPartsOrEntries({first, last});
    bike->setDate(Date(5));
    const std::string firstKey = first->creationDate();

    auto a = entry("A", "", 500);
    auto b = entry("B", "", 600);
    b->setCreationDate(firstKey); // taken by a filed sibling
    const std::vector<ZRBicycleListPtr> run{a, b};
    EXPECT_EQ(bike->fileChildrenAtIndex(run, 1, ZRParentDate::keep), 1u);
    std::vector<std::string> names;
    for (const auto& child : *bike->children()) names.push_back(child->partName());
    EXPECT_EQ(names, (std::vector<std::string>{"First", "A", "B", "Last"}));
    EXPECT_EQ(first->creationDate(), firstKey);
    EXPECT_NE(b->creationDate(), firstKey);
    EXPECT_EQ(b->parent(), bike);
    EXPECT_EQ(bike->date(), Date(5)); // as a file holds it
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);

    // Filing nothing still gives a part its child list, the mark of a part
    // that has had children.
    auto wheel = part("Wheel");
    EXPECT_EQ(wheel->fileChildrenAtIndex({}, 0, ZRParentDate::takeLater), 0u);
    ASSERT_NE(wheel->children(), nullptr);
    EXPECT_FALSE(wheel->hasChildren());
}

TEST_F(QuietLog, AFormerParentIsNoChildOfWhatItHeld) {
    // A removed child keeps its link to the part it left; filing that part
    // under it would make the links climb in a circle.
    auto bike = part("Bike");
    auto wheel = part("Wheel");
    auto hub = part("Hub");
    bike->addChildPartOrEntry(wheel);
    wheel->addChildPartOrEntry(hub);
    wheel->removeChild(*hub);
    bike->removeChild(*wheel);
    EXPECT_THROW(hub->addChildPartOrEntry(wheel), InternalInconsistencyException);
    EXPECT_THROW(hub->addChildrenPartsOrEntries({part("New"), wheel}), InternalInconsistencyException);
    EXPECT_EQ(wheel->parent(), bike);
    EXPECT_EQ(hub->numberOfChildren(), 0u);
}

TEST(ZRBicycleListFiling, ACopyAndItsSourceKeepTheirOwnChildren) {
    auto bike = part("Bike");
    auto wheel = part("Wheel");
    bike->addChildPartOrEntry(wheel);
    auto trued = entry("Wheel", "Trued");
    wheel->addChildPartOrEntry(trued);
    wheel->removeChild(*trued);

    auto copy = wheel->copyWithZone();
    EXPECT_EQ(copy->creationDate(), wheel->creationDate());
    EXPECT_EQ(copy->parent(), bike);
    EXPECT_EQ(copy->children(), wheel->children()); // shared until either changes
    EXPECT_FALSE(copy->inTraversalSubtree());

    // Filing into the copy must not put a child into the source's list
    // behind its back: the source would hold a child that names another
    // parent and deny having children, and its file would not read back.
    auto spoke = entry("Wheel", "Spoke");
    copy->addChildPartOrEntry(spoke);
    EXPECT_TRUE(copy->hasChildren());
    EXPECT_EQ(copy->children()->find(spoke->creationDate()), spoke);
    EXPECT_EQ(wheel->numberOfChildren(), 0u);
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    EXPECT_EQ(findInvariantViolation(*copy), std::nullopt);

    // Nor does taking a child out of one reach into the other.
    auto source = part("Source");
    source->addChildPartOrEntry(entry("Source", "Kept"));
    auto twin = source->copyWithZone();
    twin->removeChild(*source->childAtIndex(0));
    EXPECT_EQ(twin->numberOfChildren(), 0u);
    EXPECT_EQ(source->numberOfChildren(), 1u);
    EXPECT_EQ(findInvariantViolation(*source), std::nullopt);
}

TEST(ZRBicycleListRemoval, GoesByKeyKeepingTheParentLinkAndTheEmptyList) {
    auto bike = part("Bike");
    auto a = entry("A");
    auto b = entry("B");
    bike->addChildrenPartsOrEntries({a, b});
    // A copy has its source's key and so removes the source.
    bike->removeChild(*a->copyWithZone());
    EXPECT_EQ(bike->childKeyArray(), std::vector<std::string>{b->creationDate()});
    bike->removeChild(*entry("nobody"));
    EXPECT_EQ(bike->numberOfChildren(), 1u);
    bike->removeChild(*b);
    ASSERT_NE(bike->children(), nullptr);
    EXPECT_TRUE(bike->children()->empty());
    EXPECT_FALSE(bike->hasChildren());
    EXPECT_EQ(b->parent(), bike);
    EXPECT_EQ(b->childIndex(), kZRNotFound);
    // Putting it back where it was, as undo does.
    bike->insertChildPartOrEntryAtIndex(b, 0);
    EXPECT_EQ(b->childIndex(), 0);
}

TEST(ZRBicycleListRemoval, PropagationRenamesOnlyDirectEntries) {
    auto linkEntry = entry("Quick link", "Replaced");
    auto link = part("Quick link", {linkEntry});
    auto chain = part("Chain", {entry("Chain", "Lube"), link, entry("Chain", "Swap")});
    chain->propagatePartName("KMC chain");
    EXPECT_EQ(chain->childAtIndex(0)->partName(), "KMC chain");
    EXPECT_EQ(chain->childAtIndex(2)->partName(), "KMC chain");
    EXPECT_EQ(link->partName(), "Quick link");
    EXPECT_EQ(linkEntry->partName(), "Quick link");
    EXPECT_EQ(chain->partName(), "Chain"); // the caller renames the part itself
}

} // namespace
} // namespace cogbook
