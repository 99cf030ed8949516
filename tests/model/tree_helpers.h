// Larger trees and comparisons shared by the record-model tests, built
// from the shared test tree builder.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "model/ZRBicycleList.h"
#include "support/tree_builder.h"

namespace cogbook::testing {

using test_support::entry;
using test_support::part;

// A bike with a chain of DEPTH parts below it, one under the other; answers
// the bike and the deepest part.
inline std::pair<ZRBicycleListPtr, ZRBicycleListPtr> partChain(int depth, const std::string& name = "L") {
    auto bike = part("Bike");
    ZRBicycleListPtr tip = bike;
    for (int i = 0; i < depth; ++i) {
        auto next = part(name);
        tip->addChildPartOrEntry(next);
        tip = next;
    }
    return {bike, tip};
}

inline std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "Chain", "Tyre", "Brake pads", "", "Lubed", "Replaced", "Crème", "Ünïcode ✓",
        "line one\nline two", "tab\there", "日本語", "quote \"x\"", "<xml & stuff>", "🚲"};
    std::string text = pieces[rng() % pieces.size()];
    if (rng() % 3 == 0) text += " " + std::to_string(rng() % 1000);
    return text;
}

// A bike with COUNT items below it, of random shape and content.
inline ZRBicycleListPtr randomTree(std::uint32_t seed, int count) {
    std::mt19937 rng(seed);
    auto bike = part("Bike " + std::to_string(seed));
    std::vector<ZRBicycleListPtr> parts{bike};
    for (int i = 0; i < count; ++i) {
        const bool isPart = rng() % 3 == 0;
        auto node = isPart ? part(randomText(rng)) : entry(randomText(rng), randomText(rng));
        node->setDate(Date(7e8 + static_cast<double>(rng() % 100000000) + (rng() % 1000000) / 1e6));
        node->setNotes(randomText(rng));
        auto& parent = parts[rng() % parts.size()];
        const auto index = static_cast<std::int32_t>(rng() % (parent->numberOfChildren() + 1));
        parent->insertChildPartOrEntryAtIndex(node, index);
        if (isPart) parts.push_back(node);
    }
    return bike;
}

// Compares two trees field by field, with child order, kinds and parent links.
// Answers the first difference, or "" when they are equal.
inline std::string treeDifference(const ZRBicycleList& a, const ZRBicycleList& b) {
    std::vector<std::pair<const ZRBicycleList*, const ZRBicycleList*>> stack{{&a, &b}};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        const std::string where = "at \"" + x->partName() + "\" (" + x->creationDate() + "): ";
        if (x->creationDate() != y->creationDate()) return where + "creation date " + y->creationDate();
        if (x->partName() != y->partName()) return where + "part name " + y->partName();
        if (x->description() != y->description()) return where + "description " + y->description();
        if (x->notes() != y->notes()) return where + "notes " + y->notes();
        if (x->date() != y->date()) return where + "date";
        if (x->expandable() != y->expandable()) return where + "expandable";
        if (x->hasChildren() != y->hasChildren()) return where + "hasChildren";
        if (x->numberOfChildren() != y->numberOfChildren()) return where + "number of children";
        if ((x->children() == nullptr) != (y->children() == nullptr)) return where + "children containers";
        for (std::size_t i = 0; i < x->numberOfChildren(); ++i) {
            const auto& cx = x->childAtIndex(i);
            const auto& cy = y->childAtIndex(i);
            if (cx->parent().get() != x || cy->parent().get() != y) return where + "parent link of a child";
            stack.emplace_back(cx.get(), cy.get());
        }
    }
    return "";
}

} // namespace cogbook::testing
