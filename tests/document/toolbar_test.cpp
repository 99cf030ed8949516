// The document toolbar as the user meets it: its default items, their
// enabling, and the arrangement the user makes, shared by every window and
// kept across launches.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "document/ZRSWDocumentNames.h"
#include "document/document_fixture.h"
#include "platform/toolbar_customization.h"
#include "search/ZRSWFindManager.h"
#include "search/ZRSWSearchReport.h"
#include "search/search_results_model.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::processPendingEvents;

class ToolbarTest : public test_support::DocumentTest {
protected:
    void TearDown() override {
        DocumentTest::TearDown();
        delete ZRSWFindManager::existingFindManager();
        processPendingEvents();
    }
    MyDocument* show() {
        MyDocument* document = newDocument();
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
        return document;
    }
    static QStringList labels(const MyDocument* document) {
        QStringList result;
        for (const auto& item : document->toolbar()->items()) result << item->label();
        return result;
    }
    static ToolbarItem* item(const MyDocument* document, const char* identifier) {
        for (const auto& each : document->toolbar()->items()) {
            if (each->itemIdentifier() == QLatin1String(identifier)) return each.get();
        }
        return nullptr;
    }
    static int rowOf(const QListWidget* list, const QString& label) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text() == label) return row;
        }
        return -1;
    }
};

TEST_F(ToolbarTest, DefaultItemsInOrderWithASearchFieldOfBoundedWidth) {
    MyDocument* document = show();
    EXPECT_EQ(labels(document), QStringList({"Add Entry for Part", "Add Subpart", "Expand All", "Collapse All",
                                             "Add Entry for Bike", "Add Part", "Search"}));
    for (const auto& each : document->toolbar()->items()) {
        if (each->view() == nullptr) {
            EXPECT_NE(each->image(), nullptr) << each->label().toStdString();
        }
    }
    EXPECT_EQ(document->toolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    ToolbarItem* search = document->activeSearchItem();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->view(), document->toolbarSearchField());
    EXPECT_EQ(search->minSize().width(), 30);
    EXPECT_EQ(search->maxSize().width(), 400);
    EXPECT_LE(document->toolbarSearchField()->maximumWidth(), 400);
    EXPECT_TRUE(document->toolbarSearchField()->isVisible());

    // A toolbar button runs its command on this document.
    const std::size_t parts = document->theBike()->numberOfChildren();
    item(document, AddPartToolbarItemIdentifier)->buttonAction()->trigger();
    EXPECT_EQ(document->theBike()->numberOfChildren(), parts + 1);
}

TEST_F(ToolbarTest, SelectionDependentItemsNeedExactlyOneRow) {
    MyDocument* document = show();
    auto enabled = [&] {
        document->toolbar()->validateVisibleItems();
        QStringList on;
        for (const auto& each : document->toolbar()->items()) {
            if (each->isEnabled()) on << each->label();
        }
        return on;
    };
    const QStringList always{"Expand All", "Collapse All", "Add Entry for Bike", "Add Part", "Search"};
    EXPECT_EQ(enabled(), always);
    document->bikeTable()->selectRowByExtendingSelection(1, false);
    EXPECT_EQ(enabled().size(), 7);
    EXPECT_TRUE(item(document, AddSubpartToolbarItemIdentifier)->buttonAction()->isEnabled());
    document->bikeTable()->selectRowByExtendingSelection(2, true);
    EXPECT_EQ(enabled(), always);
}

TEST_F(ToolbarTest, ArrangementIsSharedByEveryWindowAndSurvivesARelaunch) {
    MyDocument* first = show();
    MyDocument* second = show();
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
    EXPECT_EQ(labels(first), arranged);
    EXPECT_EQ(labels(second), arranged);
    // The search item works again, in both windows.
    for (MyDocument* document : {first, second}) {
        ToolbarItem* search = document->activeSearchItem();
        ASSERT_NE(search, nullptr);
        EXPECT_EQ(search->target(), document);
        EXPECT_EQ(search->action(), "searchUsingToolbarTextField:");
    }
    second->toolbarSearchField()->setText("brake");
    QTest::keyClick(second->toolbarSearchField(), Qt::Key_Return);
    ASSERT_NE(ZRSWSearchReport::searchReportForDocument(second)->foundItems(), nullptr);
    EXPECT_GT(ZRSWSearchReport::searchReportForDocument(second)->foundItems()->rowCount(), 0);

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
    EXPECT_EQ(ZRSWFindManager::existingFindManager()->currentDocument(), first);
    EXPECT_TRUE(ZRSWFindManager::existingFindManager()->findPanel()->isVisible());

    // A relaunch: the settings read back from their file.
    test_support::closeAllDocuments(controller);
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    UserDefaults::resetStandardUserDefaults(defaults.defaultsPath().toStdString());
    SetUp();
    MyDocument* relaunched = show();
    EXPECT_EQ(labels(relaunched), arranged);
    EXPECT_EQ(relaunched->toolbar()->displayMode(), ToolbarDisplayMode::LabelOnly);
    ASSERT_NE(relaunched->activeSearchItem(), nullptr);

    // Restoring the default set.
    relaunched->toolbar()->runCustomizationPalette()->restoreDefaultSet();
    EXPECT_EQ(labels(relaunched), QStringList({"Add Entry for Part", "Add Subpart", "Expand All", "Collapse All",
                                               "Add Entry for Bike", "Add Part", "Search"}));
}

TEST_F(ToolbarTest, ADamagedSavedArrangementShowsOnlyAllowedItemsOnce) {
    PlistDictionary saved;
    saved.emplace_back("Item Identifiers",
                       PlistValue(PlistArray{PlistValue("Add Part Item Identifier"), PlistValue("Bogus"),
                                             PlistValue(std::int64_t{7}), PlistValue("Add Part Item Identifier"),
                                             PlistValue("NSToolbarSpaceItem"), PlistValue("NSToolbarSpaceItem")}));
    saved.emplace_back("Display Mode", PlistValue(std::int64_t{99}));
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(std::move(saved)), MyDocToolbarIdentifier);
    MyDocument* document = show();
    EXPECT_EQ(document->toolbar()->itemIdentifiers(),
              QStringList({"Add Part Item Identifier", "NSToolbarSpaceItem", "NSToolbarSpaceItem"}));
    EXPECT_EQ(document->toolbar()->displayMode(), ToolbarDisplayMode::IconAndLabel);
    EXPECT_EQ(document->activeSearchItem(), nullptr);
    document->close();
    processPendingEvents();

    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue("not a toolbar"), MyDocToolbarIdentifier);
    EXPECT_EQ(show()->toolbar()->items().size(), 7u);
}

} // namespace
} // namespace cogbook
