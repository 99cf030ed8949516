// Searching as the user does: the Find menu over two windows, the toolbar field and its report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/document_search.h"
#include "document/ZRSWDocumentNames.h"
#include "document/document_fixture.h"
#include "document/selection.h"
#include "platform/windows_menu.h"
#include "search/ZRSWFindManager.h"
#include "search/ZRSWSearchReport.h"
#include "search/find_string.h"
#include "search/search_results_model.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::node;
using test_support::processPendingEvents;

class FindTest : public test_support::DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        installDocumentSearch();
        clearFindStringForTesting();
        const auto commands = test_support::addFindCommands(&menu);
        find = commands[0];
        next = commands[1];
        previous = commands[2];
        useSelection = commands[3];
    }
    void TearDown() override {
        DocumentTest::TearDown();
        delete ZRSWFindManager::existingFindManager();
        processPendingEvents();
    }

    // bike NAME: Brakes(Front brake, Rear brake), Chain(Chain waxed), Saddle
    MyDocument* showBike(const std::string& name, const char* file) {
        auto bike = node(name, true,
                         {node("Brakes", true, {node("Front brake", false), node("Rear brake", false)}),
                          node("Chain", true, {node("Chain waxed", false)}), node("Saddle", false)});
        return keyDocumentShowing(bike, file);
    }
    static std::string selectedName(const MyDocument* document) {
        const auto items = _itemsForSelectedRowsInOutlineView(document->bikeTable());
        return items.size() == 1 ? items.front()->partName() : std::string("(") + std::to_string(items.size()) + ")";
    }
    // Road and Gravel open, Gravel in front, and the find panel shown for it.
    ZRSWFindManager* twoBikesAndThePanel() {
        road = showBike("Road", "road.cogbook");
        gravel = showBike("Gravel", "gravel.cogbook");
        find->trigger();
        ZRSWFindManager* manager = ZRSWFindManager::existingFindManager();
        if (manager != nullptr) {
            EXPECT_EQ(manager->currentDocument(), searchableDocumentOf(*gravel));
        }
        return manager;
    }

    QMenu menu;
    QAction* find = nullptr;
    QAction* next = nullptr;
    QAction* previous = nullptr;
    QAction* useSelection = nullptr;
    MyDocument* road = nullptr;
    MyDocument* gravel = nullptr;
};

TEST_F(FindTest, ThePanelFollowsTheWindowInFrontAndClosesWithTheLastDocument) {
    ZRSWFindManager* manager = twoBikesAndThePanel();
    ASSERT_NE(manager, nullptr);
    ASSERT_TRUE(manager->findPanel()->isVisible());
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Gravel");

    QApplication::setActiveWindow(road->documentWindow());
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Road");
    // The panel in front does not change the document searched.
    QApplication::setActiveWindow(manager->findPanel());
    EXPECT_EQ(manager->currentDocument(), searchableDocumentOf(*road));

    // Find Previous from the menu turns the panel's switch on, and finds
    // upwards from the bottom in the window in front.
    QApplication::setActiveWindow(gravel->documentWindow());
    manager->setSearchString(QString("brake"));
    previous->trigger();
    EXPECT_TRUE(manager->searchBackwardSwitch()->isChecked());
    EXPECT_EQ(selectedName(gravel), "Rear brake");
    EXPECT_EQ(selectedName(road), "(0)");
    next->trigger();
    EXPECT_FALSE(manager->searchBackwardSwitch()->isChecked());

    gravel->close();
    processPendingEvents();
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Road");
    EXPECT_TRUE(manager->findPanel()->isVisible());
    road->close();
    processPendingEvents();
    EXPECT_EQ(ZRSWFindManager::existingFindManager(), nullptr);
    // Nothing the search classes saw of the two documents is left.
    EXPECT_EQ(documentSearchAdapterCount(), 0u);
}

TEST_F(FindTest, ADocumentEndingWhileStillListedLeavesNothingOfItselfBehind) {
    ZRSWFindManager* manager = twoBikesAndThePanel();
    ASSERT_NE(manager, nullptr);
    // Ended without closing, as at the program's exit: the panel, looking
    // through the open documents as this one ends, still finds it listed.
    delete gravel;
    processPendingEvents();
    EXPECT_EQ(manager->currentDocument(), searchableDocumentOf(*road));
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Road");
    EXPECT_EQ(documentSearchAdapterCount(), 1u);
}

// Wrapping round and its beep are the find panel's own, checked with it.
TEST_F(FindTest, FindNextStartsBelowTheLowestSelectedRowAndOpensCollapsedParts) {
    MyDocument* document = showBike("Road", "road.cogbook");
    document->expandAll();
    OutlineView* view = document->bikeTable();
    // Rows: Brakes, Front brake, Rear brake, Chain, Chain waxed, Saddle.
    view->selectRowByExtendingSelection(3, false);
    view->selectRowByExtendingSelection(0, true);
    ZRSWFindManager::sharedFindManager()->setSearchString(QString("Chain"));
    next->trigger();
    EXPECT_EQ(selectedName(document), "Chain waxed");

    // Backwards from the same two rows starts below the lower one as well.
    view->selectRowByExtendingSelection(1, false);
    view->selectRowByExtendingSelection(4, true);
    previous->trigger();
    EXPECT_EQ(selectedName(document), "Chain");

    // Found inside a collapsed part: the part opens to show it.
    document->collapseAll();
    view->deselectAll();
    ZRSWFindManager::sharedFindManager()->setSearchString(QString("waxed"));
    next->trigger();
    EXPECT_EQ(selectedName(document), "Chain waxed");
}

TEST_F(FindTest, UseSelectionForFindTakesTextFromTextViewsOnly) {
    MyDocument* document = showBike("Road", "road.cogbook");
    std::vector<std::string> logged;
    const LogHook previousLog = setLogHook([&](std::string_view line) { logged.emplace_back(line); });

    document->bikeTable()->setFocus();
    useSelection->trigger();
    EXPECT_EQ(logged, std::vector<std::string>{"MyDocument does not handle NSFindPanelActionSetFindString"});
    EXPECT_EQ(alerts.beeps, 1);

    document->bikeTable()->selectRowByExtendingSelection(0, false);
    const ZRBicycleListPtr brakes = document->theBike()->childAtIndex(0);
    document->_newNotesForItemWithUndo("Bleed the hoses yearly", brakes, false);
    document->showNotesForItem(brakes.get());
    QPlainTextEdit* notes = document->notesView();
    notes->setFocus();
    QTextCursor cursor(notes->document());
    cursor.setPosition(10);
    cursor.setPosition(15, QTextCursor::KeepAnchor);
    notes->setTextCursor(cursor);
    ASSERT_EQ(QApplication::focusWidget(), notes);
    useSelection->trigger();
    setLogHook(previousLog);
    EXPECT_EQ(findString(), QString("hoses"));
    EXPECT_EQ(ZRSWFindManager::sharedFindManager()->searchString(), QString("hoses"));
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(logged.size(), 1u);
}

TEST_F(FindTest, TheToolbarFieldOpensTheReportAndItsRowsFollowTheTree) {
    MyDocument* document = showBike("Road", "road.cogbook");
    MyDocument* other = showBike("Gravel", "gravel.cogbook");
    QApplication::setActiveWindow(document->documentWindow());
    QLineEdit* field = document->toolbarSearchField();
    ASSERT_TRUE(field->isVisible());
    field->setFocus();
    QTest::keyClicks(field, "BRAKE");
    QTest::keyClick(field, Qt::Key_Return);

    ZRSWSearchReport* report = ZRSWSearchReport::searchReportForDocument(searchableDocumentOf(*document));
    ASSERT_NE(report->searchReportPanel(), nullptr);
    EXPECT_EQ(report->searchReportPanel()->windowTitle(), QString("Search Results for \u201cBRAKE\u201d in Road"));
    const SearchResultsModel* rows = report->foundItems();
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->data(rows->index(2, 0)).toString(), "Rear brake");
    EXPECT_EQ(findString(), QString("BRAKE"));
    EXPECT_EQ(ZRSWSearchReport::searchReportForDocument(searchableDocumentOf(*other))->searchReportPanel(), nullptr);

    // The Window menu lists both records and the report, and raises the one chosen.
    QMenu windows;
    fillWindowsMenu(&windows);
    QStringList titles;
    for (const QAction* item : windows.actions()) {
        if (!item->isSeparator()) titles << menuItemTitle(item);
    }
    EXPECT_EQ(titles, QStringList({"road.cogbook", "gravel.cogbook", "Search Results for “BRAKE” in Road"}));
    windows.actions().constLast()->trigger();
    processPendingEvents();
    EXPECT_EQ(QApplication::activeWindow(), report->searchReportPanel());
    windows.actions().constFirst()->trigger();
    processPendingEvents();
    EXPECT_EQ(QApplication::activeWindow(), document->documentWindow());

    // Choosing a row reveals its item, alone, in the outline.
    report->searchReportTV()->selectRow(2);
    EXPECT_EQ(selectedName(document), "Rear brake");

    // The report closes with its document.
    QPointer<QWidget> panel(report->searchReportPanel());
    document->close();
    processPendingEvents();
    EXPECT_TRUE(panel.isNull());
    // Only the other document's report is left.
    EXPECT_EQ(ZRSWSearchReport::registeredReportCount(), 1u);
}

} // namespace
} // namespace cogbook
