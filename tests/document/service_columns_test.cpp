// The service columns and settings: costs, readings, intervals, unit and currency, due, columns shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include "document/document_fixture.h"
#include "document/service_columns.h"
#include "foundation/undo_manager.h"
#include "foundation/user_defaults.h"
#include "platform/application.h"

namespace cogbook {
namespace {

using test_support::daysAgo;
using test_support::entry;
using test_support::part;
using test_support::processPendingEvents;

class ServiceColumnsTest : public test_support::DocumentTest {
protected:
    test_support::ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};

    // Chain (every 30 days, waxed 10 days ago for 12.50) and Brakes with
    // Pads (every 60 days, never serviced), in the key window, expanded,
    // with every service column shown.
    MyDocument* showing() {
        auto waxed = entry("Chain", "Waxed", daysAgo(10));
        waxed->setCost(12.5);
        auto chain = part("Chain", {waxed});
        chain->setServiceIntervalDays(30);
        auto pads = part("Pads");
        pads->setServiceIntervalDays(60);
        auto root = part("bike", {chain, part("Brakes", {pads})});
        root->setCurrency("EUR");
        MyDocument* document = keyDocumentShowing(root, "service.cogbook");
        if (document == nullptr) return nullptr;
        document->expandAll();
        for (const QString& column : serviceColumnIdentifiers()) document->optionalColumns()->setColumnShown(column, true);
        processPendingEvents();
        return document;
    }
    static ZRBicycleList* chain(const MyDocument* document) { return nodeAt(document, {0}); }
    static ZRBicycleList* waxed(const MyDocument* document) { return nodeAt(document, {0, 0}); }
    static ZRBicycleList* pads(const MyDocument* document) { return nodeAt(document, {1, 0}); }

    static QString cellText(const MyDocument* document, const ZRBicycleList* item, const char* column) {
        OutlineView* view = document->bikeTable();
        const int logical = view->tableColumnWithIdentifier(QLatin1String(column))->logicalIndex();
        return view->indexForItem(item, logical).data().toString();
    }
};

TEST_F(ServiceColumnsTest, ATypedCostOrReadingIsStoredAsOneNamedStepThatUndoRestores) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const struct {
        const char* column;
        QLocale locale;
        const char* typed;
        std::optional<double> stored;
        const char* step;
    } edits[] = {
        {kCostColumn, us, "19.99", 19.99, "Cost Change"},
        {kCostColumn, german, "19,99", 19.99, "Cost Change"},
        // The plain form reads in any locale.
        {kCostColumn, german, "7.5", 7.5, "Cost Change"},
        {kCostColumn, us, "", std::nullopt, "Cost Change"},
        {kOdometerColumn, us, "1,234.5", 1234.5, "Odometer Change"},
        {kOdometerColumn, german, "1.234,5", 1234.5, "Odometer Change"},
        {kOdometerColumn, us, "0", 0.0, "Odometer Change"},
    };
    MyDocument* document = showing();
    ASSERT_NE(document, nullptr);
    for (const auto& edit : edits) {
        SCOPED_TRACE(std::string(edit.column) + " " + edit.typed);
        test_support::ScopedLocale typing(edit.locale);
        const bool cost = std::string_view(edit.column) == kCostColumn;
        const auto value = [&] { return cost ? waxed(document)->cost() : waxed(document)->odometer(); };
        const std::optional<double> before = value();
        QLineEdit* editor = editCell(document, waxed(document), edit.column);
        ASSERT_NE(editor, nullptr);
        typeIntoCell(editor, QString::fromUtf8(edit.typed));
        EXPECT_EQ(document->bikeTable()->currentEditor(), nullptr);
        EXPECT_EQ(value(), edit.stored);
        EXPECT_EQ(document->undoManager().undoActionName(), edit.step);
        undo(document);
        EXPECT_EQ(value(), before);
        EXPECT_FALSE(document->undoManager().canUndo());
    }
}

TEST_F(ServiceColumnsTest, TextThatIsNoAmountIsRefusedAndChangesNothing) {
    MyDocument* document = showing();
    ASSERT_NE(document, nullptr);
    const std::vector<std::uint8_t> before = recordBytes(document);
    for (const char* column : {kCostColumn, kOdometerColumn}) {
        for (const char* typed : {"abc", "-3", "12.5.1", "inf"}) {
            SCOPED_TRACE(std::string(column) + " " + typed);
            QLineEdit* editor = editCell(document, waxed(document), column);
            ASSERT_NE(editor, nullptr);
            typeIntoCell(editor, QString::fromLatin1(typed));
            // The edit stays open, saying why, as with a day that is no day.
            EXPECT_EQ(document->bikeTable()->currentEditor(), editor);
            EXPECT_FALSE(editor->toolTip().isEmpty());
            document->bikeTable()->abortEditing();
        }
    }
    // A part has no cost of its own to type.
    EXPECT_EQ(editCell(document, chain(document), kCostColumn), nullptr);
    EXPECT_EQ(recordBytes(document), before);
    EXPECT_FALSE(document->undoManager().canUndo());
}

TEST_F(ServiceColumnsTest, TheIntervalSheetRecordsBothValuesAsOneStepAndCancelNothing) {
    MyDocument* document = showing();
    ASSERT_NE(document, nullptr);
    OutlineView* view = document->bikeTable();
    const auto open = [&](const ZRBicycleList* item) {
        view->selectRowByExtendingSelection(rowOf(document, item), false);
        perform(document, "showServiceInterval:");
        return document->serviceIntervalSheet();
    };
    const auto finish = [&](ZRSWServiceIntervalSheet* sheet, const char* days, const char* distance, bool okay) {
        sheet->daysField()->setText(QLatin1String(days));
        sheet->distanceField()->setText(QLatin1String(distance));
        Application::performAsOneEvent([&] { (okay ? sheet->okayButton() : sheet->cancelButton())->click(); });
        processPendingEvents();
    };

    // Only a part has intervals.
    view->selectRowByExtendingSelection(rowOf(document, waxed(document)), false);
    perform(document, "showServiceInterval:");
    EXPECT_EQ(document->serviceIntervalSheet(), nullptr);

    ZRSWServiceIntervalSheet* sheet = open(chain(document));
    ASSERT_TRUE(sheet != nullptr && sheet->isShowing());
    EXPECT_EQ(sheet->daysField()->text(), "30");
    // Text that is no interval keeps the sheet open and the part as it was.
    for (const auto& [days, distance] : {std::pair{"0", ""}, std::pair{"2.5", ""}, std::pair{"", "-1"}}) {
        finish(sheet, days, distance, true);
        EXPECT_TRUE(sheet->isShowing());
        EXPECT_FALSE(sheet->problemLabel()->text().isEmpty());
    }
    finish(sheet, "", "3,000", true);
    EXPECT_FALSE(sheet->isShowing());
    EXPECT_EQ(chain(document)->serviceIntervalDays(), std::nullopt);
    EXPECT_EQ(chain(document)->serviceIntervalDistance(), 3000.0);
    EXPECT_EQ(document->undoManager().undoActionName(), "Interval Change");
    undo(document);
    EXPECT_EQ(chain(document)->serviceIntervalDays(), 30);
    EXPECT_EQ(chain(document)->serviceIntervalDistance(), std::nullopt);
    EXPECT_FALSE(document->undoManager().canUndo());

    finish(open(chain(document)), "7", "100", false);
    EXPECT_EQ(chain(document)->serviceIntervalDays(), 30);
    EXPECT_FALSE(document->undoManager().canUndo());
}

TEST_F(ServiceColumnsTest, UnitAndCurrencyAreStepsOfTheirOwnAndABadCodeIsRefused) {
    MyDocument* document = showing();
    ASSERT_NE(document, nullptr);
    perform(document, "showBikeDetails:");
    ZRSWBikeDetailsSheet* sheet = document->bikeDetailsSheet();
    ASSERT_TRUE(sheet != nullptr && sheet->isShowing());
    EXPECT_EQ(sheet->currencyField()->currentText(), "EUR");
    const auto okay = [&] {
        Application::performAsOneEvent([&] { sheet->okayButton()->click(); });
        processPendingEvents();
    };
    sheet->currencyField()->setEditText(QStringLiteral("EU"));
    okay();
    EXPECT_TRUE(sheet->isShowing());
    EXPECT_EQ(document->theBike()->currency(), "EUR");

    sheet->unitField()->setCurrentIndex(sheet->unitField()->findData(QStringLiteral("mi")));
    sheet->currencyField()->setEditText(QStringLiteral("chf"));
    okay();
    EXPECT_FALSE(sheet->isShowing());
    EXPECT_EQ(document->theBike()->distanceUnit(), DistanceUnit::miles);
    EXPECT_EQ(document->theBike()->currency(), "CHF");
    EXPECT_EQ(document->undoManager().undoActionName(), "Currency Change");
    undo(document);
    EXPECT_EQ(document->theBike()->currency(), "EUR");
    EXPECT_EQ(document->undoManager().undoActionName(), "Unit Change");
    undo(document);
    EXPECT_EQ(document->theBike()->distanceUnit(), std::nullopt);
    EXPECT_FALSE(document->undoManager().canUndo());
}

TEST_F(ServiceColumnsTest, TheDueColumnFollowsFilingAndUndo) {
    MyDocument* document = showing();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(cellText(document, chain(document), kDueColumn), "in 20 days");
    EXPECT_EQ(cellText(document, waxed(document), kDueColumn), "");
    const ZRBicycleList* brakes = nodeAt(document, {1});
    // Brakes has no interval of its own; the marker says what is below.
    EXPECT_EQ(cellText(document, brakes, kDueColumn), "");
    EXPECT_TRUE(document->serviceDue().hasDueBelow(*brakes));
    EXPECT_EQ(document->serviceDue().find(*pads(document))->state, DueState::due);

    document->bikeTable()->selectRowByExtendingSelection(rowOf(document, pads(document)), false);
    perform(document, "addEntryForPart:");
    document->bikeTable()->abortEditing();
    processPendingEvents();
    EXPECT_EQ(cellText(document, pads(document), kDueColumn), "in 60 days");
    EXPECT_FALSE(document->serviceDue().hasDueBelow(*brakes));

    undo(document);
    processPendingEvents();
    EXPECT_EQ(document->serviceDue().find(*pads(document))->state, DueState::due);
    EXPECT_EQ(cellText(document, pads(document), kDueColumn),
              QString::fromStdString(document->serviceDue().find(*pads(document))->text));
}

TEST_F(ServiceColumnsTest, TheColumnsShownCarryOverToANewWindowAndOldWidthsStillRestore) {
    // Widths kept before the service columns existed: three columns.
    QStandardItemModel threeColumns(1, 3);
    QTreeView before;
    before.setModel(&threeColumns);
    before.header()->resizeSection(1, 333);
    const QByteArray state = before.header()->saveState();
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(PlistData(state.begin(), state.end())),
                                                         ZRSWOutlineColumns);

    MyDocument* first = newKeyDocument();
    ASSERT_NE(first, nullptr);
    OutlineView* view = first->bikeTable();
    EXPECT_EQ(view->header()->sectionSize(view->tableColumnWithIdentifier(QStringLiteral("description"))->logicalIndex()),
              333);
    for (const QString& column : serviceColumnIdentifiers()) EXPECT_FALSE(first->optionalColumns()->isColumnShown(column));

    perform(first, "toggleDueColumn:");
    EXPECT_TRUE(first->optionalColumns()->isColumnShown(QLatin1String(kDueColumn)));
    // The header's menu checks the columns shown, and shows and hides them too.
    QMenu menu;
    first->optionalColumns()->addItemsToMenu(&menu);
    emit menu.aboutToShow();
    QStringList checked;
    for (const QAction* item : menu.actions()) {
        if (item->isChecked()) checked << item->text();
    }
    EXPECT_EQ(checked, QStringList{QStringLiteral("Due")});
    menu.actions().value(0)->trigger();
    EXPECT_TRUE(first->optionalColumns()->isColumnShown(QLatin1String(kCostColumn)));
    test_support::closeAllDocuments(controller);

    MyDocument* second = newKeyDocument();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->optionalColumns()->isColumnShown(QLatin1String(kDueColumn)));
    EXPECT_TRUE(second->optionalColumns()->isColumnShown(QLatin1String(kCostColumn)));
    EXPECT_FALSE(second->optionalColumns()->isColumnShown(QLatin1String(kOdometerColumn)));
    EXPECT_EQ(second->bikeTable()->header()->sectionSize(
                  second->bikeTable()->tableColumnWithIdentifier(QStringLiteral("description"))->logicalIndex()),
              333);
}

TEST_F(ServiceColumnsTest, TheStatusBarCountsAnEntryOnceWhenItsPartIsSelectedToo) {
    MyDocument* document = showing();
    ASSERT_NE(document, nullptr);
    waxed(document)->setCost(10.0);
    auto extra = entry("Pads", "Replaced", daysAgo(1));
    extra->setCost(25.0);
    Application::performAsOneEvent([&] { document->insertChildForParentAtIndex(extra, pads(document)->shared_from_this(), 0); });
    document->expandAll();
    processPendingEvents();
    OutlineView* view = document->bikeTable();
    const auto costShown = [&](std::vector<const ZRBicycleList*> items) {
        view->deselectAll();
        for (const ZRBicycleList* item : items) view->selectRowByExtendingSelection(rowOf(document, item), true);
        processPendingEvents();
        return document->statusCostLabel()->isVisible() ? document->statusCostLabel()->text() : QString();
    };
    EXPECT_EQ(costShown({}), "Cost: €35.00");
    EXPECT_EQ(costShown({chain(document), waxed(document)}), "Cost: €10.00");
    EXPECT_EQ(costShown({nodeAt(document, {1}), nodeAt(document, {1, 0, 0}), waxed(document)}), "Cost: €35.00");

    // A record without any cost shows none.
    undo(document);
    waxed(document)->setCost(std::nullopt);
    document->noteRecordChanged();
    EXPECT_EQ(costShown({chain(document)}), "");
}

} // namespace
} // namespace cogbook
