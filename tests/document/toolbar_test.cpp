// The document toolbar: default items, their enabling, and a damaged saved arrangement.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include "document/ZRSWDocumentNames.h"
#include "document/document_fixture.h"
#include "platform/toolbar_customization.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::processPendingEvents;

class ToolbarTest : public test_support::DocumentTest {
protected:
    static ToolbarItem* item(const MyDocument* document, const char* identifier) {
        for (const auto& each : document->toolbar()->items()) {
            if (each->itemIdentifier() == QLatin1String(identifier)) return each.get();
        }
        return nullptr;
    }
};

TEST_F(ToolbarTest, DefaultItemsInOrderWithASearchFieldOfBoundedWidth) {
    MyDocument* document = newKeyDocument();
    EXPECT_EQ(toolbarLabels(document), QStringList({"Add Entry for Part", "Add Subpart", "Expand All", "Collapse All",
                                             "Add Entry for Bike", "Add Part", "Search"}));
    for (const auto& each : document->toolbar()->items()) {
        if (each->view() == nullptr) {
            EXPECT_NE(each->image(), nullptr) << each->label().toStdString();
        }
    }
    ASSERT_NE(document->activeSearchItem(), nullptr);
    EXPECT_EQ(document->activeSearchItem()->view(), document->toolbarSearchField());
    EXPECT_LE(document->toolbarSearchField()->maximumWidth(), 400);
    EXPECT_TRUE(document->toolbarSearchField()->isVisible());

    // The search field is reachable, but a new window's keys go to its record.
    processPendingEvents();
    EXPECT_EQ(document->documentWindow()->focusWidget(), document->bikeTable());

    // A toolbar button runs its command on this document.
    const std::size_t parts = document->theBike()->numberOfChildren();
    item(document, AddPartToolbarItemIdentifier)->buttonAction()->trigger();
    EXPECT_EQ(document->theBike()->numberOfChildren(), parts + 1);
}

TEST_F(ToolbarTest, SelectionDependentItemsNeedExactlyOneRow) {
    MyDocument* document = newKeyDocument();
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
    EXPECT_TRUE(item(document, AddSubpartToolbarItemIdentifier)->buttonAction()->isEnabled()) << "its button too";
    document->bikeTable()->selectRowByExtendingSelection(2, true);
    EXPECT_EQ(enabled(), always);
}

TEST_F(ToolbarTest, ADamagedSavedArrangementShowsOnlyAllowedItemsOnce) {
    PlistDictionary saved;
    saved.emplace_back("Item Identifiers",
                       PlistValue(PlistArray{PlistValue("Add Part Item Identifier"), PlistValue("Bogus"),
                                             PlistValue(std::int64_t{7}), PlistValue("Add Part Item Identifier"),
                                             PlistValue("NSToolbarSpaceItem"), PlistValue("NSToolbarSpaceItem")}));
    saved.emplace_back("Display Mode", PlistValue(std::int64_t{99}));
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(std::move(saved)), MyDocToolbarIdentifier);
    MyDocument* document = newKeyDocument();
    EXPECT_EQ(document->toolbar()->itemIdentifiers(),
              QStringList({"Add Part Item Identifier", "NSToolbarSpaceItem", "NSToolbarSpaceItem"}));
    EXPECT_EQ(document->toolbar()->displayMode(), ToolbarDisplayMode::IconAndLabel);
    EXPECT_EQ(document->activeSearchItem(), nullptr);
    document->close();
    processPendingEvents();

    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue("not a toolbar"), MyDocToolbarIdentifier);
    EXPECT_EQ(newKeyDocument()->toolbar()->items().size(), 7u);
}

} // namespace
} // namespace cogbook
