#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "search/ZRSWFindManager.h"
#include "search/ZRSWSearchReport.h"
#include "search/search_results_model.h"
#include "search_fixture.h"

namespace cogbook::test_support {
namespace {

class FindManagerTest : public SearchTest {
protected:
    void TearDown() override {
        delete ZRSWFindManager::existingFindManager();
        SearchTest::TearDown();
    }
    ZRSWFindManager* manager = ZRSWFindManager::sharedFindManager();
};

TEST_F(FindManagerTest, WrapsRoundWithOneBeepAndBeepsOnceForNothing) {
    auto only = entry("Chain", "", "Waxed on the 3rd");
    auto other = entry("Tyre");
    FakeDocument document(part("Bike", {other, only}));
    manager->setCurrentDocument(&document);
    manager->setSearchString(QString("chain"));
    manager->runFindPanelForBikeDocument(&document);
    manager->ignoreCaseSwitch()->click();

    manager->findNext();
    EXPECT_EQ(document.focused, std::vector<const ZRBicycleList*>{only.get()});
    EXPECT_EQ(alerts.beeps, 0);
    // The only match is selected: one beep, and it is found again.
    manager->findNext();
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(document.focused, (std::vector<const ZRBicycleList*>{only.get(), only.get()}));

    // From the panel the notes' first occurrence is selected too.
    document.selected = other;
    manager->findStringField()->setText("waxed");
    manager->findNext();
    EXPECT_EQ(document.notes.textCursor().selectedText(), "Waxed");

    manager->findStringField()->setText("saddle");
    manager->findNext();
    EXPECT_EQ(alerts.beeps, 2);
    EXPECT_EQ(document.focused.size(), 3u);

    manager->findStringField()->clear();
    manager->findNext();
    EXPECT_EQ(alerts.beeps, 3);
}

TEST_F(FindManagerTest, DirectionShowsInThePanelOnceLoaded) {
    auto first = entry("chain one");
    auto last = entry("chain two");
    FakeDocument document(part("Bike", {first, last}));
    manager->setSearchBackward(true);
    manager->runFindPanelForBikeDocument(&document);
    EXPECT_TRUE(manager->searchBackwardSwitch()->isChecked());
    EXPECT_EQ(manager->findNextButton()->text(), "Find Previous");
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Bike");

    // Backward with nothing selected starts at the last item.
    manager->setSearchString(QString("chain"));
    EXPECT_EQ(manager->nextItem(), last);

    manager->searchBackwardSwitch()->click();
    EXPECT_FALSE(manager->searchBackward());
    EXPECT_EQ(manager->findNextButton()->text(), "Find Next");
}

TEST_F(FindManagerTest, SearchStringIsTheOneSharedFindString) {
    FakeDocument document(part("Bike", {entry("Chain")}));
    manager->runFindPanelForBikeDocument(&document);
    manager->findStringField()->setText("chain");
    manager->findNext();
    EXPECT_EQ(findString(), QString("chain"));

    // Someone else publishes; the panel shows it when it comes to the front.
    publishFindString("tyre");
    EXPECT_EQ(manager->searchString(), QString("chain"));
    manager->setSearchString(std::nullopt);
    EXPECT_EQ(manager->findStringField()->text(), "tyre");

    // Nothing published leaves the string as it was.
    clearFindStringForTesting();
    ASSERT_FALSE(findString());
    manager->setSearchString(std::nullopt);
    EXPECT_EQ(manager->searchString(), QString("tyre"));
}

TEST_F(FindManagerTest, FindAllFillsTheCurrentDocumentsReportIgnoringDirection) {
    FakeDocument document(part("Bike", {entry("Chain"), entry("chain ring")}));
    manager->runFindPanelForBikeDocument(&document);
    manager->searchBackwardSwitch()->click();
    manager->findStringField()->setText("chain");
    manager->findAllButton()->click();
    ZRSWSearchReport* report = ZRSWSearchReport::searchReportForDocument(&document);
    ASSERT_NE(report->searchReportPanel(), nullptr);
    // Case counts unless ignored.
    EXPECT_EQ(report->searchReportPanel()->windowTitle(), QString("Search Results for \u201cchain\u201d in Bike"));
    EXPECT_EQ(report->foundItems() != nullptr ? report->foundItems()->rowCount() : -1, 1);
}

} // namespace
} // namespace cogbook::test_support
