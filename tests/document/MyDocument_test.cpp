// The document in real windows: templates, rows and icons, save, open, revert, bad files, selection.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>

#include <span>

#include "document/ImageAndTextCell.h"
#include "document/MyDocument.h"
#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/exceptions.h"
#include "foundation/file_io.h"
#include "foundation/notification_center.h"
#include "model/record_file.h"
#include "platform/document_controller.h"
#include "document/document_fixture.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::DocumentTest;
using test_support::node;
using test_support::processPendingEvents;

TEST_F(DocumentTest, NewDocumentShowsTheTemplatesParts) {
    MyDocument* document = newDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->displayName(), "Untitled");
    EXPECT_EQ(document->theBike()->partName(), "Bike");
    const auto rows = visibleRows(document);
    ASSERT_EQ(rows.size(), 11u); // the template's top level, nothing expanded
    EXPECT_EQ(rows.front(), "Frame");
    EXPECT_EQ(rows.back(), "Pedals");
    // The window draws, every cell through the document, without failing.
    EXPECT_FALSE(document->documentWindow()->grab().toImage().isNull());
    EXPECT_TRUE(alerts.messages.empty());
}

TEST_F(DocumentTest, KindAndNotesIconsFollowTheItem) {
    auto root = node("Bike", true, {node("Chain", true, {node("Chain", false), node("Link", true)}), node("Bike", false)});
    MyDocument* document = documentShowing(root, defaults.filePath("icons.cogbook"));
    ASSERT_NE(document, nullptr);
    OutlineView* view = document->bikeTable();
    view->expandItem(view->itemAtRow(0));
    ImageAndTextCell cell;
    const TableColumn* name = view->tableColumnWithIdentifier("partName");
    const TableColumn* description = view->tableColumnWithIdentifier("description");
    auto iconOf = [&](long row, const TableColumn* column) -> QString {
        document->outlineViewWillDisplayCellForTableColumnItem(view, &cell, *column, view->itemAtRow(row));
        return cell.image() ? cell.image()->name() : QString();
    };
    // Rows: Chain, its entry, Link, the bike's entry.
    EXPECT_EQ((QStringList{iconOf(0, name), iconOf(1, name), iconOf(2, name), iconOf(3, name)}),
              (QStringList{"BikePartIconSmall", "PencilChain16", "Subpart16", "Hand16"}));

    // The notes marker comes and goes with the notes.
    auto* entry = static_cast<ZRBicycleList*>(view->itemAtRow(3));
    EXPECT_EQ(iconOf(3, description), "");
    entry->setNotes("Bell fitted");
    EXPECT_EQ(iconOf(3, description), "Notes16");
    entry->setNotes("");
    EXPECT_EQ(iconOf(3, description), "");

    // The root never shows a cell.
    EXPECT_THROW(document->outlineViewWillDisplayCellForTableColumnItem(view, &cell, *name, nullptr),
                 InternalInconsistencyException);
    EXPECT_THROW(document->outlineViewChildOfItem(view, 2, nullptr), InternalInconsistencyException);
    EXPECT_THROW(document->outlineViewChildOfItem(view, -1, nullptr), InternalInconsistencyException);
}

TEST_F(DocumentTest, SavedClosedAndOpenedAgainShowsTheSameTreeAndAFailedSaveChangesNothing) {
    MyDocument* document = newDocument();
    ASSERT_NE(document, nullptr);
    auto* frame = static_cast<ZRBicycleList*>(document->bikeTable()->itemAtRow(0));
    auto entry = node("Frame", false);
    entry->setDescription("Inspected after a fall");
    entry->setNotes("No cracks");
    frame->addChildPartOrEntry(entry);
    document->updateChangeCount(Document::ChangeDone);

    // A folder where the new file would go: the write is refused, and the
    // bike keeps its name, the window its title.
    const QString blocked = defaults.filePath(QStringLiteral("blocked.cogbook"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    alerts.savePath = blocked;
    const QString title = document->documentWindow()->windowTitle();
    EXPECT_FALSE(document->saveDocumentAs());
    EXPECT_EQ(document->theBike()->partName(), "Bike");
    EXPECT_EQ(document->documentWindow()->windowTitle(), title);
    EXPECT_TRUE(document->isDocumentEdited());
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_TRUE(alerts.messages.front().text.contains(QStringLiteral("blocked.cogbook")));
    alerts.messages.clear();

    const QString path = defaults.filePath("my.trek.cogbook");
    alerts.savePath = path;
    ASSERT_TRUE(document->saveDocumentAs());
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(document->displayName(), "my.trek.cogbook");
    // Only the final extension goes from the name given to the bike.
    EXPECT_EQ(document->theBike()->partName(), "my.trek");
    const auto saved = recordBytes(document);

    document->close();
    processPendingEvents();
    EXPECT_TRUE(controller.documents().empty());

    MyDocument* reopened = open(path);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(recordBytes(reopened), saved);
    EXPECT_EQ(reopened->displayName(), "my.trek.cogbook");
    EXPECT_TRUE(alerts.messages.empty());

    // Opening it again brings the open window forward instead.
    MyDocument* untitled = newDocument();
    ASSERT_NE(untitled, nullptr);
    EXPECT_EQ(open(path), reopened);
    EXPECT_EQ(controller.documents().size(), 2u);
    EXPECT_EQ(controller.recentDocumentPaths().value(0), QFileInfo(path).absoluteFilePath());
}

TEST_F(DocumentTest, RevertBringsBackTheSavedTree) {
    MyDocument* document = documentShowing(node("Bike", true, {node("Frame", true), node("Fork", true)}),
                                           defaults.filePath("revert.cogbook"));
    ASSERT_NE(document, nullptr);
    const auto saved = recordBytes(document);
    ZRBicycleList* fork = static_cast<ZRBicycleList*>(document->bikeTable()->itemAtRow(1));
    document->theBike()->removeChild(*fork);
    document->bikeTable()->reloadData();
    document->updateChangeCount(Document::ChangeDone);
    EXPECT_EQ(document->bikeTable()->numberOfRows(), 1);

    alerts.confirmRevert = false;
    EXPECT_FALSE(document->revertDocumentToSaved());
    EXPECT_EQ(document->bikeTable()->numberOfRows(), 1);

    alerts.confirmRevert = true;
    ASSERT_TRUE(document->revertDocumentToSaved());
    EXPECT_EQ(recordBytes(document), saved);
    EXPECT_EQ(visibleRows(document), (std::vector<std::string>{"Frame", "Fork"}));
    EXPECT_FALSE(document->isDocumentEdited());

    // A file damaged since it was opened is refused, and the document stays.
    writeFileAtomically(document->fileName().toStdString(), {'b', 'p', 'l', 'i', 's', 't'});
    document->theBike()->setPartName("Edited");
    document->updateChangeCount(Document::ChangeDone);
    EXPECT_FALSE(document->revertDocumentToSaved());
    EXPECT_EQ(document->theBike()->partName(), "Edited");
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_TRUE(alerts.messages[0].text.contains("revert.cogbook"));
}

TEST_F(DocumentTest, DamagedOrForeignFilesAreRefusedAndLeaveNoWindow) {
    const QString damaged = defaults.filePath("damaged.cogbook");
    auto bytes = writeRecordFile(*node("Bike", true, {node("Frame", true)}));
    bytes.resize(bytes.size() / 2);
    writeFileAtomically(damaged.toStdString(), bytes);
    const QString foreign = defaults.filePath("notes.cogbook");
    writeFileAtomically(foreign.toStdString(), {'h', 'e', 'l', 'l', 'o'});
    const QString missing = defaults.filePath("missing.cogbook");

    const auto windowsBefore = QApplication::topLevelWidgets().size();
    for (const QString& path : {damaged, foreign, missing, defaults.filePath("")}) {
        alerts.messages.clear();
        EXPECT_EQ(open(path), nullptr) << path.toStdString();
        ASSERT_EQ(alerts.messages.size(), 1u);
        // The message names the file and says what is wrong.
        EXPECT_TRUE(alerts.messages[0].text.contains(QFileInfo(path).fileName()));
        EXPECT_FALSE(alerts.messages[0].detail.isEmpty());
    }
    processPendingEvents();
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
}

TEST_F(DocumentTest, MissingTemplateIsRefusedWithoutAWindow) {
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(1), ZRSWPreferredBike);
    EXPECT_THROW(MyDocument(), InternalInconsistencyException);
    EXPECT_EQ(controller.newDocument(), nullptr);
    EXPECT_TRUE(controller.documents().empty());
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_EQ(alerts.messages[0].detail, "missing template");

    // The empty bike: no children, expandable.
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(std::int64_t{2147483647}), ZRSWPreferredBike);
    MyDocument empty;
    EXPECT_EQ(empty.theBike()->numberOfChildren(), 0u);
    EXPECT_TRUE(empty.theBike()->expandable());
}

class SelectionTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        // Bike > Drivetrain > Rear derailleur > Jockey wheel, and siblings
        // with subtrees of their own that must stay collapsed.
        jockey = node("Jockey wheel", true, {node("Jockey wheel", false)});
        auto derailleur = node("Rear derailleur", true, {node("Hanger", true), jockey});
        auto drivetrain = node("Drivetrain", true, {node("Chain", true, {node("Chain", false)}), derailleur});
        auto wheels = node("Wheels", true, {node("Hub", true, {node("Hub", false)})});
        auto root = node("Bike", true, {wheels, drivetrain, node("Bike", false)});
        document = documentShowing(root, defaults.filePath("selection.cogbook"));
        ASSERT_NE(document, nullptr);
        jockeyInDocument = document->theBike()->childAtIndex(1)->childAtIndex(1)->childAtIndex(1).get();
    }
    ZRBicycleListPtr jockey;
    ZRBicycleList* jockeyInDocument = nullptr;
    MyDocument* document = nullptr;
};

TEST_F(SelectionTest, FocusExpandsJustTheAncestorsAndSelectsTheRow) {
    OutlineView* view = document->bikeTable();
    document->focusOnItemByExtendingSelection(jockeyInDocument, false);
    EXPECT_EQ(visibleRows(document), (std::vector<std::string>{"Wheels", "Drivetrain", "  Chain",
                                                               "  Rear derailleur", "    Hanger",
                                                               "    Jockey wheel", "Bike"}));
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{5});
    EXPECT_FALSE(view->isItemExpanded(jockeyInDocument));

    // Focusing elsewhere replaces the selection; nothing at all changes nothing.
    document->focusOnItemByExtendingSelection(document->theBike()->childAtIndex(2).get(), false);
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{6});
    document->focusOnItemByExtendingSelection(nullptr, false);
    document->focusOnItemByExtendingSelection(jockey.get(), false); // not this document's
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{6});

    // The notes pane follows the one selected row.
    document->theBike()->childAtIndex(0)->setNotes("Bell");
    document->focusOnItemByExtendingSelection(document->theBike()->childAtIndex(0).get(), false);
    EXPECT_EQ(document->notesView()->toPlainText(), "Bell");
    view->selectRowByExtendingSelection(1, true);
    EXPECT_EQ(document->notesView()->toPlainText(), "");
}

TEST_F(SelectionTest, ExpandAllAndCollapseAll) {
    document->expandAll();
    EXPECT_EQ(visibleRows(document),
              (std::vector<std::string>{"Wheels", "  Hub", "    Hub", "Drivetrain", "  Chain", "    Chain",
                                        "  Rear derailleur", "    Hanger", "    Jockey wheel", "      Jockey wheel",
                                        "Bike"}));
    document->collapseAll();
    EXPECT_EQ(visibleRows(document), (std::vector<std::string>{"Wheels", "Drivetrain", "Bike"}));
    // Collapsed with all descendants: expanding one level shows its children closed.
    document->bikeTable()->expandItem(document->bikeTable()->itemAtRow(1));
    EXPECT_EQ(visibleRows(document).size(), 5u);
}

TEST_F(SelectionTest, AddItemsAreTitledAfterTheOneSelectedRow) {
    QMenu menu;
    QAction* subpart = makeMenuItem(&menu, "Add Subpart", "addSubpart:", {}, kAddSubpartMenuItemTag);
    QAction* entry = makeMenuItem(&menu, "Add Entry to Subpart", "addEntryForPart:", {}, kAddEntryForPartMenuItemTag);
    OutlineView* view = document->bikeTable();
    // Both enabled or both not, and their titles.
    auto state = [&] {
        const bool subpartOn = document->validateMenuItem(subpart);
        EXPECT_EQ(document->validateMenuItem(entry), subpartOn);
        return std::make_tuple(subpartOn, menuItemTitle(subpart), menuItemTitle(entry));
    };
    const auto none = std::make_tuple(false, QString("Add Subpart"), QString("Add Entry to Subpart"));
    EXPECT_EQ(state(), none);
    view->selectRowByExtendingSelection(1, false);
    EXPECT_EQ(state(), std::make_tuple(true, QString("Add Subpart to Drivetrain"), QString("Add Entry for Drivetrain")));
    // An entry names the part it is filed under, here the bike, with an
    // ampersand as typed.
    document->theBike()->childAtIndex(2)->setPartName("Frame & fork");
    view->selectRowByExtendingSelection(2, false);
    EXPECT_EQ(std::get<2>(state()), "Add Entry for Frame & fork");
    view->selectRowByExtendingSelection(0, true);
    EXPECT_EQ(state(), none);
}

TEST_F(DocumentTest, NotificationsMarkTheDocumentsLife) {
    std::vector<std::string> seen;
    const void* documentSeen = nullptr;
    int observer = 0;
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(&observer, "", nullptr, [&](const Notification& notification) {
        if (notification.name.starts_with("ZRSW Bike document")) {
            seen.emplace_back(notification.name);
            documentSeen = notification.object;
        }
    });
    MyDocument* document = newDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(documentSeen, document);
    document->close();
    processPendingEvents();
    center.removeObserver(&observer);
    EXPECT_EQ(seen, (std::vector<std::string>{"ZRSW Bike document did load notification",
                                              "ZRSW Bike document will dealloc notification"}));
}

} // namespace
} // namespace cogbook
