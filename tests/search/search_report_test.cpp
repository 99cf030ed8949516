#include <QTableView>

#include "search/ZRSWSearchReport.h"
#include "search/search_results_model.h"
#include "search_fixture.h"

namespace cogbook::test_support {
namespace {

using SearchReportTest = SearchTest;

std::vector<std::string> rowNames(const ZRSWSearchReport* report) {
    std::vector<std::string> names;
    const SearchResultsModel* model = report->foundItems();
    for (int row = 0; row < model->rowCount(); ++row) {
        names.push_back(model->data(model->index(row, 0)).toString().toStdString());
    }
    return names;
}

void chooseRow(ZRSWSearchReport* report, int row) {
    report->searchReportTV()->clearSelection();
    report->searchReportTV()->selectRow(row);
}

TEST_F(SearchReportTest, ListsMatchesInOutlineOrderUnderATitleNamingStringAndBike) {
    auto serviced = entry("Chain", "Waxed chain");
    auto chain = part("Chain", {serviced});
    FakeDocument document(part("Road bike", {part("Wheels"), chain}));
    document.searchRoot()->setDescription("chain everywhere");
    ZRSWSearchReport* report = ZRSWSearchReport::searchReportForDocument(&document);

    ASSERT_EQ(report->showSearchResultsForStringIgnoreCase("chain", true), report);
    EXPECT_EQ(report->searchReportPanel()->windowTitle(), QString("Search Results for \u201cchain\u201d in Road bike"));
    EXPECT_EQ(rowNames(report), (std::vector<std::string>{"Chain", "Chain"}));
    EXPECT_EQ(report->foundItems()->items().front(), chain);
    EXPECT_EQ(report->foundItems()->data(report->foundItems()->index(1, 1)).toString(), "Waxed chain");

    // Only the bike itself holds it: an empty list, titled for the string.
    report->showSearchResultsForStringIgnoreCase("everywhere", true);
    EXPECT_EQ(rowNames(report), std::vector<std::string>{});
    EXPECT_EQ(report->searchReportPanel()->windowTitle(), QString("Search Results for \u201ceverywhere\u201d in Road bike"));

    report->showSearchResultsForStringIgnoreCase("", true);
    EXPECT_EQ(report->searchReportPanel()->windowTitle(), QString("Search Results for Road bike"));
    EXPECT_EQ(alerts.beeps, 0);
}

TEST_F(SearchReportTest, ChoosingARowFocusesItsItemUnlessItLeftTheTree) {
    auto front = entry("Front brake", "pads");
    auto rear = entry("Rear brake", "pads");
    auto brakes = part("Brakes", {front, rear});
    FakeDocument document(part("Bike", {brakes}));
    ZRSWSearchReport* report = ZRSWSearchReport::searchReportForDocument(&document);
    report->showSearchResultsForStringIgnoreCase("pads", false);
    ASSERT_EQ(rowNames(report), (std::vector<std::string>{"Front brake", "Rear brake"}));

    chooseRow(report, 1);
    ASSERT_EQ(document.focused, std::vector<const ZRBicycleList*>{rear.get()});

    // The part holding the entry leaves the tree: its row is gone and only beeps.
    document.searchRoot()->removeChild(*brakes);
    EXPECT_FALSE(report->foundItems()->isRowInTree(0));
    EXPECT_TRUE(report->foundItems()->data(report->foundItems()->index(0, 0), Qt::ForegroundRole).isValid());
    chooseRow(report, 0);
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(document.focused.size(), 1u);

    // Back in the tree (as an undo puts it), the row works again.
    document.searchRoot()->addChildPartOrEntry(brakes);
    EXPECT_FALSE(report->foundItems()->data(report->foundItems()->index(0, 0), Qt::ForegroundRole).isValid());
    chooseRow(report, 0);
    EXPECT_EQ(document.focused.back(), front.get());

    // A reverted document has a new tree: every old row is gone.
    document.replaceRoot(part("Bike", {entry("Front brake", "pads")}));
    chooseRow(report, 1);
    EXPECT_EQ(alerts.beeps, 2);
}

TEST_F(SearchReportTest, OneReportPerDocumentReusedAndClosedWithIt) {
    auto first = std::make_unique<FakeDocument>(part("One", {entry("chain"), entry("tyre")}));
    auto second = std::make_unique<FakeDocument>(part("Two", {entry("chain")}));
    ZRSWSearchReport* report = ZRSWSearchReport::searchReportForDocument(first.get());
    report->showSearchResultsForStringIgnoreCase("chain", false);
    QWidget* panel = report->searchReportPanel();
    report->showSearchResultsForStringIgnoreCase("tyre", false);
    EXPECT_EQ(ZRSWSearchReport::searchReportForDocument(first.get()), report);
    EXPECT_EQ(report->searchReportPanel(), panel);
    EXPECT_EQ(rowNames(report), std::vector<std::string>{"tyre"});

    ZRSWSearchReport* other = ZRSWSearchReport::searchReportForDocument(second.get());
    other->showSearchResultsForStringIgnoreCase("chain", false);
    EXPECT_NE(other->searchReportPanel(), panel);
    EXPECT_EQ(ZRSWSearchReport::registeredReportCount(), 2u);

    QPointer<QWidget> watched(panel);
    first.reset();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(ZRSWSearchReport::registeredReportCount(), 1u);
    processPendingEvents();
    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(other->searchReportPanel()->isVisible());
    second.reset();
    EXPECT_EQ(ZRSWSearchReport::registeredReportCount(), 0u);
    EXPECT_ANY_THROW(ZRSWSearchReport::searchReportForDocument(nullptr));
}

} // namespace
} // namespace cogbook::test_support
