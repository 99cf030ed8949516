// The toolbar's search item rearranged over two windows, as a text-only menu, and after a relaunch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>

#include "app/document_search.h"
#include "document/document_fixture.h"
#include "platform/toolbar_customization.h"
#include "search/ZRSWFindManager.h"
#include "search/ZRSWSearchReport.h"
#include "search/search_results_model.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::processPendingEvents;

class ToolbarSearchTest : public test_support::DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        installDocumentSearch();
    }
    void TearDown() override {
        DocumentTest::TearDown();
        delete ZRSWFindManager::existingFindManager();
        processPendingEvents();
    }
    static int rowOf(const QListWidget* list, const QString& label) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text() == label) return row;
        }
        return -1;
    }
};

TEST_F(ToolbarSearchTest, ArrangementIsSharedByEveryWindowAndSurvivesARelaunch) {
    MyDocument* first = newKeyDocument();
    MyDocument* second = newKeyDocument();
    ToolbarCustomizationDialog* dialog = first->toolbar()->runCustomizationPalette();
    ASSERT_NE(dialog, nullptr);

    // Take the search field out: both windows lose it.
    dialog->toolbarList()->setCurrentRow(rowOf(dialog->toolbarList(), "Search"));
    dialog->removeChosenItem();
    EXPECT_EQ(first->activeSearchItem(), nullptr);
    EXPECT_EQ(second->activeSearchItem(), nullptr);
    EXPECT_FALSE(first->toolbarSearchField()->isVisible());

    // Put it back at the end, a separator after it, and move Add Part up.
    dialog->toolbarList()->setCurrentRow(-1);
    dialog->toolbarList()->clearSelection();
    dialog->availableList()->setCurrentRow(rowOf(dialog->availableList(), "Search"));
    dialog->toolbarList()->setCurrentRow(-1);
    dialog->addChosenItem();
    dialog->toolbarList()->setCurrentRow(rowOf(dialog->toolbarList(), "Add Part"));
    dialog->moveChosenItem(-1);
    dialog->toolbarList()->setCurrentRow(rowOf(dialog->toolbarList(), "Search"));
    dialog->availableList()->setCurrentRow(rowOf(dialog->availableList(), "Separator"));
    dialog->addChosenItem();
    // An item already there is not added twice.
    dialog->availableList()->setCurrentRow(rowOf(dialog->availableList(), "Expand All"));
    dialog->addChosenItem();
    EXPECT_EQ(alerts.beeps, 1);

    const QStringList arranged{"Add Entry for Part", "Add Subpart", "Expand All", "Collapse All", "Add Part",
                               "Add Entry for Bike", "Search", ""};
    EXPECT_EQ(toolbarLabels(first), arranged);
    EXPECT_EQ(toolbarLabels(second), arranged);
    // The search item works again, in both windows.
    for (MyDocument* document : {first, second}) {
        ToolbarItem* search = document->activeSearchItem();
        ASSERT_NE(search, nullptr);
        EXPECT_EQ(search->target(), document);
        EXPECT_EQ(search->action(), "searchUsingToolbarTextField:");
    }
    second->toolbarSearchField()->setText("brake");
    QTest::keyClick(second->toolbarSearchField(), Qt::Key_Return);
    ASSERT_NE(ZRSWSearchReport::searchReportForDocument(searchableDocumentOf(*second))->foundItems(), nullptr);
    EXPECT_GT(ZRSWSearchReport::searchReportForDocument(searchableDocumentOf(*second))->foundItems()->rowCount(), 0);

    // Text only, chosen from the context menu, shows the search item as a menu.
    std::unique_ptr<QMenu> context(second->toolbar()->makeContextMenu(nullptr));
    const QList<QAction*> modes = context->actions();
    ASSERT_GE(modes.size(), 3);
    EXPECT_EQ(modes[2]->text(), "Text Only");
    modes[2]->trigger();
    EXPECT_EQ(first->toolbar()->displayMode(), ToolbarDisplayMode::LabelOnly);
    EXPECT_EQ(first->toolbar()->toolButtonStyle(), Qt::ToolButtonTextOnly);
    QAction* searchMenu = first->activeSearchItem()->buttonAction();
    ASSERT_NE(searchMenu, nullptr);
    ASSERT_NE(searchMenu->menu(), nullptr);
    EXPECT_EQ(searchMenu->text(), "Search");
    ASSERT_EQ(searchMenu->menu()->actions().size(), 1);
    EXPECT_EQ(searchMenu->menu()->actions()[0]->text(), "Search Panel");
    searchMenu->menu()->actions()[0]->trigger();
    ASSERT_NE(ZRSWFindManager::existingFindManager(), nullptr);
    EXPECT_EQ(ZRSWFindManager::existingFindManager()->currentDocument(), searchableDocumentOf(*first));
    EXPECT_TRUE(ZRSWFindManager::existingFindManager()->findPanel()->isVisible());

    // A relaunch: the settings read back from their file.
    test_support::closeAllDocuments(controller);
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    UserDefaults::resetStandardUserDefaults(defaults.defaultsPath().toStdString());
    SetUp();
    MyDocument* relaunched = newKeyDocument();
    EXPECT_EQ(toolbarLabels(relaunched), arranged);
    EXPECT_EQ(relaunched->toolbar()->displayMode(), ToolbarDisplayMode::LabelOnly);
    ASSERT_NE(relaunched->activeSearchItem(), nullptr);

    // Restoring the default set.
    relaunched->toolbar()->runCustomizationPalette()->restoreDefaultSet();
    EXPECT_EQ(toolbarLabels(relaunched), QStringList({"Add Entry for Part", "Add Subpart", "Expand All", "Collapse All",
                                               "Add Entry for Bike", "Add Part", "Search"}));
}

} // namespace
} // namespace cogbook
