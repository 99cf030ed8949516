// The bike's own details: the line above the outline that shows them, and
// the sheet that edits the bike's description and notes with undo.
#include <QTest>

#include "document/document_fixture.h"
#include "foundation/undo_manager.h"

namespace cogbook {
namespace {

using test_support::part;
using test_support::processPendingEvents;

class BikeDetailsTest : public test_support::DocumentTest {
protected:
    // A saved record of a described bike, its window in front.
    MyDocument* openDescribedBike() {
        auto root = part("Old name", {part("Frame")});
        root->setDescription("Steel tourer");
        root->setNotes("Frame 56 cm");
        return keyDocumentShowing(root, "tourer.cogbook");
    }
    // The sheet's fields set as the user leaves them, and the sheet ended by BUTTON.
    static void finishSheet(MyDocument* document, const QString& description, const QString& notes, bool okay) {
        ZRSWBikeDetailsSheet* sheet = document->bikeDetailsSheet();
        ASSERT_TRUE(sheet != nullptr && sheet->isShowing());
        sheet->descriptionField()->setText(description);
        sheet->notesField()->setPlainText(notes);
        Application::performAsOneEvent([&] { (okay ? sheet->okayButton() : sheet->cancelButton())->click(); });
        processPendingEvents();
        EXPECT_FALSE(sheet->isShowing());
    }
    static std::pair<std::string, std::string> details(const MyDocument* document) {
        return {document->theBike()->description(), document->theBike()->notes()};
    }
};

TEST_F(BikeDetailsTest, OkayRecordsOneStepPerChangedFieldAndTheLineFollowsUndoRedoAndRevert) {
    MyDocument* document = openDescribedBike();
    ASSERT_NE(document, nullptr);
    BikeHeaderLine* line = document->bikeHeader();
    ASSERT_NE(line, nullptr);
    // The name saving gives the bike: the file's, without its extension.
    EXPECT_EQ(line->name(), "tourer");
    EXPECT_EQ(line->description(), "Steel tourer");
    EXPECT_FALSE(line->accessibleName().isEmpty());

    QTest::mouseDClick(line, Qt::LeftButton);
    ASSERT_NE(document->bikeDetailsSheet(), nullptr);
    EXPECT_EQ(document->bikeDetailsSheet()->nameField()->text(), "tourer");
    EXPECT_EQ(document->bikeDetailsSheet()->notesField()->toPlainText(), "Frame 56 cm");
    finishSheet(document, QStringLiteral("Audax bike"), QStringLiteral("Frame 56 cm\nTyres 5 bar"), true);

    EXPECT_EQ(details(document), std::make_pair(std::string("Audax bike"), std::string("Frame 56 cm\nTyres 5 bar")));
    EXPECT_EQ(line->description(), "Audax bike");
    EXPECT_TRUE(document->isDocumentEdited());
    UndoManager& history = document->undoManager();
    EXPECT_EQ(history.undoStepCount(), 2u);

    EXPECT_EQ(history.undoActionName(), "Notes Change");
    perform(document, "undo:");
    EXPECT_EQ(details(document), std::make_pair(std::string("Audax bike"), std::string("Frame 56 cm")));
    EXPECT_EQ(history.undoActionName(), "Description Change");
    perform(document, "undo:");
    EXPECT_EQ(details(document), std::make_pair(std::string("Steel tourer"), std::string("Frame 56 cm")));
    EXPECT_EQ(line->description(), "Steel tourer");
    EXPECT_FALSE(document->isDocumentEdited()) << "back to the saved state";

    perform(document, "redo:");
    EXPECT_EQ(line->description(), "Audax bike");

    alerts.confirmRevert = true;
    ASSERT_TRUE(document->revertDocumentToSaved());
    EXPECT_EQ(line->description(), "Steel tourer");
    EXPECT_EQ(line->name(), "tourer");
}

// From the keyboard too; a sheet that changes nothing records nothing.
TEST_F(BikeDetailsTest, CancelOrUnchangedFieldsLeaveTheRecordAsItWas) {
    MyDocument* document = openDescribedBike();
    ASSERT_NE(document, nullptr);
    const auto before = recordBytes(document);
    for (const bool okay : {false, true}) {
        SCOPED_TRACE(okay ? "OK, nothing changed" : "Cancel");
        document->bikeHeader()->setFocus();
        QTest::keyClick(document->bikeHeader(), Qt::Key_Return);
        if (okay) {
            finishSheet(document, QStringLiteral("Steel tourer"), QStringLiteral("Frame 56 cm"), true);
        } else {
            finishSheet(document, QStringLiteral("Something else"), QString(), false);
        }
        EXPECT_EQ(recordBytes(document), before);
        EXPECT_EQ(document->undoManager().undoStepCount(), 0u);
        EXPECT_FALSE(document->isDocumentEdited());
        EXPECT_EQ(document->bikeHeader()->description(), "Steel tourer");
    }
}

} // namespace
} // namespace cogbook
