// Windows set down where they can be seen, and a record's window coming back
// as it was left: its columns, and the rows expanded and selected.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>

#include "document_fixture.h"
#include "platform/window_frame.h"

namespace cogbook {
namespace {

using test_support::DocumentTest;
using test_support::entry;
using test_support::node;
using test_support::part;
using test_support::processPendingEvents;

int logicalIndexOf(const OutlineView* view, const char* identifier) {
    return view->tableColumnWithIdentifier(QLatin1String(identifier))->logicalIndex();
}

void closeWindowOf(MyDocument* document) {
    document->documentWindow()->close();
    processPendingEvents();
}

TEST_F(DocumentTest, NewWindowsCascadeFromTheLastOne) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint start = available.topLeft() + QPoint(10, 10);
    UserDefaults::standardUserDefaults().setObjectForKey(
        PlistValue(stringFromFrame(QRect(start, QSize(500, 300))).toStdString()), "MyDocumentWindow");
    std::vector<QPoint> corners;
    for (int i = 0; i < 3; ++i) {
        MyDocument* document = newDocument();
        ASSERT_NE(document, nullptr);
        corners.push_back(document->documentWindow()->pos());
        EXPECT_TRUE(available.contains(document->documentWindow()->frameGeometry())) << i;
    }
    EXPECT_EQ(corners[0], start);
    const QPoint step = corners[1] - corners[0];
    EXPECT_GT(step.x(), 0);
    EXPECT_EQ(step.y(), step.x());
    EXPECT_EQ(corners[2] - corners[1], step);
}

TEST_F(DocumentTest, AReopenedFileShowsTheColumnsAndRowsAsLeft) {
    const QString path = defaults.filePath("wheels.cogbook");
    MyDocument* document = documentShowing(
        node("Bike", true, {part("Frame"), part("Wheels", {part("Front", {entry("Hub")}), part("Rear", {entry("Tyre")})})}),
        path);
    ASSERT_NE(document, nullptr);
    OutlineView* view = document->bikeTable();
    const int partColumn = logicalIndexOf(view, "partName");
    const int dateColumn = logicalIndexOf(view, "date");
    view->expandItem(view->itemAtRow(1));
    view->expandItem(view->itemAtRow(3));
    view->selectRowByExtendingSelection(4, false);
    view->header()->resizeSection(partColumn, 150);
    view->header()->moveSection(view->header()->visualIndex(dateColumn), 2);
    const std::vector<std::string> rows{"Frame", "Wheels", "  Front", "  Rear", "    Tyre"};
    ASSERT_EQ(visibleRows(document), rows);
    closeWindowOf(document);

    document = open(path);
    ASSERT_NE(document, nullptr);
    view = document->bikeTable();
    EXPECT_EQ(visibleRows(document), rows);
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{4});
    EXPECT_EQ(view->header()->sectionSize(partColumn), 150);
    EXPECT_EQ(view->header()->visualIndex(dateColumn), 2);
    closeWindowOf(document);

    // Changed by another program since: a part came before the wheels and the
    // tyre became a tube. What still fits comes back; the rest is let go.
    writeFileAtomically(path.toStdString(),
                        writeRecordFile(*node("Bike", true, {part("Frame"), part("Bell"),
                                                              part("Wheels", {part("Front", {entry("Hub")}),
                                                                              part("Rear", {entry("Tube")})})})));
    document = open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(visibleRows(document),
              (std::vector<std::string>{"Frame", "Bell", "Wheels", "  Front", "  Rear", "    Tube"}));
    EXPECT_TRUE(document->bikeTable()->selectedRowIndexes().empty());

    // Read again (a revert, or the file followed on disk): the rows stay
    // open and selected as they were.
    document->bikeTable()->selectRowByExtendingSelection(4, false);
    ASSERT_TRUE(document->revertToSavedFromFileOfType(path, document->fileType()));
    EXPECT_EQ(visibleRows(document),
              (std::vector<std::string>{"Frame", "Bell", "Wheels", "  Front", "  Rear", "    Tube"}));
    EXPECT_EQ(document->bikeTable()->selectedRowIndexes(), std::vector<long>{4});
}

TEST_F(DocumentTest, ThePartColumnFitsTheNamesShownOnFirstOpen) {
    // Kept columns that are not a header's, and a damaged state for the
    // file, count as nothing kept.
    UserDefaults& store = UserDefaults::standardUserDefaults();
    store.setObjectForKey(PlistValue(PlistData{0, 1, 2, 3}), ZRSWOutlineColumns);
    const QString path = defaults.filePath("names.cogbook");
    store.setObjectForKey(
        PlistValue(PlistArray{PlistValue(PlistDictionary{{"File", PlistValue(path.toStdString())},
                                                         {"Value", PlistValue(PlistArray{PlistValue(7)})}})}),
        ZRSWOutlineStatesByFile);

    const std::string longName = "Front wheel (dynamo hub, 32 spokes)";
    const std::string endlessName(400, 'w');
    for (const std::string& name : {longName, endlessName}) {
        MyDocument* document = documentShowing(node("Bike", true, {part("Frame"), part(name)}), path);
        ASSERT_NE(document, nullptr);
        OutlineView* view = document->bikeTable();
        const int width = view->header()->sectionSize(logicalIndexOf(view, "partName"));
        const int half = view->viewport()->width() / 2;
        if (name == longName) {
            EXPECT_GE(width, view->indentation() + view->fontMetrics().horizontalAdvance(QString::fromStdString(name)));
            EXPECT_LE(width, half);
        } else {
            EXPECT_EQ(width, half);
        }
        // The description takes the rest.
        EXPECT_EQ(view->header()->length(), view->viewport()->width());
        closeWindowOf(document);
        store.removeObjectForKey(ZRSWOutlineColumns);
    }
}

} // namespace
} // namespace cogbook
