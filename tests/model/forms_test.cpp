#include <gtest/gtest.h>

#include "foundation/exceptions.h"
#include "model/ZRBicycleList.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using testing::entry;
using testing::part;

// A bike with one part that has three entries and a subpart holding only an entry.
struct SmallBike {
    ZRBicycleListPtr bike = part("Bike"), chain = part("Chain"),
                     link = part("Quick link", {entry("Quick link", "Fitted")});
    SmallBike() {
        bike->addChildPartOrEntry(chain);
        chain->addChildPartOrEntry(link);
        for (const char* what : {"Lubed", "Cleaned", "Replaced"})
            chain->addChildPartOrEntry(entry("Chain", what, 1000, "notes"));
    }
};

TEST(TemplateForm, KeepsOnlyTheStructureOfParts) {
    EXPECT_FALSE(entry("Chain")->templateDictionary().has_value());

    SmallBike b;
    const PlistValue t = *b.bike->templateDictionary();
    EXPECT_EQ(t.find("creationDate")->string(), b.bike->creationDate());
    const auto& children = t.find("children")->dictionary();
    ASSERT_EQ(children.size(), 1u);
    const PlistValue& chain = children[0].second;
    EXPECT_EQ(chain.find("partName")->string(), "Chain");
    ASSERT_EQ(chain.find("children")->dictionary().size(), 1u);
    // A part holding only entries becomes a part without children.
    const PlistValue& link = chain.find("children")->dictionary()[0].second;
    EXPECT_FALSE(link.find("hasChildren")->boolean());
    EXPECT_EQ(link.find("children"), nullptr);
    EXPECT_EQ(link.find("childKeyArray"), nullptr);

    // No dictionary anywhere carries dates, texts or parents, and all are expandable.
    std::vector<const PlistValue*> stack{&t};
    while (!stack.empty()) {
        const PlistValue* d = stack.back();
        stack.pop_back();
        for (const char* absent : {"date", "description", "notes", "parent"}) EXPECT_EQ(d->find(absent), nullptr);
        EXPECT_TRUE(d->find("expandable")->boolean());
        if (auto* c = d->find("children"))
            for (const auto& [k, v] : c->dictionary()) stack.push_back(&v);
    }
}

TEST(TemplateForm, BuildingKeepsKeysAndMakesDuplicatesUnique) {
    SmallBike b;
    PlistValue t = *b.bike->templateDictionary();
    auto built = ZRBicycleList::create();
    built->buildFromDictionary(t);
    EXPECT_EQ(built->creationDate(), b.bike->creationDate());
    ASSERT_EQ(built->numberOfChildren(), 1u);
    const auto& chain = built->childAtIndex(0);
    EXPECT_EQ(chain->creationDate(), b.chain->creationDate());
    EXPECT_EQ(chain->parent(), built);
    EXPECT_EQ(chain->childAtIndex(0)->partName(), "Quick link");
    EXPECT_EQ(findInvariantViolation(*built), std::nullopt);
    EXPECT_EQ(*built->templateDictionary(), t);

    // Two children under one key: the second gets a fresh creation date.
    PlistDictionary child{{"creationDate", "42"}, {"partName", "Twin"}, {"expandable", true}};
    PlistValue twin(PlistDictionary{{"creationDate", "1"}, {"expandable", true}, {"hasChildren", true},
                                    {"childKeyArray", PlistArray{"42", "42"}},
                                    {"children", PlistDictionary{{"42", child}}}});
    auto twins = ZRBicycleList::create();
    twins->buildFromDictionary(twin);
    ASSERT_EQ(twins->numberOfChildren(), 2u);
    EXPECT_EQ(twins->childAtIndex(0)->creationDate(), "42");
    EXPECT_NE(twins->childAtIndex(1)->creationDate(), "42");
    EXPECT_EQ(twins->childAtIndex(0)->description(), ""); // absent texts read as ""
}

TEST(TemplateForm, BadDictionariesAreRefused) {
    auto node = ZRBicycleList::create();
    EXPECT_THROW(node->buildFromDictionary(PlistValue(PlistDictionary{{"partName", "No date"}})),
                 InvalidArgumentException);
    PlistValue missingChild(PlistDictionary{{"creationDate", "1"}, {"expandable", true},
                                            {"hasChildren", true}, {"childKeyArray", PlistArray{"9"}},
                                            {"children", PlistDictionary{}}});
    EXPECT_THROW(ZRBicycleList::create()->buildFromDictionary(missingChild), InvalidArgumentException);
    // A service entry listing items under it: refused, not built into a tree
    // whose file would not read back.
    PlistValue entryWithChildren(PlistDictionary{
        {"creationDate", "1"}, {"expandable", true}, {"hasChildren", true}, {"childKeyArray", PlistArray{"2"}},
        {"children", PlistDictionary{{"2", PlistDictionary{{"creationDate", "2"}, {"partName", "Log"},
                                                           {"hasChildren", true}, {"childKeyArray", PlistArray{"3"}},
                                                           {"children", PlistDictionary{{"3", PlistDictionary{
                                                                                                   {"creationDate", "3"}}}}}}}}}});
    EXPECT_THROW(ZRBicycleList::create()->buildFromDictionary(entryWithChildren), InvalidArgumentException);

    // "hasChildren" without any children listed: the node must not claim children it lacks.
    PlistValue claims(PlistDictionary{{"creationDate", "1"}, {"expandable", true}, {"hasChildren", true}});
    auto claimant = ZRBicycleList::create();
    claimant->buildFromDictionary(claims);
    EXPECT_FALSE(claimant->hasChildren());
    EXPECT_EQ(findInvariantViolation(*claimant), std::nullopt);
}

TEST(FullPlistForm, KeepsEveryFieldButDatesComeBackAsNow) {
    auto bike = testing::randomTree(7, 200);
    const PlistValue full = bike->plistConversion();
    EXPECT_EQ(full.find("parent"), nullptr);
    auto built = ZRBicycleList::create();
    const Date before = Date::now();
    built->buildFromDictionary(full);
    EXPECT_EQ(built->plistConversion().find("childKeyArray")->array(), full.find("childKeyArray")->array());
    // Everything but the dates survives.
    std::vector<std::pair<const ZRBicycleList*, const ZRBicycleList*>> stack{{bike.get(), built.get()}};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        ASSERT_EQ(x->notes(), y->notes());
        ASSERT_EQ(x->description(), y->description());
        ASSERT_EQ(x->expandable(), y->expandable());
        ASSERT_GE(y->date(), before);
        ASSERT_EQ(x->numberOfChildren(), y->numberOfChildren());
        for (std::size_t i = 0; i < x->numberOfChildren(); ++i)
            stack.emplace_back(x->childAtIndex(i).get(), y->childAtIndex(i).get());
    }
}

TEST(LegacyConversion, NewCreationDatesSameOrder) {
    auto bike = testing::randomTree(3, 100);
    const auto before = bike->plistConversion();
    std::vector<std::string> oldKeys = *bike->childKeyArray();
    std::vector<std::string> names;
    for (const auto& c : *bike->children()) names.push_back(c->partName());
    bike->convertBicycleList();
    std::vector<std::string> after;
    for (const auto& c : *bike->children()) after.push_back(c->partName());
    EXPECT_EQ(after, names);
    for (std::size_t i = 0; i < oldKeys.size(); ++i) EXPECT_NE(bike->childAtIndex(i)->creationDate(), oldKeys[i]);
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
}

TEST(TextRendering, NothingForABikeWithoutItemsAndDeepTreesWithoutRecursion) {
    EXPECT_FALSE(part("Bike")->stringFromBicycleList().has_value());
    auto bike = testing::partChain(10000).first;
    EXPECT_EQ(bike->stringFromBicycleList()->size(), 10000u * 13u);
    // The full form of the chain, and the tree built back from it, are as deep.
    auto full = bike->plistConversion();
    std::size_t levels = 1;
    for (const PlistValue* level = &full; const PlistValue* children = level->find("children"); ++levels) {
        ASSERT_EQ(children->dictionary().size(), 1u);
        level = &children->dictionary()[0].second;
    }
    EXPECT_EQ(levels, 10001u);
    auto built = ZRBicycleList::create();
    built->buildFromDictionary(full);
    EXPECT_EQ(built->stringFromBicycleList()->size(), 10000u * 13u);
    EXPECT_EQ(findInvariantViolation(*built), std::nullopt);
}

} // namespace
} // namespace cogbook
