#include <QRegularExpression>

#include <random>

#include "search/ZRSWSearcher.h"
#include "search/text_matcher.h"
#include "search_fixture.h"

namespace cogbook::test_support {
namespace {

using Names = std::vector<std::string>;

// The items a searcher yields one search at a time, each starting after the
// previous match, as find next does.
Names stepThrough(ZRSWSearcher* searcher, const QString& string, bool ignoreCase, bool backward) {
    Names names;
    searcher->setBookmark(nullptr);
    while (ZRBicycleListPtr found = searcher->nextItemWithStringIgnoreCaseSearchBackward(string, ignoreCase, backward)) {
        names.push_back(found->partName());
        searcher->setBookmark(found.get());
    }
    return names;
}

// bike: A(B(C), D), E; every item's name holds "x", the bike's too.
struct ExampleTree {
    ZRBicycleListPtr c = entry("Cx");
    ZRBicycleListPtr b = part("Bx", {c});
    ZRBicycleListPtr d = entry("Dx");
    ZRBicycleListPtr a = part("Ax", {b, d});
    ZRBicycleListPtr e = entry("Ex");
    ZRBicycleListPtr bike = part("Bike x", {a, e});
};

using SearcherTest = SearchTest;

TEST_F(SearcherTest, WalksInOutlineOrderEitherWayAndNeverLooksAtTheBike) {
    ExampleTree tree;
    tree.bike->setNotes("only-the-bike");
    FakeDocument document(tree.bike);
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(&document);

    EXPECT_EQ(stepThrough(searcher, "x", false, false), (Names{"Ax", "Bx", "Cx", "Dx", "Ex"}));
    EXPECT_EQ(stepThrough(searcher, "x", false, true), (Names{"Ex", "Dx", "Cx", "Bx", "Ax"}));
    EXPECT_TRUE(stepThrough(searcher, "only-the-bike", false, false).empty());
    EXPECT_TRUE(stepThrough(searcher, "Bike", false, false).empty());

    // The ends: nothing after the last item forwards, nor before the first backwards.
    searcher->setBookmark(tree.e.get());
    EXPECT_EQ(searcher->nextItemWithStringIgnoreCaseSearchBackward("x", false, false), nullptr);
    searcher->setBookmark(tree.a.get());
    EXPECT_EQ(searcher->nextItemWithStringIgnoreCaseSearchBackward("x", false, true), nullptr);

    // An empty string finds nothing and leaves the searcher as it was.
    searcher->setBookmark(tree.b.get());
    EXPECT_EQ(searcher->nextItemWithStringIgnoreCaseSearchBackward("", false, false), nullptr);
    EXPECT_EQ(searcher->bookmark(), tree.b.get());
    EXPECT_TRUE(searcher->searchesBackward());
}

TEST_F(SearcherTest, MatchesNameDescriptionAndNotesWithUnicodeCaseFolding) {
    auto named = entry("Ärmel");
    auto described = entry("Chain", "Lubed with WAX");
    auto noted = entry("Tyre", "", "Pressure 4 bar\nsee the note");
    auto dated = entry("Saddle");
    FakeDocument document(part("Bike", {named, described, noted, dated}));
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(&document);

    EXPECT_EQ(stepThrough(searcher, "ärmel", true, false), Names{"Ärmel"});
    EXPECT_TRUE(stepThrough(searcher, "ärmel", false, false).empty());
    EXPECT_EQ(stepThrough(searcher, "wax", true, false), Names{"Chain"});
    EXPECT_EQ(stepThrough(searcher, "4 bar\nsee", false, false), Names{"Tyre"});
    // The date is no text to search.
    EXPECT_TRUE(stepThrough(searcher, "20", true, false).empty());
}

TEST_F(SearcherTest, TextMatcherAgreesWithUnicodeAwareSearchOnMixedText) {
    const std::vector<std::string> texts = {"Brake pads", "BRAKE", "brAke", "Crème brûlée", "CRÈME", "日本語 ok",
                                            "", "ß", "ÄÖÜ äöü", "a\nb", "plain ascii text with Brake at the end"};
    const std::vector<QString> needles = {"brake", "BRAKE", "crème", "CRÈ", "äÖ", "日本", "ok", "\n", "x"};
    for (const bool ignoreCase : {false, true}) {
        for (const QString& needle : needles) {
            const TextMatcher matcher(needle, ignoreCase);
            for (const std::string& text : texts) {
                const bool expected = !text.empty() && QString::fromStdString(text).contains(
                                                           needle, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
                EXPECT_EQ(matcher.matches(text), expected)
                    << text << " / " << needle.toStdString() << " ignoreCase " << ignoreCase;
            }
        }
    }
}

TEST_F(SearcherTest, BookmarkThatGoesOrLeavesTheTree) {
    ExampleTree tree;
    FakeDocument document(tree.bike);
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(&document);

    // Removed but alive: nothing is found after it.
    tree.a->removeChild(*tree.d);
    searcher->setBookmark(tree.d.get());
    EXPECT_EQ(searcher->nextItemWithStringIgnoreCaseSearchBackward("x", false, false), nullptr);
    EXPECT_EQ(searcher->foundItem(), nullptr);

    // Destroyed: the searcher forgets it and starts again at the root.
    searcher->setBookmark(tree.d.get());
    tree.d.reset();
    EXPECT_EQ(searcher->bookmark(), nullptr);
    EXPECT_EQ(searcher->nextItemWithStringIgnoreCaseSearchBackward("x", false, false), tree.a);
}

TEST_F(SearcherTest, OnePassFindAllYieldsWhatStepwiseSearchesYield) {
    std::mt19937 rng(11);
    const std::vector<std::string> words = {"chain", "Chain", "tyre", "brake", "Bräke", "wax", ""};
    auto bike = part("Bike chain");
    std::vector<ZRBicycleListPtr> parts{bike};
    for (int i = 0; i < 400; ++i) {
        auto node = rng() % 3 == 0 ? part(words[rng() % words.size()]) : entry(words[rng() % words.size()]);
        node->setDescription(words[rng() % words.size()]);
        node->setNotes(words[rng() % words.size()]);
        parts[rng() % parts.size()]->addChildPartOrEntry(node);
        if (node->expandable()) parts.push_back(node);
    }
    FakeDocument document(bike);
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(&document);
    for (const QString needle : {"chain", "bräke", "wax", "nothing"}) {
        for (const bool ignoreCase : {false, true}) {
            Names expected = stepThrough(searcher, needle, ignoreCase, false);
            Names all;
            for (const auto& item : searcher->allItemsWithStringIgnoreCase(needle, ignoreCase)) all.push_back(item->partName());
            EXPECT_EQ(all, expected) << needle.toStdString();
        }
    }
    EXPECT_FALSE(searcher->allItemsWithStringIgnoreCase("chain", true).empty());
}

TEST_F(SearcherTest, OneSearcherPerDocumentGoneWithItsDocument) {
    auto first = std::make_unique<FakeDocument>(part("One"));
    auto second = std::make_unique<FakeDocument>(part("Two"));
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(first.get());
    EXPECT_EQ(ZRSWSearcher::searcherForDocument(first.get()), searcher);
    EXPECT_NE(ZRSWSearcher::searcherForDocument(second.get()), searcher);
    EXPECT_EQ(ZRSWSearcher::registeredSearcherCount(), 2u);

    first.reset();
    EXPECT_EQ(ZRSWSearcher::registeredSearcherCount(), 1u);
    second.reset();
    EXPECT_EQ(ZRSWSearcher::registeredSearcherCount(), 0u);
    processPendingEvents();

    // A fresh registry for the next document.
    FakeDocument third(part("Three", {entry("x")}));
    EXPECT_EQ(ZRSWSearcher::searcherForDocument(&third)->nextItemWithStringIgnoreCaseSearchBackward("x", false, false)->partName(),
              "x");
}

} // namespace
} // namespace cogbook::test_support
