// What is due: the Service Due list, most urgent first, and the bar over a record opened from a file.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "document/ZRSWServiceDueWindow.h"
#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "platform/message_bar.h"

namespace cogbook {
namespace {

using test_support::daysAgo;
using test_support::entry;
using test_support::part;
using test_support::processPendingEvents;

// A part serviced DAYS_AGO (never, below 0) that wants service every INTERVAL days.
ZRBicycleListPtr serviced(const std::string& name, int interval, int daysAgoServiced) {
    auto result = part(name);
    result->setServiceIntervalDays(interval);
    if (daysAgoServiced >= 0) result->addChildPartOrEntry(entry(name, "Serviced", daysAgo(daysAgoServiced)));
    return result;
}

class ServiceDueWindowTest : public test_support::DocumentTest {
protected:
    // Chain overdue by 10 days, Brakes never serviced (due), Tyres soon, a
    // Frame without an interval.
    MyDocument* openMixedBike() {
        auto root = part("Bike", {part("Frame"), serviced("Tyres", 100, 95), serviced("Chain", 30, 40),
                                  part("Stopping", {serviced("Brakes", 10, -1)})});
        return keyDocumentShowing(root, "mixed.cogbook");
    }
    static QStringList column(const ZRSWServiceDueWindow* window, int column) {
        QStringList texts;
        for (int row = 0; row < window->list()->topLevelItemCount(); ++row)
            texts << window->list()->topLevelItem(row)->text(column);
        return texts;
    }
};

TEST_F(ServiceDueWindowTest, ListsTheMostUrgentFirstFollowsAFilingAndItsUndoAndLeadsToThePart) {
    MyDocument* document = openMixedBike();
    ASSERT_NE(document, nullptr);
    perform(document, "showServiceDue:");
    ZRSWServiceDueWindow* window = document->serviceDueWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->showsList());
    EXPECT_EQ(column(window, 0), QStringList({"Chain", "Stopping › Brakes", "Tyres"}));
    EXPECT_EQ(column(window, 1), QStringList({"Overdue", "Due", "Soon"}));
    EXPECT_EQ(column(window, 2), QStringList({"overdue by 10 days", "never serviced", "in 5 days"}));
    EXPECT_TRUE(column(window, 3)[1].isEmpty());
    EXPECT_FALSE(column(window, 3)[0].isEmpty());

    // The chain serviced today goes to the end of the list; undo brings it back.
    const ZRBicycleListPtr chain = nodeAt(document, {2})->shared_from_this();
    Application::performAsOneEvent(
        [&] { document->insertChildForParentAtIndex(entry("Chain", "New chain", Date::now()), chain, 0); });
    processPendingEvents();
    EXPECT_EQ(column(window, 0), QStringList({"Stopping › Brakes", "Tyres", "Chain"}));
    EXPECT_EQ(column(window, 1).last(), "OK");
    Application::performAsOneEvent([&] { document->undoManager().undo(); });
    processPendingEvents();
    EXPECT_EQ(column(window, 0), QStringList({"Chain", "Stopping › Brakes", "Tyres"}));

    // Showing it again brings the same window forward.
    perform(document, "showServiceDue:");
    EXPECT_EQ(document->serviceDueWindow(), window);

    // Enter on a row selects its part in the outline, its parents opened.
    window->list()->setCurrentItem(window->list()->topLevelItem(1));
    QTest::keyClick(window->list(), Qt::Key_Return);
    processPendingEvents();
    EXPECT_EQ(document->lastSelectedItem(), nodeAt(document, {3, 0}));
    EXPECT_EQ(document->bikeTable()->numberOfSelectedRows(), 1);
}

TEST_F(ServiceDueWindowTest, WithoutIntervalsTheListSaysHowToSetOne) {
    MyDocument* document = keyDocumentShowing(part("Bike", {part("Chain", {entry("Chain", "Waxed", 10.0)})}), "plain.cogbook");
    perform(document, "showServiceDue:");
    ZRSWServiceDueWindow* window = document->serviceDueWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->showsList());
    EXPECT_TRUE(window->emptyLabel()->text().contains("Record > Service Interval…"));
    // The list appears as soon as a part has an interval.
    Application::performAsOneEvent([&] {
        nodeAt(document, {0})->setServiceIntervalDays(7);
        document->noteRecordChanged();
    });
    processPendingEvents();
    EXPECT_TRUE(window->showsList());
}

TEST_F(ServiceDueWindowTest, TheColumnsChosenInOneWindowShowInTheOthersAtOnceAndInNewOnes) {
    MyDocument* first = openMixedBike();
    MyDocument* second = newKeyDocument();
    ASSERT_TRUE(first != nullptr && second != nullptr);
    perform(second, "toggleDueColumn:");
    perform(second, "toggleCostColumn:");
    perform(second, "toggleCostColumn:");
    for (MyDocument* document : {first, second, newKeyDocument()}) {
        EXPECT_TRUE(document->optionalColumns()->isColumnShown(QStringLiteral("due")));
        EXPECT_FALSE(document->optionalColumns()->isColumnShown(QStringLiteral("cost")));
    }
}

// ---------------------------------------------------------------------------
// The bar

TEST_F(ServiceDueWindowTest, ABarCountsThePartsWantingServiceInARecordOpenedFromAFile) {
    struct Case {
        const char* name;
        std::vector<ZRBicycleListPtr> parts;
        QString text; // empty: no bar
    };
    const std::vector<Case> cases{
        {"two-overdue.cogbook", {serviced("Chain", 30, 40), serviced("Cables", 300, 400)}, "2 parts are overdue for service."},
        {"one-due.cogbook", {serviced("Chain", 30, -1), serviced("Tyres", 300, 1)}, "1 part is due for service."},
        {"mixed.cogbook", {serviced("Chain", 30, 40), serviced("Brakes", 10, -1)}, "2 parts need service: 1 overdue, 1 due."},
        {"nothing-due.cogbook", {serviced("Chain", 30, 1), part("Frame")}, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        MyDocument* document = keyDocumentShowing(part("Bike", test.parts), test.name);
        ASSERT_NE(document, nullptr);
        MessageBar* bar = document->serviceDueBar();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->isVisible() ? bar->message() : QString(), test.text);
        // The outline keeps the keys.
        EXPECT_EQ(QApplication::focusWidget(), document->bikeTable());
        test_support::closeAllDocuments(controller);
    }
    // A new record shows none, however its template stands.
    MyDocument* fresh = newKeyDocument();
    ASSERT_NE(fresh->serviceDueBar(), nullptr);
    EXPECT_FALSE(fresh->serviceDueBar()->isVisible());
}

TEST_F(ServiceDueWindowTest, TheBarFollowsServiceLeadsToTheListAndStaysAwayOnceDismissed) {
    MyDocument* document =
        keyDocumentShowing(part("Bike", {serviced("Chain", 30, 40), serviced("Cables", 300, 400)}), "two.cogbook");
    ASSERT_NE(document, nullptr);
    MessageBar* bar = document->serviceDueBar();
    ASSERT_TRUE(bar != nullptr && bar->isVisible());
    const auto service = [&](std::size_t index) {
        const ZRBicycleListPtr servicedPart = nodeAt(document, {index})->shared_from_this();
        Application::performAsOneEvent(
            [&] { document->insertChildForParentAtIndex(entry("", "Done", Date::now()), servicedPart, 0); });
        processPendingEvents();
    };
    service(0);
    EXPECT_EQ(bar->message(), "1 part is overdue for service.");

    auto* show = bar->findChild<QPushButton*>();
    ASSERT_NE(show, nullptr);
    show->click();
    processPendingEvents();
    ASSERT_NE(document->serviceDueWindow(), nullptr);
    EXPECT_TRUE(document->serviceDueWindow()->isVisible());

    service(1);
    EXPECT_FALSE(bar->isVisible());
    // Undone, the record wants service again, but a bar once gone stays gone.
    Application::performAsOneEvent([&] { document->undoManager().undo(); });
    processPendingEvents();
    EXPECT_FALSE(bar->isVisible());

    // Escape in the bar dismisses it, and the keys go back to the outline.
    MyDocument* other = keyDocumentShowing(part("Bike", {serviced("Chain", 30, 40)}), "other.cogbook");
    ASSERT_NE(other, nullptr);
    MessageBar* otherBar = other->serviceDueBar();
    ASSERT_TRUE(otherBar->isVisible());
    otherBar->closeButton()->setFocus();
    QTest::keyClick(otherBar->closeButton(), Qt::Key_Escape);
    processPendingEvents();
    EXPECT_FALSE(otherBar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), other->bikeTable());
}

} // namespace
} // namespace cogbook
