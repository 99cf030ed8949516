// A record whose file another program rewrites while its window is open.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

#include "document/document_fixture.h"
#include "document/document_support.h"
#include "foundation/undo_manager.h"
#include "platform/disk_change_bar.h"
#include "platform/outline_view.h"

namespace cogbook {
namespace {

using test_support::node;

class FileChangesTest : public test_support::DocumentTest {
protected:
    static bool eventually(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }
    static void writeRecord(const QString& path, const ZRBicycleListPtr& root) {
        writeFileAtomically(path.toStdString(), writeRecordFile(*root));
    }
};

TEST_F(FileChangesTest, AnOpenRecordFollowsItsFileButNeverUnderAnEditInProgress) {
    const QString path = defaults.filePath("ride.cogbook");
    MyDocument* document = documentShowing(node("Bike", true, {node("Chain", true)}), path);
    ASSERT_NE(document, nullptr);
    QApplication::setActiveWindow(document->documentWindow());

    writeRecord(path, node("Bike", true, {node("Saddle", true), node("Chain", true)}));
    ASSERT_TRUE(eventually([&] { return visibleRows(document) == std::vector<std::string>{"Saddle", "Chain"}; }));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(document->undoManager().canUndo());

    // A name being typed is a change not yet made: the file's new version
    // waits behind the bar instead of pulling the row from under the editor.
    OutlineView* view = document->bikeTable();
    view->editColumnRowWithEventSelect(view->columnWithIdentifier(QLatin1String(document_support::kPartNameColumn)), 0, nullptr, true);
    auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Seat");
    writeRecord(path, node("Bike", true, {node("Pedals", true)}));
    DiskChangeBar* bar = document->diskChangeBar();
    ASSERT_TRUE(eventually([&] { return bar->isVisibleTo(document->documentWindow()); }));
    EXPECT_EQ(view->currentEditor(), editor);
    EXPECT_EQ(visibleRows(document), (std::vector<std::string>{"Saddle", "Chain"}));

    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(visibleRows(document), (std::vector<std::string>{"Seat", "Chain"}));
    EXPECT_TRUE(document->isDocumentEdited());
    QTest::mouseClick(bar->reloadButton(), Qt::LeftButton);
    EXPECT_EQ(visibleRows(document), std::vector<std::string>{"Pedals"});
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(bar->isVisibleTo(document->documentWindow()));
    EXPECT_TRUE(alerts.messages.empty());
}

} // namespace
} // namespace cogbook
