// The service log and costs-by-year windows: order, sorting, filtering, following changes, their lives.
#include <QDateTime>
#include <QHeaderView>
#include <QPointer>
#include <QTest>

#include "document/ZRSWServiceDueWindow.h"
#include "document/service_windows.h"
#include "document_fixture.h"
#include "foundation/undo_manager.h"

namespace cogbook {
namespace {

using namespace test_support;

ZRBicycleListPtr costed(ZRBicycleListPtr node, std::optional<double> cost, std::optional<double> odometer = {}) {
    node->setCost(cost);
    node->setOdometer(odometer);
    return node;
}

class ServiceLogWindowTest : public DocumentTest {
protected:
    // Three entries under the rear wheel's tyre and chain, one under the bike.
    static ZRBicycleListPtr sampleBike() {
        auto bike = part("Bike", {
            part("Rear wheel", {
                part("Tyre", {costed(entry("Tyre", "Puncture fixed", localDay(2024, 3, 10), "Tube patched\nsecond line"), 12.5, 1200),
                              costed(entry("Tyre", "New tyre", localDay(2025, 6, 1)), 30.0)}),
                part("Chain", {costed(entry("Chain", "Waxed", localDay(2025, 1, 20)), std::nullopt, 2500)}),
            }),
            costed(entry("Bike", "Full service", localDay(2023, 11, 5)), 8.0, 400),
        });
        bike->setCurrency("EUR");
        return bike;
    }

    ZRSWServiceLogWindow* openLog(MyDocument* document) {
        perform(document, "showServiceLog:");
        processPendingEvents();
        return document->serviceLogWindow();
    }

    // A column's texts as the table shows them, top to bottom.
    static QStringList shown(const ZRSWServiceLogWindow* log, int column = ServiceLogModel::DescriptionColumn) {
        QStringList texts;
        const QAbstractItemModel* rows = log->table()->model();
        for (int row = 0; row < rows->rowCount(); ++row) texts << rows->index(row, column).data().toString();
        return texts;
    }

    static void undo(MyDocument* document) {
        document->undoManager().undo();
        processPendingEvents();
    }
    // WINDOW made the key window, and the key pressed where its keys are.
    static void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QApplication::setActiveWindow(window);
        processPendingEvents();
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key, modifiers);
        processPendingEvents();
    }

    ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    // The Edit and File menus' items whose keys the service windows take.
    QMenu menu;
    QAction* undoItem = makeMenuItem(&menu, "Undo", "undo:", QKeySequence(Qt::CTRL | Qt::Key_Z));
    void SetUp() override {
        DocumentTest::SetUp();
        makeMenuItem(&menu, "Redo", "redo:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        makeMenuItem(&menu, "Save", "saveDocument:", QKeySequence(Qt::CTRL | Qt::Key_S));
        makeMenuItem(&menu, "Close", "performClose:", QKeySequence(Qt::CTRL | Qt::Key_W));
        registerMenuForValidation(&menu);
    }
};

TEST_F(ServiceLogWindowTest, ListsEntriesNewestFirstAndSortsWithBlanksLast) {
    MyDocument* document = keyDocumentShowing(sampleBike(), "log.cogbook");
    ZRSWServiceLogWindow* log = openLog(document);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle(), QStringLiteral("Service Log \u2014 log"));
    EXPECT_EQ(shown(log), (QStringList{"New tyre", "Waxed", "Puncture fixed", "Full service"}));
    EXPECT_EQ(shown(log, ServiceLogModel::PartColumn),
              (QStringList{"Rear wheel \u203a Tyre", "Rear wheel \u203a Chain", "Rear wheel \u203a Tyre", "log"}));
    EXPECT_EQ(shown(log, ServiceLogModel::CostColumn), (QStringList{"\u20ac30.00", "", "\u20ac12.50", "\u20ac8.00"}));
    EXPECT_EQ(shown(log, ServiceLogModel::NotesColumn), (QStringList{"", "", "Tube patched", ""}));

    struct Case {
        int column;
        Qt::SortOrder order;
        QStringList expected;
    };
    const Case cases[] = {
        {ServiceLogModel::CostColumn, Qt::AscendingOrder, {"Full service", "Puncture fixed", "New tyre", "Waxed"}},
        {ServiceLogModel::CostColumn, Qt::DescendingOrder, {"New tyre", "Puncture fixed", "Full service", "Waxed"}},
        {ServiceLogModel::OdometerColumn, Qt::AscendingOrder, {"Full service", "Puncture fixed", "Waxed", "New tyre"}},
        {ServiceLogModel::OdometerColumn, Qt::DescendingOrder, {"Waxed", "Puncture fixed", "Full service", "New tyre"}},
        {ServiceLogModel::DateColumn, Qt::AscendingOrder, {"Full service", "Puncture fixed", "Waxed", "New tyre"}},
        {ServiceLogModel::DateColumn, Qt::DescendingOrder, {"New tyre", "Waxed", "Puncture fixed", "Full service"}},
        {ServiceLogModel::NotesColumn, Qt::DescendingOrder, {"Puncture fixed", "New tyre", "Waxed", "Full service"}},
    };
    for (const Case& each : cases) {
        log->table()->sortByColumn(each.column, each.order);
        EXPECT_EQ(shown(log), each.expected) << "column " << each.column << " order " << each.order;
    }
    // The chooser follows the header, and the keyboard sorts through it.
    EXPECT_EQ(log->sortChooser()->currentText(), QStringLiteral("Notes, descending"));
    log->sortChooser()->setFocus();
    QTest::keyClick(log->sortChooser(), Qt::Key_Home);
    EXPECT_EQ(log->table()->horizontalHeader()->sortIndicatorSection(), ServiceLogModel::DateColumn);
    EXPECT_EQ(shown(log).front(), QStringLiteral("Full service"));

    // Return on a row selects its entry in the outline, its parents opened.
    const ZRBicycleList* waxed = nodeAt(document, {0, 1, 0});
    log->table()->setCurrentIndex(log->table()->model()->index(2, 0));
    QTest::keyClick(log->table(), Qt::Key_Return);
    processPendingEvents();
    EXPECT_EQ(document->lastSelectedItem(), waxed);
    EXPECT_EQ(document->bikeTable()->numberOfSelectedRows(), 1);
    EXPECT_TRUE(document->bikeTable()->isItemExpanded(const_cast<ZRBicycleList*>(waxed->parent().get())));
}

TEST_F(ServiceLogWindowTest, FiltersByTextAndDateRangeAndTotalsWhatIsShown) {
    MyDocument* document = keyDocumentShowing(sampleBike(), "log.cogbook");
    ZRSWServiceLogWindow* log = openLog(document);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->footer()->text(), QStringLiteral("4 entries \u00b7 total \u20ac50.50"));

    struct Case {
        QString text, from, to;
        QStringList expected;
    };
    const Case cases[] = {
        {"tyre", "", "", {"New tyre", "Puncture fixed"}},   // the part path and the description
        {"PATCHED", "", "", {"Puncture fixed"}},            // the notes, case aside
        {"second line", "", "", {"Puncture fixed"}},        // beyond the first line of the notes
        {"", "1/20/2025", "", {"New tyre", "Waxed"}},       // from a day, that day included
        {"", "", "1/20/2025", {"Waxed", "Puncture fixed", "Full service"}},
        {"", "1/1/2024", "12/31/2024", {"Puncture fixed"}},
        {"tyre", "1/1/2025", "", {"New tyre"}},
        {"", "3/1/2025", "2/1/2025", {}},
    };
    for (const Case& each : cases) {
        log->filterField()->setText(each.text);
        log->fromField()->setText(each.from);
        log->toField()->setText(each.to);
        EXPECT_EQ(shown(log), each.expected) << each.text.toStdString() << " " << each.from.toStdString();
    }
    log->fromField()->clear();
    log->toField()->clear();
    log->filterField()->setText("tyre");
    EXPECT_EQ(log->footer()->text(), QStringLiteral("2 of 4 entries \u00b7 total \u20ac42.50 (bike: \u20ac50.50)"));
    // A date that names no day filters nothing and says what to type.
    log->filterField()->clear();
    log->fromField()->setText("31/31");
    EXPECT_EQ(shown(log).size(), 4);
    EXPECT_TRUE(log->footer()->text().contains("Type a date like")) << log->footer()->text().toStdString();

    // Ctrl+F from the table puts the keys in the filter field.
    log->table()->setFocus();
    QTest::keyClick(log->table(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(log->filterField()->hasFocus());
}

TEST_F(ServiceLogWindowTest, FollowsEditsAdditionsAndUndoKeepingTheSelection) {
    MyDocument* document = keyDocumentShowing(sampleBike(), "log.cogbook");
    ZRSWServiceLogWindow* log = openLog(document);
    ASSERT_NE(log, nullptr);
    log->table()->setCurrentIndex(log->table()->model()->index(2, 0)); // "Puncture fixed"

    // A field edit: the row changes in place; the newest entry moves down.
    const ZRBicycleListPtr newest = nodeAt(document, {0, 0})->childAtIndex(1);
    Application::performAsOneEvent([&] { document->newDateForItem(localDay(2022, 1, 1), newest); });
    processPendingEvents();
    EXPECT_EQ(shown(log), (QStringList{"Waxed", "Puncture fixed", "Full service", "New tyre"}));
    EXPECT_EQ(log->table()->currentIndex().row(), 1);

    // An added entry, under the bike.
    perform(document, "addEntryForBike:");
    document->bikeTable()->abortEditing();
    processPendingEvents();
    EXPECT_EQ(log->table()->model()->rowCount(), 5);
    EXPECT_EQ(shown(log, ServiceLogModel::PartColumn).front(), QStringLiteral("log"));

    undo(document); // the addition
    EXPECT_EQ(shown(log), (QStringList{"Waxed", "Puncture fixed", "Full service", "New tyre"}));
    undo(document); // the date
    EXPECT_EQ(shown(log), (QStringList{"New tyre", "Waxed", "Puncture fixed", "Full service"}));
    EXPECT_EQ(log->table()->currentIndex().row(), 2);
    EXPECT_EQ(log->table()->currentIndex().siblingAtColumn(ServiceLogModel::DescriptionColumn).data(),
              QStringLiteral("Puncture fixed"));
    EXPECT_EQ(log->footer()->text(), QStringLiteral("4 entries \u00b7 total \u20ac50.50"));
}

TEST_F(ServiceLogWindowTest, NotesTypedInOneRunUpdateTheirRowOnlyAndTheFilterAndSortFollow) {
    MyDocument* document = keyDocumentShowing(sampleBike(), "log.cogbook");
    ZRSWServiceLogWindow* log = openLog(document);
    ASSERT_NE(log, nullptr);
    log->table()->sortByColumn(ServiceLogModel::NotesColumn, Qt::AscendingOrder);
    log->filterField()->setText("ab");
    int rebuilds = 0;
    QObject::connect(log->logModel(), &QAbstractItemModel::modelReset, log, [&rebuilds] { ++rebuilds; });
    QApplication::setActiveWindow(document->documentWindow());
    document->bikeTable()->selectRowByExtendingSelection(rowOf(document, nodeAt(document, {1})), false);
    typeAt(document->notesView(), "a", 100.0); // a new undo step
    processPendingEvents();
    EXPECT_TRUE(shown(log).isEmpty());
    typeAt(document->notesView(), "b", 100.5); // the same step
    processPendingEvents();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(shown(log), QStringList{"Full service"});
    EXPECT_EQ(log->footer()->text(), QStringLiteral("1 of 4 entries \u00b7 total \u20ac8.00 (bike: \u20ac50.50)"));
    log->filterField()->clear();
    EXPECT_EQ(shown(log).mid(0, 2), (QStringList{"Full service", "Puncture fixed"}));
    // Undo makes the rows again.
    undo(document);
    EXPECT_EQ(rebuilds, 2);
    EXPECT_EQ(shown(log, ServiceLogModel::NotesColumn).front(), QStringLiteral("Tube patched"));
}

TEST_F(ServiceLogWindowTest, CostsByYearFollowEditsAndUndoAndSayWhenThereAreNone) {
    MyDocument* document = keyDocumentShowing(sampleBike(), "costs.cogbook");
    perform(document, "showCostsByYear:");
    processPendingEvents();
    ZRSWCostsByYearWindow* costs = document->costsByYearWindow();
    ASSERT_NE(costs, nullptr);
    EXPECT_EQ(costs->windowTitle(), QStringLiteral("Costs by Year \u2014 costs"));
    const auto rows = [table = costs->table()] {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row)
            texts << QStringList{table->item(row, 0)->text(), table->item(row, 1)->text(), table->item(row, 2)->text()}.join(' ');
        return texts;
    };
    EXPECT_EQ(rows(), (QStringList{"2023 \u20ac8.00 1", "2024 \u20ac12.50 1", "2025 \u20ac30.00 1"}));
    EXPECT_EQ(costs->chart()->accessibleDescription(),
              QStringLiteral("2023: \u20ac8.00; 2024: \u20ac12.50; 2025: \u20ac30.00"));

    // The new tyre moves to 2024.
    const ZRBicycleListPtr newTyre = nodeAt(document, {0, 0})->childAtIndex(1);
    Application::performAsOneEvent([&] { document->newDateForItem(localDay(2024, 8, 1), newTyre); });
    processPendingEvents();
    EXPECT_EQ(rows(), (QStringList{"2023 \u20ac8.00 1", "2024 \u20ac42.50 2"}));
    undo(document);
    EXPECT_EQ(rows(), (QStringList{"2023 \u20ac8.00 1", "2024 \u20ac12.50 1", "2025 \u20ac30.00 1"}));
}

TEST_F(ServiceLogWindowTest, EachDocumentHasOneLogThatTakesItsUndoSaveAndCloseKeysAndEndsWithIt) {
    MyDocument* first = keyDocumentShowing(sampleBike(), "first.cogbook");
    MyDocument* second = keyDocumentShowing(part("Bike", {entry("Bike", "Only", localDay(2020, 5, 5))}), "second.cogbook");
    ZRSWServiceLogWindow* firstLog = openLog(first);
    ZRSWServiceLogWindow* secondLog = openLog(second);
    ASSERT_NE(firstLog, nullptr);
    ASSERT_NE(secondLog, nullptr);
    EXPECT_EQ(openLog(first), firstLog); // asked again: the same window, in front
    EXPECT_EQ(secondLog->windowTitle(), QStringLiteral("Service Log \u2014 second"));
    // Saved under another name: the title and the bike's own entries follow.
    alerts.savePath = defaults.filePath("renamed.cogbook");
    ASSERT_TRUE(second->saveDocumentAs());
    processPendingEvents();
    EXPECT_EQ(secondLog->windowTitle(), QStringLiteral("Service Log \u2014 renamed"));
    EXPECT_EQ(shown(secondLog, ServiceLogModel::PartColumn), QStringList{"renamed"});

    // Edits in both outlines, named as the outline names them; Undo in the
    // second log takes back the second's only, under the Edit menu's name.
    const auto describe = [](MyDocument* document, const ZRBicycleListPtr& item, const char* description) {
        QApplication::setActiveWindow(document->documentWindow());
        Application::performAsOneEvent([&] {
            document->newDescriptionForItem(description, item);
            document->undoManager().setActionName("Description Change");
        });
        processPendingEvents();
    };
    const ZRBicycleListPtr firstEntry = first->theBike()->childAtIndex(1);
    const ZRBicycleListPtr secondEntry = second->theBike()->childAtIndex(0);
    describe(first, firstEntry, "First changed");
    describe(second, secondEntry, "Second changed");
    QApplication::setActiveWindow(secondLog);
    validateMenu(&menu);
    EXPECT_EQ(menuItemTitle(undoItem), "Undo Description Change");
    press(secondLog, Qt::Key_Z);
    EXPECT_EQ(shown(secondLog), QStringList{"Only"});
    EXPECT_EQ(shown(firstLog).back(), QStringLiteral("First changed"));
    press(secondLog, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(secondEntry->description(), "Second changed");

    // Save goes to the document; Close closes the log alone.
    ASSERT_TRUE(first->isDocumentEdited());
    press(firstLog, Qt::Key_S);
    EXPECT_FALSE(first->isDocumentEdited());
    press(firstLog, Qt::Key_W);
    EXPECT_FALSE(firstLog->isVisible());
    EXPECT_TRUE(first->documentWindow()->isVisible());

    // The costs and the due windows take the same keys.
    perform(second, "showCostsByYear:");
    perform(second, "showServiceDue:");
    processPendingEvents();
    EXPECT_TRUE(second->costsByYearWindow()->isShowingEmptyState()); // "Only" has no cost
    for (QWidget* window : {static_cast<QWidget*>(second->costsByYearWindow()), static_cast<QWidget*>(second->serviceDueWindow())}) {
        SCOPED_TRACE(window->objectName().toStdString());
        describe(second, secondEntry, "Again");
        press(window, Qt::Key_Z);
        EXPECT_EQ(secondEntry->description(), "Second changed");
        press(window, Qt::Key_W);
        EXPECT_FALSE(window->isVisible());
    }

    const QPointer<ZRSWServiceLogWindow> gone = firstLog;
    first->updateChangeCount(Document::ChangeCleared);
    first->close();
    processPendingEvents();
    EXPECT_TRUE(gone.isNull());
    EXPECT_TRUE(secondLog->isVisible());
    EXPECT_TRUE(second->documentWindow()->isVisible());
}

} // namespace
} // namespace cogbook
