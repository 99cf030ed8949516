// What the window tells besides its rows: tool tips, the status bar, the empty bike's hint, the keys.
#include <QHeaderView>
#include <QHelpEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolTip>

#include "document/document_support.h"
#include "document/outline_icons.h"
#include "document_fixture.h"
#include "platform/application.h"
#include "platform/responder.h"

namespace cogbook {
namespace {

using namespace test_support;
using document_support::kDescriptionColumn;
using document_support::kPartNameColumn;

class WindowAidsTest : public DocumentTest {
protected:
    // Bike: Front wheel (dynamo hub) (Hub (Serviced)), an entry for the bike with notes.
    MyDocument* showSample() {
        auto root = part("Bike", {part("Front wheel (dynamo hub)", {part("Hub", {entry("Hub", "Serviced")})}),
                                  entry("Bike", "Washed", 0, "Chain was dry\nOiled it")});
        MyDocument* document = keyDocumentShowing(root, "aids.cogbook");
        document->expandAll();
        processPendingEvents();
        return document;
    }
    // The tool tip the outline shows with the pointer X points into ITEM's
    // cell in COLUMN (from its right edge when X is negative).
    static QString tipAt(MyDocument* document, const ZRBicycleList* item, const char* column, int x) {
        OutlineView* view = document->bikeTable();
        const QRect cell = view->visualRect(
            view->indexForItem(item, view->tableColumnWithIdentifier(QLatin1String(column))->logicalIndex()));
        const QPoint point(x >= 0 ? cell.left() + x : cell.right() + x, cell.center().y());
        // None showing (hiding one through QToolTip takes a while).
        for (QWidget* shown : QApplication::topLevelWidgets())
            if (shown->inherits("QTipLabel")) shown->hide();
        QHelpEvent event(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
        QApplication::sendEvent(view->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    static void perform(MyDocument* document, const char* action) {
        DocumentTest::perform(document, action);
        processPendingEvents();
    }
    static QString status(const MyDocument* document) {
        return document->statusPathLabel()->text() + " | " + document->statusCountsLabel()->text();
    }
};

TEST_F(WindowAidsTest, IconsSayWhatTheyMeanAndCutShortTextShowsWhole) {
    MyDocument* document = showSample();
    const struct {
        std::vector<std::size_t> path;
        const char* column;
        QString tip;
    } icons[] = {
        {{0}, kPartNameColumn, "Part"},
        {{0, 0}, kPartNameColumn, "Subpart"},
        {{1}, kPartNameColumn, "Entry for the bike"},
        {{0, 0, 0}, kPartNameColumn, "Entry for this part"},
        {{1}, kDescriptionColumn, "Has notes: Chain was dry"},
        {{0, 0, 0}, kDescriptionColumn, ""}, // no notes, no marker
    };
    for (const auto& icon : icons) {
        const ZRBicycleList* item = document->theBike();
        for (const std::size_t index : icon.path) item = item->childAtIndex(index).get();
        EXPECT_EQ(tipAt(document, item, icon.column, 6), icon.tip) << icon.column;
    }

    // The Part column too narrow for the wheel's name, not for the hub's.
    OutlineView* view = document->bikeTable();
    view->header()->resizeSection(view->tableColumnWithIdentifier(kPartNameColumn)->logicalIndex(), 140);
    EXPECT_EQ(tipAt(document, nodeAt(document, {0}), kPartNameColumn, -4), "Front wheel (dynamo hub)");
    EXPECT_EQ(tipAt(document, nodeAt(document, {0, 0}), kPartNameColumn, -4), "");
    EXPECT_EQ(tipAt(document, nodeAt(document, {1}), kDescriptionColumn, -4), "") << "room for Washed";
}

TEST(NotesToolTip, ShowsTheFirstLineCutToAReadableLength) {
    EXPECT_EQ(notesToolTip("  Tubeless\r\nsealant added"), "Has notes: Tubeless");
    const QString cut = notesToolTip(std::string(50, 'x') + " " + std::string(100, 'y'));
    EXPECT_EQ(cut, "Has notes: " + QString(50, 'x') + QChar(0x2026)) << "at the word's end";
    EXPECT_EQ(notesToolTip(std::string(200, 'z')).size(), QString("Has notes: ").size() + 81);
}

TEST_F(WindowAidsTest, TheStatusBarFollowsTheSelectionEditsUndoAndRedo) {
    MyDocument* document = showSample();
    OutlineView* view = document->bikeTable();
    ASSERT_NE(document->documentWindow()->statusBar()->accessibleName(), "");
    EXPECT_EQ(status(document), "aids | 2 parts, 2 entries");

    ZRBicycleList* hub = nodeAt(document, {0, 0});
    view->selectRowByExtendingSelection(view->rowForItem(hub), false);
    processPendingEvents();
    EXPECT_EQ(status(document), "aids \u203a Front wheel (dynamo hub) \u203a Hub | 2 parts, 2 entries");
    Application::performAsOneEvent([&] { document->newPartNameForItem("Dynamo hub", hub->shared_from_this()); });
    processPendingEvents();
    EXPECT_EQ(status(document), "aids \u203a Front wheel (dynamo hub) \u203a Dynamo hub | 2 parts, 2 entries");

    // The wheel and all below it go, and come back.
    view->selectRowByExtendingSelection(0, false);
    perform(document, "delete:");
    EXPECT_EQ(status(document), "aids | 0 parts, 1 entry");
    perform(document, "undo:");
    EXPECT_EQ(document->statusCountsLabel()->text(), "2 parts, 2 entries");
    perform(document, "redo:");
    EXPECT_EQ(document->statusCountsLabel()->text(), "0 parts, 1 entry");

    view->selectRowIndexesByExtendingSelection({0}, false);
    perform(document, "addPart:");
    view->abortEditing();
    view->selectRowIndexesByExtendingSelection({0, 1}, false);
    processPendingEvents();
    EXPECT_EQ(status(document), "2 items selected | 1 part, 1 entry");
}

TEST_F(WindowAidsTest, AnEmptyBikeHintsAtAddPartWithItsKey) {
    // The program's menus, as they stand when the window opens.
    QMenu record(QStringLiteral("&Record"));
    makeMenuItem(&record, QStringLiteral("Add &Part"), "addPart:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    registerMenuForValidation(&record);
    MyDocument* document = documentShowing(part("Bike"), defaults.filePath("empty.cogbook"));
    ASSERT_NE(document, nullptr);
    OutlineView* view = document->bikeTable();
    ASSERT_NE(view->visiblePlaceholder(), nullptr);
    EXPECT_EQ(view->placeholderText(), "Add a part with Record > Add Part (Ctrl+Shift+P).");

    perform(document, "addPart:");
    view->abortEditing();
    EXPECT_EQ(view->visiblePlaceholder(), nullptr);
    perform(document, "undo:");
    EXPECT_NE(view->visiblePlaceholder(), nullptr);
}

TEST_F(WindowAidsTest, CommandsOnItemsGiveTheKeysBackToTheOutlineTextCommandsKeepThem) {
    MyDocument* second = newDocument();
    processPendingEvents();
    MyDocument* first = showSample();
    const auto focus = [first] { return first->documentWindow()->focusWidget(); };
    OutlineView* outline = first->bikeTable();
    outline->selectRowByExtendingSelection(outline->rowForItem(nodeAt(first, {1})), false);
    QPlainTextEdit* notes = first->notesView();
    notes->setFocus();
    notes->selectAll();
    perform(first, "copy:");
    EXPECT_EQ(focus(), notes) << "the notes' own text command";
    perform(first, "collapseAll:");
    EXPECT_EQ(focus(), outline);

    // An add opens its cell editor in the outline, and the keys stay there.
    notes->setFocus();
    perform(first, "addEntryForBike:");
    ASSERT_NE(outline->currentEditor(), nullptr);
    EXPECT_EQ(focus(), outline->currentEditor());
    outline->abortEditing();

    // A command in the other window leaves this one's keys where they are.
    notes->setFocus();
    QApplication::setActiveWindow(second->documentWindow());
    perform(second, "expandAll:");
    EXPECT_EQ(second->documentWindow()->focusWidget(), second->bikeTable());
    EXPECT_EQ(focus(), notes);
}

} // namespace
} // namespace cogbook
