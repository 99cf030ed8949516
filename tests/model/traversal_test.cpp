#include <gtest/gtest.h>

#include <tuple>

#include "model/ZRBicycleList.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using testing::entry;
using testing::part;

std::string walk(const ZRBicycleListPtr& start, bool forward, int limit = 100) {
    std::string names;
    ZRBicycleListPtr node = start;
    while (limit-- > 0) {
        node = forward ? node->nextPartOrEntry() : node->previousPartOrEntry();
        if (!node) return names;
        names += node->partName();
    }
    return names + "...";
}

// S with children A and E, A with B and D, B with C; S is filed under a top.
struct ExampleTree {
    ZRBicycleListPtr top = part("T"), s = part("S"), a = part("A"), b = part("B"), c = entry("C"),
                     d = entry("D"), e = entry("E"), after = entry("Z");
    ExampleTree() {
        top->addChildPartOrEntry(s);
        top->addChildPartOrEntry(after);
        s->addChildPartOrEntry(a);
        s->addChildPartOrEntry(e);
        a->addChildPartOrEntry(b);
        a->addChildPartOrEntry(d);
        b->addChildPartOrEntry(c);
    }
};

TEST(Traversal, WalksPreOrderForwardAndItsReverseBackwardNeverAnsweringTheRoot) {
    ExampleTree tree;
    const auto lone = part("Bike");
    const auto single = part("Bike", {entry("Only")});
    const std::vector<std::tuple<ZRBicycleListPtr, bool, std::string>> walks = {
        {tree.s, true, "ABCDE"},  {tree.s, false, "EDCBA"},  {tree.top, true, "SABCDEZ"}, {tree.top, false, "ZEDCBAS"},
        {lone, true, ""},         {lone, false, ""},         {single, true, "Only"},     {single, false, "Only"},
        {tree.s, true, "ABCDE"}, // preparing again resets every cursor
    };
    for (const auto& [root, forward, expected] : walks) {
        SCOPED_TRACE(root->partName() + (forward ? " forward" : " backward"));
        root->prepareAsRootOfSubtree();
        EXPECT_EQ(walk(root, forward), expected);
    }
    EXPECT_EQ(tree.s->nextPartOrEntry(), nullptr) << "cursors stay at the end";
}

TEST(Traversal, StepsFromAnItemOutsideOrInsideThePreparedSubtree) {
    ExampleTree tree;
    tree.b->prepareAsRootOfSubtree();
    EXPECT_FALSE(tree.s->inTraversalSubtree());
    // S is unmarked: stepping from it prepares a walk at S.
    EXPECT_EQ(tree.s->nextPartOrEntry(), tree.a);
    EXPECT_TRUE(tree.a->inTraversalSubtree());
    EXPECT_FALSE(tree.top->inTraversalSubtree());

    // What a search does: walk from the root up to a start item, then go on from it.
    for (const auto& [start, forward, rest] : {std::tuple{tree.b, true, "CDEZ"}, std::tuple{tree.d, false, "CBAS"}}) {
        tree.top->prepareAsRootOfSubtree();
        ZRBicycleListPtr node = tree.top;
        while (node && node != start) node = forward ? node->nextPartOrEntry() : node->previousPartOrEntry();
        ASSERT_EQ(node, start);
        EXPECT_EQ(walk(start, forward), rest);
    }
}

TEST(Traversal, DeepTreesWalkWithoutRecursion) {
    auto [bike, tip] = testing::partChain(20000);
    tip->addChildPartOrEntry(entry("Leaf"));
    bike->prepareAsRootOfSubtree();
    int count = 0;
    for (ZRBicycleListPtr n = bike->nextPartOrEntry(); n; n = n->nextPartOrEntry()) ++count;
    EXPECT_EQ(count, 20001);
    bike->prepareAsRootOfSubtree();
    ZRBicycleListPtr first = bike->previousPartOrEntry();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->partName(), "Leaf");
    count = 1;
    for (ZRBicycleListPtr n = first->previousPartOrEntry(); n; n = n->previousPartOrEntry()) ++count;
    EXPECT_EQ(count, 20001);
}

TEST(Traversal, ChangedTreeDuringABackwardWalkDoesNotStepOutOfBounds) {
    ExampleTree tree;
    tree.s->prepareAsRootOfSubtree();
    EXPECT_EQ(tree.s->previousPartOrEntry(), tree.e);
    tree.a->removeChild(*tree.d);
    tree.a->removeChild(*tree.b);
    // Whatever it answers, it must stay within the nodes that exist.
    ZRBicycleListPtr n = tree.e;
    for (int i = 0; i < 10 && n; ++i) n = n->previousPartOrEntry();
    EXPECT_EQ(n, nullptr);
}

} // namespace
} // namespace cogbook
