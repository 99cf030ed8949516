// Every change belongs to the document whose tree it changes: whichever
// window is active when it is committed, however fast the typing, and a save
// that fails takes nothing of the record with it.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "document_fixture.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"

namespace cogbook {
namespace {

using test_support::typeAt;

class UndoOwnershipTest : public test_support::DocumentTest {
protected:
    MyDocument* showing(const char* file, const char* bike) {
        const ZRBicycleListPtr root = test_support::node(bike, true, {test_support::part("Chain", {test_support::entry("Waxed")}),
                                                                test_support::part("Brakes")});
        return documentShowing(root, defaults.filePath(QString::fromLatin1(file)));
    }
    static void activate(MyDocument* document) { QApplication::setActiveWindow(document->documentWindow()); }
    static ZRBicycleList* child(MyDocument* document, std::size_t index) {
        return document->theBike()->childAtIndex(index).get();
    }
};

TEST_F(UndoOwnershipTest, ACellEditEndedByActivatingAnotherWindowIsTheEditedDocumentsStep) {
    MyDocument* edited = showing("edited.cogbook", "edited");
    MyDocument* other = showing("other.cogbook", "other");
    ASSERT_TRUE(edited && other);
    activate(edited);
    OutlineView* view = edited->bikeTable();
    view->editColumnRowWithEventSelect(view->columnWithIdentifier(QStringLiteral("partName")),
                                       view->rowForItem(child(edited, 0)), nullptr, true);
    auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Chain and rings"));

    // The edit ends on focus-out, when the other window is already active.
    activate(other);
    ASSERT_EQ(view->currentEditor(), nullptr);
    EXPECT_EQ(child(edited, 0)->partName(), "Chain and rings");
    EXPECT_TRUE(edited->isDocumentEdited());
    EXPECT_EQ(edited->undoManager().undoActionName(), "Name Change");
    EXPECT_FALSE(other->isDocumentEdited());
    EXPECT_FALSE(other->undoManager().canUndo());

    // Undo from the other window's menu reaches the other document only;
    // the edited one undoes its own change.
    Application::performAsOneEvent([&] { other->performAction("undo:", nullptr); });
    EXPECT_EQ(child(edited, 0)->partName(), "Chain and rings");
    Application::performAsOneEvent([&] { edited->performAction("undo:", nullptr); });
    EXPECT_EQ(child(edited, 0)->partName(), "Chain");
    EXPECT_FALSE(edited->isDocumentEdited());
}

TEST_F(UndoOwnershipTest, NotesTypedIntoTwoItemsWithinASecondAreTwoSteps) {
    MyDocument* document = showing("notes.cogbook", "notes");
    ASSERT_NE(document, nullptr);
    OutlineView* view = document->bikeTable();
    QPlainTextEdit* notes = document->notesView();
    const double start = 5000.0;

    view->selectRowByExtendingSelection(view->rowForItem(child(document, 0)), false);
    typeAt(notes, QStringLiteral("oiled"), start);
    view->selectRowByExtendingSelection(view->rowForItem(child(document, 1)), false);
    typeAt(notes, QStringLiteral("pads"), start + 0.3);
    ASSERT_EQ(child(document, 0)->notes(), "oiled");
    ASSERT_EQ(child(document, 1)->notes(), "pads");

    ASSERT_EQ(document->undoManager().undoStepCount(), 2u);
    Application::performAsOneEvent([&] { document->performAction("undo:", nullptr); });
    EXPECT_EQ(child(document, 0)->notes(), "oiled");
    EXPECT_EQ(child(document, 1)->notes(), "");
    Application::performAsOneEvent([&] { document->performAction("undo:", nullptr); });
    EXPECT_EQ(child(document, 0)->notes(), "");
    EXPECT_FALSE(document->isDocumentEdited()) << "back where the file was, and the file holds the same";
    EXPECT_TRUE(recordBytes(document) == readWholeFile(document->fileName().toStdString()));
}

TEST_F(UndoOwnershipTest, ASaveThatFailsLeavesTheBikesNameAndTitle) {
    MyDocument* document = showing("kept.cogbook", "kept");
    ASSERT_NE(document, nullptr);
    Application::performAsOneEvent([&] { document->newPartNameForItem("Chain 11s", child(document, 0)->shared_from_this()); });
    // A folder where the new file would go: the write is refused.
    const QString blocked = defaults.filePath(QStringLiteral("blocked.cogbook"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    alerts.savePath = blocked;
    const QString title = document->documentWindow()->windowTitle();

    EXPECT_FALSE(document->saveDocumentAs());
    EXPECT_EQ(document->theBike()->partName(), "kept");
    EXPECT_EQ(document->documentWindow()->windowTitle(), title);
    EXPECT_TRUE(document->isDocumentEdited());
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_TRUE(alerts.messages.front().text.contains(QStringLiteral("blocked.cogbook")));
}

} // namespace
} // namespace cogbook
