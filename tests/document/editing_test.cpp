// Editing a record as the user does it: typing into the outline's cells and
// the notes pane, the add commands, removal, and undo and redo of all of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "document/ZRTextView.h"
#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"
#include "support/gui_support.h"
#include "support/scoped_time_zone.h"

namespace cogbook {
namespace {

using test_support::dated;
using test_support::localDay;
using test_support::node;
using test_support::part;
using test_support::processPendingEvents;
using test_support::typeAt;

class EditingTest : public test_support::DocumentTest {
protected:
    test_support::ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};

    // A document showing ROOT in the key window, everything expanded.
    MyDocument* showing(const ZRBicycleListPtr& root, const char* name = "edit.cogbook") {
        MyDocument* document = keyDocumentShowing(root, name);
        if (document != nullptr) document->expandAll();
        processPendingEvents();
        return document;
    }
    static OutlineView* outline(const MyDocument* document) { return document->bikeTable(); }
    static std::vector<long> rowsOf(const MyDocument* document, std::initializer_list<const ZRBicycleList*> items) {
        std::vector<long> rows;
        for (const ZRBicycleList* item : items) rows.push_back(rowOf(document, item));
        return rows;
    }
    static std::vector<std::string> names(const ZRBicycleList* parent) {
        std::vector<std::string> result;
        for (std::size_t i = 0; i < parent->numberOfChildren(); ++i) result.push_back(parent->childAtIndex(i)->partName());
        return result;
    }
    template <typename Action>
    static bool inOneEvent(Action&& action) {
        bool result = false;
        Application::performAsOneEvent([&] { result = action(); });
        return result;
    }
};

TEST_F(EditingTest, RenamingAPartWithReturnIsOneStepThatAlsoRenamesItsEntries) {
    MyDocument* document = showing(
        node("Bike", true, {node("Chain", true, {node("Chain", false), node("Chain rings", true), node("Old name", false)})}));
    ASSERT_NE(document, nullptr);
    ZRBicycleList* chain = nodeAt(document, {0});

    QLineEdit* editor = editCell(document, chain, "partName");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->selectedText(), "Chain") << "the whole text is selected";
    typeIntoCell(editor, "Drive chain");
    EXPECT_EQ(names(chain), (std::vector<std::string>{"Drive chain", "Chain rings", "Drive chain"}));
    EXPECT_EQ(outline(document)->currentEditor(), nullptr) << "Return starts no other edit";
    EXPECT_EQ(outline(document)->selectedRowIndexes(), rowsOf(document, {chain}));
    EXPECT_EQ(QApplication::focusWidget(), outline(document));
    UndoManager& history = document->undoManager();
    EXPECT_EQ(history.undoStepCount(), 1u);
    EXPECT_EQ(history.undoMenuItemTitle(), "Undo Name Change");

    undo(document);
    EXPECT_EQ(names(chain), (std::vector<std::string>{"Chain", "Chain rings", "Old name"}))
        << "undo gives each entry back the name it had";
    EXPECT_EQ(history.redoMenuItemTitle(), "Redo Name Change");
    redo(document);
    EXPECT_EQ(chain->partName(), "Drive chain");

    // The text committed as it was: no step, and the selection stays put.
    outline(document)->deselectAll();
    QTest::keyClick(editCell(document, chain, "partName"), Qt::Key_Return);
    EXPECT_EQ(history.undoStepCount(), 1u);
    EXPECT_TRUE(outline(document)->selectedRowIndexes().empty());

    typeIntoCell(editCell(document, chain->childAtIndex(0).get(), "partName"), "Waxed");
    EXPECT_EQ(names(chain), (std::vector<std::string>{"Waxed", "Chain rings", "Drive chain"})) << "an entry alone";
}

TEST_F(EditingTest, F2AndADoubleClickOpenTheCellTabMovesOnEscapeAbandons) {
    MyDocument* document = showing(node("Bike", true, {node("Frame", true), node("Fork", true)}));
    ASSERT_NE(document, nullptr);
    OutlineView* view = outline(document);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_F2);
    EXPECT_EQ(view->editedRow(), 1);
    typeIntoCell(qobject_cast<QLineEdit*>(view->currentEditor()), "Carbon fork");
    EXPECT_EQ(nodeAt(document, {1})->partName(), "Carbon fork");

    const QPoint where = view->visualRect(view->indexForItem(nodeAt(document, {0}), 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, where);
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("description"));
    EXPECT_EQ(view->editedRow(), 0);
    view->abortEditing();

    // Tab commits and opens the next cell, past the row's last into the next row.
    ZRBicycleList* frame = nodeAt(document, {0});
    typeIntoCell(editCell(document, frame, "partName"), "Steel frame", Qt::Key_Tab);
    EXPECT_EQ(frame->partName(), "Steel frame");
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("description"));
    typeIntoCell(qobject_cast<QLineEdit*>(view->currentEditor()), "Reynolds 531", Qt::Key_Tab);
    EXPECT_EQ(frame->description(), "Reynolds 531");
    EXPECT_EQ(view->editedRow(), 1);
    EXPECT_EQ(view->editedColumn(), 0) << "the date, first column of the next row";

    typeIntoCell(qobject_cast<QLineEdit*>(view->currentEditor()), "garbage", Qt::Key_Escape);
    EXPECT_EQ(view->currentEditor(), nullptr);
    EXPECT_EQ(document->undoManager().undoStepCount(), 3u);
}

TEST_F(EditingTest, ADateChangeMovesThePartsAboveUpOrDownAndOneUndoRestoresThemAll) {
    test_support::ScopedTimeZone zone("Europe/Berlin");
    auto root = dated(node("Bike", true,
                           {dated(part("Chain", {dated(node("Chain", false), localDay(2026, 1, 1)),
                                                 dated(node("Chain", false), localDay(2026, 3, 1))}),
                                  localDay(2025, 6, 1)),
                            dated(node("Bike", false), localDay(2026, 1, 5))}),
                      localDay(2020, 1, 1));
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    ZRBicycleList* chain = nodeAt(document, {0});
    ZRBicycleList* january = nodeAt(document, {0, 0});

    QLineEdit* editor = editCell(document, january, "date");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "1/1/2026") << "the locale's short format, the year in full";
    typeIntoCell(editor, "5/1/26");
    EXPECT_EQ(january->date(), localDay(2026, 5, 1)) << "a two-digit year is 20YY; the time of day stays";
    EXPECT_EQ(chain->date(), january->date());
    EXPECT_EQ(document->undoManager().undoMenuItemTitle(), "Undo Date Change");

    typeIntoCell(editCell(document, january, "date"), "1/1/2026");
    EXPECT_EQ(chain->date(), localDay(2026, 3, 1)) << "the latest child date, earlier than before";
    EXPECT_EQ(outline(document)->selectedRowIndexes(), rowsOf(document, {january}));
    undo(document);
    EXPECT_EQ(chain->date(), localDay(2026, 5, 1));
    undo(document);
    EXPECT_EQ(january->date(), localDay(2026, 1, 1));
    EXPECT_EQ(chain->date(), localDay(2025, 6, 1)) << "one undo restores every date on the path";

    typeIntoCell(editCell(document, nodeAt(document, {1}), "date"), "8/1/26");
    EXPECT_EQ(document->theBike()->date(), localDay(2020, 1, 1)) << "an entry of the bike moves no other date";
}

TEST_F(EditingTest, NotesAreWrittenAtOnceAndABurstOfTypingIsOneStep) {
    MyDocument* document = showing(node("Bike", true, {node("Chain", true), node("Saddle", true)}));
    ASSERT_NE(document, nullptr);
    QPlainTextEdit* notes = document->notesView();
    ZRBicycleList* chain = nodeAt(document, {0});
    ZRBicycleList* saddle = nodeAt(document, {1});
    select(document, {chain});
    UndoManager& history = document->undoManager();

    typeAt(notes, "wa", 100.0);
    typeAt(notes, "x", 100.9);
    EXPECT_EQ(chain->notes(), "wax") << "every keystroke is written to the item";
    EXPECT_EQ(history.undoMenuItemTitle(), "Undo Notes Change");
    typeAt(notes, "e", 101.9); // exactly one second later: the same step
    EXPECT_EQ(history.undoStepCount(), 1u);
    typeAt(notes, "d", 102.95); // more than a second: a new one
    EXPECT_EQ(history.undoStepCount(), 2u);

    undo(document);
    EXPECT_EQ(notes->toPlainText(), "waxe") << "the pane shows what undo put back";
    undo(document);
    EXPECT_EQ(chain->notes(), "");
    redo(document);
    EXPECT_EQ(chain->notes(), "waxe");

    // Typing right after an undo or redo is a step of its own, however
    // quick, and takes the redo that would write over it.
    typeAt(notes, "s", 103.6);
    EXPECT_EQ(chain->notes(), "waxes");
    EXPECT_EQ(history.undoStepCount(), 2u);
    EXPECT_FALSE(history.canRedo());
    undo(document);
    EXPECT_EQ(chain->notes(), "waxe");

    // Two rows selected: an empty pane that refuses typing with a beep.
    select(document, {chain, saddle});
    EXPECT_EQ(notes->toPlainText(), "");
    typeAt(notes, "q", 200.0);
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(chain->notes(), "waxe");
    EXPECT_EQ(saddle->notes(), "");
}

TEST_F(EditingTest, AddCommandsFollowTheSelection) {
    MyDocument* document =
        showing(node("Bike", true, {node("Frame", true, {node("Frame", false)}), node("Wheels", true)}), "trek.cogbook");
    ASSERT_NE(document, nullptr);
    document->theBike()->setPartName("My bike");
    OutlineView* view = outline(document);
    ZRBicycleList* frame = nodeAt(document, {0});
    const ZRBicycleList* wheels = nodeAt(document, {1});
    const ZRBicycleList* frameEntry = nodeAt(document, {0, 0});
    const auto original = recordBytes(document);
    // New items are named after the document, not the bike.
    const struct {
        std::vector<const ZRBicycleList*> selection;
        void (MyDocument::*command)();
        const ZRBicycleList* parent;
        bool first;
        const char* name;
        const char* editedColumn;
        const char* editedText;
    } adds[] = {
        {{}, &MyDocument::addSubpart, document->theBike(), false, "trek subpart", "partName", "trek subpart"},
        {{frame}, &MyDocument::addEntryForPart, frame, true, "Frame", "description", "Serviced"},
        {{frameEntry}, &MyDocument::addSubpart, frame, false, "Frame subpart", "partName", "Frame subpart"},
        {{frameEntry}, &MyDocument::addEntryForPart, frame, true, "Frame", "description", "Serviced"},
        // Two rows: the bike receives, the one new row selected.
        {{frame, wheels}, &MyDocument::addEntryForPart, document->theBike(), true, "trek", "description", "Serviced"},
        {{frame}, &MyDocument::addPart, document->theBike(), false, "trek subpart", "partName", "trek subpart"},
        {{frame}, &MyDocument::addEntryForBike, document->theBike(), true, "trek", "description", "Serviced"},
    };
    for (const auto& add : adds) {
        SCOPED_TRACE(add.name);
        view->deselectAll();
        for (const ZRBicycleList* item : add.selection) view->selectRowByExtendingSelection(rowOf(document, item), true);
        const std::size_t count = add.parent->numberOfChildren();
        Application::performAsOneEvent([&] { (document->*add.command)(); });
        ASSERT_EQ(add.parent->numberOfChildren(), count + 1);
        const ZRBicycleList* added = add.parent->childAtIndex(add.first ? 0 : count).get();
        EXPECT_EQ(added->partName(), add.name);
        EXPECT_EQ(added->expandable(), add.editedColumn == std::string("partName"));
        EXPECT_EQ(view->selectedRowIndexes(), rowsOf(document, {added}));
        EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier(add.editedColumn));
        auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
        EXPECT_EQ(editor ? editor->selectedText() : QString(), add.editedText);
        EXPECT_EQ(document->undoManager().undoMenuItemTitle(), "Undo Add");
        view->abortEditing();
        undo(document);
        EXPECT_EQ(recordBytes(document), original);
    }
}

TEST_F(EditingTest, UndoAndRedoOfAddAndRemoveSelectWhatCameBackOrItsParent) {
    MyDocument* document = showing(node(
        "Bike", true, {node("Wheels", true, {node("Wheels", false), node("Hub", true, {node("Hub", false)})}),
                       node("Fork", true, {node("Fork", false)})}));
    ASSERT_NE(document, nullptr);
    OutlineView* view = outline(document);
    ZRBicycleList* wheels = nodeAt(document, {0});
    select(document, {wheels});
    Application::performAsOneEvent([&] { document->addEntryForPart(); });
    view->abortEditing();
    const ZRBicycleListPtr added = wheels->childAtIndex(0);
    undo(document);
    EXPECT_EQ(view->selectedRowIndexes(), rowsOf(document, {wheels}));
    redo(document);
    EXPECT_EQ(wheels->childAtIndex(0), added);
    EXPECT_EQ(view->selectedRowIndexes(), rowsOf(document, {added.get()}));
    undo(document);

    // A whole subtree goes, its parent selected, and comes back where it was.
    const ZRBicycleListPtr hub = wheels->childAtIndex(1);
    ASSERT_TRUE(inOneEvent([&] { return document->removeChild(hub); }));
    EXPECT_EQ(view->selectedRowIndexes(), rowsOf(document, {wheels}));
    undo(document);
    EXPECT_EQ(wheels->childAtIndex(1), hub);
    EXPECT_EQ(view->selectedRowIndexes(), rowsOf(document, {hub.get()}));

    ZRBicycleList* fork = nodeAt(document, {1});
    ASSERT_TRUE(inOneEvent([&] { return document->removeChild(fork->childAtIndex(0)); }));
    EXPECT_EQ(view->selectedRowIndexes(), rowsOf(document, {fork}));
}

TEST_F(EditingTest, ARemovalWhileACellEditCannotEndRemovesNothing) {
    MyDocument* document = showing(node("Bike", true, {node("Chain", true, {node("Chain", false)}), node("Fork", true)}));
    ASSERT_NE(document, nullptr);
    const auto before = recordBytes(document);
    QLineEdit* editor = editCell(document, nodeAt(document, {0, 0}), "date");
    ASSERT_NE(editor, nullptr);
    editor->setText("no day at all");

    EXPECT_FALSE(inOneEvent([&] { return document->removeChild(document->theBike()->childAtIndex(1)); }));
    EXPECT_EQ(outline(document)->currentEditor(), editor) << "the edit stays open";
    EXPECT_EQ(alerts.beeps, 1);
    // Nor may another cell's edit start, nor anything be added.
    OutlineView* view = outline(document);
    editCell(document, nodeAt(document, {0, 0}), "description");
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("date")) << "the bad date keeps its cell";
    EXPECT_EQ(alerts.beeps, 2);
    Application::performAsOneEvent([&] { document->addPart(); });
    EXPECT_EQ(alerts.beeps, 3);
    EXPECT_EQ(recordBytes(document), before);
    EXPECT_EQ(document->undoManager().undoStepCount(), 0u);

    // An edit that can end is committed before the removal, in the same step.
    editor->setText("3/3/26");
    EXPECT_TRUE(inOneEvent([&] { return document->removeChild(document->theBike()->childAtIndex(1)); }));
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(nodeAt(document, {0, 0})->date().unixSeconds())).date(),
              QDate(2026, 3, 3));
    EXPECT_EQ(document->undoManager().undoStepCount(), 1u);
}

TEST_F(EditingTest, EveryDocumentWindowEditsCellsWithTheOneSharedEditor) {
    MyDocument* first = showing(node("Bike", true, {node("Frame", true)}), "one.cogbook");
    MyDocument* second = showing(node("Bike", true, {node("Fork", true)}), "two.cogbook");
    ASSERT_TRUE(first && second);
    QLineEdit* editor = editCell(second, nodeAt(second, {0}), "partName");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor, _tableCellFieldEditor());
    EXPECT_EQ(first->windowWillReturnFieldEditorToObject(first->documentWindow(), first->toolbarSearchField()),
              nullptr);

    // Taking the editor to the other window ends the edit where it was, as
    // that document's step alone.
    editor->setText("Carbon fork");
    QApplication::setActiveWindow(first->documentWindow());
    EXPECT_EQ(editCell(first, nodeAt(first, {0}), "partName"), editor);
    EXPECT_EQ(nodeAt(second, {0})->partName(), "Carbon fork");
    EXPECT_EQ(outline(second)->currentEditor(), nullptr);
    EXPECT_EQ(second->undoManager().undoActionName(), "Name Change");
    EXPECT_FALSE(first->undoManager().canUndo());

    // A window closing with the editor in it leaves the editor alive.
    first->updateChangeCount(Document::ChangeCleared);
    first->close();
    processPendingEvents();
    EXPECT_EQ(_tableCellFieldEditor(), editor);
    EXPECT_EQ(editor->parentWidget(), nullptr);
}

} // namespace
} // namespace cogbook
