// Editing a record as the user does it: typing into the outline's cells and
// the notes pane, the add commands, removal, and undo and redo of all of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
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

using test_support::node;
using test_support::processPendingEvents;
using test_support::typeAt;

Date day(int year, int month, int dayOfMonth, int hour = 9) {
    return Date::fromUnixSeconds(
        static_cast<double>(QDateTime(QDate(year, month, dayOfMonth), QTime(hour, 30)).toSecsSinceEpoch()));
}

QDate localDay(Date date) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(date.unixSeconds())).date();
}

class EditingTest : public test_support::DocumentTest {
protected:
    // Dates typed and shown the United States way.
    test_support::ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};

    // A document showing ROOT in the key window, everything expanded.
    MyDocument* showing(const ZRBicycleListPtr& root, const char* name = "edit.cogbook") {
        MyDocument* document = keyDocumentShowing(root, name);
        if (document != nullptr) document->expandAll();
        processPendingEvents();
        return document;
    }
    static OutlineView* outline(const MyDocument* document) { return document->bikeTable(); }
    static QLineEdit* editCell(MyDocument* document, const ZRBicycleList* item, const char* column) {
        OutlineView* view = outline(document);
        view->editColumnRowWithEventSelect(view->columnWithIdentifier(QLatin1String(column)), rowOf(document, item),
                                           nullptr, true);
        return qobject_cast<QLineEdit*>(view->currentEditor());
    }
    // Replaces the cell's text by typing, and ends with KEY.
    static void typeIntoCell(QLineEdit* editor, const QString& text, Qt::Key key = Qt::Key_Return) {
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, key);
        processPendingEvents();
    }
    static std::vector<std::string> names(const ZRBicycleList* parent) {
        std::vector<std::string> result;
        for (std::size_t i = 0; i < parent->numberOfChildren(); ++i) result.push_back(parent->childAtIndex(i)->partName());
        return result;
    }
    // Code run by a test stands for what one user event does.
    template <typename Action>
    static auto inOneEvent(Action&& action) {
        using Result = decltype(action());
        if constexpr (std::is_void_v<Result>) {
            Application::performAsOneEvent(action);
        } else {
            Result result{};
            Application::performAsOneEvent([&] { result = action(); });
            return result;
        }
    }
    static void undo(MyDocument* document) { document->performAction("undo:", nullptr); }
    static void redo(MyDocument* document) { document->performAction("redo:", nullptr); }

};

TEST_F(EditingTest, RenamingAPartWithReturnIsOneStepThatAlsoRenamesItsEntries) {
    auto root = node("Bike", true,
                     {node("Chain", true, {node("Chain", false), node("Chain rings", true), node("Old name", false)})});
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    ZRBicycleList* chain = nodeAt(document, {0});

    QLineEdit* editor = editCell(document, chain, "partName");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->selectedText(), "Chain") << "the whole text is selected";
    typeIntoCell(editor, "Drive chain");

    EXPECT_EQ(chain->partName(), "Drive chain");
    EXPECT_EQ(names(chain), (std::vector<std::string>{"Drive chain", "Chain rings", "Drive chain"}));
    EXPECT_EQ(outline(document)->currentEditor(), nullptr) << "Return starts no other edit";
    EXPECT_EQ(outline(document)->selectedRowIndexes(), std::vector<long>{rowOf(document, chain)});
    EXPECT_EQ(QApplication::focusWidget(), outline(document));
    EXPECT_TRUE(document->isDocumentEdited());
    UndoManager& history = document->undoManager();
    EXPECT_EQ(history.undoStepCount(), 1u);
    EXPECT_EQ(history.undoMenuItemTitle(), "Undo Name Change");

    undo(document);
    EXPECT_EQ(chain->partName(), "Chain");
    EXPECT_EQ(names(chain), (std::vector<std::string>{"Chain", "Chain rings", "Old name"}))
        << "undo gives each entry back the name it had";
    EXPECT_FALSE(document->isDocumentEdited()) << "back to the saved state";
    EXPECT_EQ(history.redoMenuItemTitle(), "Redo Name Change");
    redo(document);
    EXPECT_EQ(chain->partName(), "Drive chain");
    EXPECT_EQ(outline(document)->selectedRowIndexes(), std::vector<long>{rowOf(document, chain)});

    // Committing the text as it was is no change at all.
    outline(document)->deselectAll();
    editor = editCell(document, chain, "partName");
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    processPendingEvents();
    EXPECT_EQ(history.undoStepCount(), 1u);
    EXPECT_TRUE(outline(document)->selectedRowIndexes().empty()) << "an unchanged value moves no selection";

    // Renaming an entry renames that entry alone.
    ZRBicycleList* entry = chain->childAtIndex(0).get();
    typeIntoCell(editCell(document, entry, "partName"), "Waxed");
    EXPECT_EQ(names(chain), (std::vector<std::string>{"Waxed", "Chain rings", "Drive chain"}));
}

TEST_F(EditingTest, F2AndADoubleClickOpenTheCellForEditing) {
    MyDocument* document = showing(node("Bike", true, {node("Frame", true), node("Fork", true)}));
    ASSERT_NE(document, nullptr);
    OutlineView* view = outline(document);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(view->editedRow(), 1);
    typeIntoCell(editor, "Carbon fork");
    EXPECT_EQ(nodeAt(document, {1})->partName(), "Carbon fork");

    const QModelIndex description = view->indexForItem(nodeAt(document, {0}), 1);
    const QPoint where = view->visualRect(description).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, where);
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("description"));
    EXPECT_EQ(view->editedRow(), 0);
}

TEST_F(EditingTest, TabCommitsAndMovesToTheNextEditableCellEscapeAbandons) {
    auto root = node("Bike", true, {node("Frame", true), node("Fork", true)});
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    OutlineView* view = outline(document);
    ZRBicycleList* frame = nodeAt(document, {0});

    typeIntoCell(editCell(document, frame, "partName"), "Steel frame", Qt::Key_Tab);
    EXPECT_EQ(frame->partName(), "Steel frame");
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("description"));
    EXPECT_EQ(view->editedRow(), rowOf(document, frame));
    auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
    ASSERT_NE(editor, nullptr);
    // Past the row's last cell, editing goes on in the next row.
    QTest::keyClicks(editor, "Reynolds 531");
    QTest::keyClick(editor, Qt::Key_Tab);
    processPendingEvents();
    EXPECT_EQ(frame->description(), "Reynolds 531");
    EXPECT_EQ(view->editedRow(), rowOf(document, nodeAt(document, {1})));
    EXPECT_EQ(view->editedColumn(), 0) << "the date, first column of the next row";

    editor = qobject_cast<QLineEdit*>(view->currentEditor());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "garbage");
    QTest::keyClick(editor, Qt::Key_Escape);
    processPendingEvents();
    EXPECT_EQ(view->currentEditor(), nullptr);
    EXPECT_EQ(document->undoManager().undoStepCount(), 2u);
}

TEST_F(EditingTest, ADateChangeRollsUpThroughThePartsAndOneUndoRestoresThemAll) {
    test_support::ScopedTimeZone zone("Europe/Berlin");
    auto january = node("Chain", false);
    january->setDate(day(2026, 1, 1));
    auto march = node("Chain", false);
    march->setDate(day(2026, 3, 1));
    auto chain = node("Chain", true, {january, march});
    chain->setDate(day(2025, 6, 1));
    auto hubEntry = node("Hub", false);
    hubEntry->setDate(day(2026, 2, 1));
    auto hub = node("Hub", true, {hubEntry});
    auto wheel = node("Wheel", true, {hub});
    auto bikeEntry = node("Bike", false);
    bikeEntry->setDate(day(2026, 1, 5));
    auto root = node("Bike", true, {chain, wheel, bikeEntry});
    root->setDate(day(2020, 1, 1));
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    ZRBicycleList* part = nodeAt(document, {0});
    ZRBicycleList* januaryEntry = nodeAt(document, {0, 0});
    const Date bikeDate = document->theBike()->date();

    QLineEdit* editor = editCell(document, januaryEntry, "date");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "1/1/2026") << "the locale's short format, the year in full";
    typeIntoCell(editor, "5/1/26");
    EXPECT_EQ(localDay(januaryEntry->date()), QDate(2026, 5, 1)) << "a two-digit year is 20YY";
    EXPECT_EQ(januaryEntry->date(), day(2026, 5, 1)) << "the time of day stays";
    EXPECT_EQ(part->date(), januaryEntry->date());
    EXPECT_EQ(document->undoManager().undoMenuItemTitle(), "Undo Date Change");

    typeIntoCell(editCell(document, januaryEntry, "date"), "1/1/2026");
    EXPECT_EQ(part->date(), day(2026, 3, 1)) << "the latest child date, earlier than before";
    EXPECT_EQ(outline(document)->selectedRowIndexes(), std::vector<long>{rowOf(document, januaryEntry)});
    undo(document);
    EXPECT_EQ(januaryEntry->date(), day(2026, 5, 1));
    EXPECT_EQ(part->date(), day(2026, 5, 1));
    undo(document);
    EXPECT_EQ(januaryEntry->date(), day(2026, 1, 1));
    EXPECT_EQ(part->date(), day(2025, 6, 1)) << "one undo restores every date on the path";

    // Two levels up, and never the bike.
    ZRBicycleList* hubInDocument = nodeAt(document, {1, 0});
    typeIntoCell(editCell(document, hubInDocument->childAtIndex(0).get(), "date"), "7/14/26");
    EXPECT_EQ(localDay(hubInDocument->date()), QDate(2026, 7, 14));
    EXPECT_EQ(localDay(nodeAt(document, {1})->date()), QDate(2026, 7, 14));
    EXPECT_EQ(document->theBike()->date(), bikeDate);
    // An entry of the bike changes no other date.
    typeIntoCell(editCell(document, nodeAt(document, {2}), "date"), "8/1/26");
    EXPECT_EQ(document->theBike()->date(), bikeDate);
    EXPECT_EQ(localDay(nodeAt(document, {1})->date()), QDate(2026, 7, 14));

    // Text that is no day is refused with a beep; the edit stays open.
    const auto steps = document->undoManager().undoStepCount();
    editor = editCell(document, januaryEntry, "date");
    ASSERT_NE(editor, nullptr);
    typeIntoCell(editor, "2/30/26");
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(outline(document)->currentEditor(), editor);
    EXPECT_EQ(januaryEntry->date(), day(2026, 1, 1));
    typeIntoCell(editor, "soon");
    EXPECT_EQ(alerts.beeps, 2);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(document->undoManager().undoStepCount(), steps);
}

TEST_F(EditingTest, NotesAreWrittenAtOnceAndABurstOfTypingIsOneStep) {
    auto root = node("Bike", true, {node("Chain", true), node("Saddle", true)});
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    QPlainTextEdit* notes = document->notesView();
    ZRBicycleList* chain = nodeAt(document, {0});
    ZRBicycleList* saddle = nodeAt(document, {1});
    outline(document)->selectRowByExtendingSelection(rowOf(document, chain), false);
    UndoManager& history = document->undoManager();

    typeAt(notes, "wa", 100.0);
    typeAt(notes, "x", 100.9);
    EXPECT_EQ(chain->notes(), "wax") << "every keystroke is written to the item";
    EXPECT_EQ(history.undoStepCount(), 1u);
    EXPECT_EQ(history.undoMenuItemTitle(), "Undo Notes Change");
    typeAt(notes, "e", 101.9); // exactly one second later: the same step
    EXPECT_EQ(history.undoStepCount(), 1u);
    typeAt(notes, "d", 102.95); // more than a second: a new one
    EXPECT_EQ(history.undoStepCount(), 2u);
    EXPECT_EQ(chain->notes(), "waxed");

    // Another item's notes within the second are a step of their own, or
    // undo would not give them back.
    outline(document)->selectRowByExtendingSelection(rowOf(document, saddle), false);
    EXPECT_EQ(notes->toPlainText(), "") << "the pane shows the newly selected item";
    typeAt(notes, "z", 103.5);
    EXPECT_EQ(saddle->notes(), "z");
    EXPECT_EQ(history.undoStepCount(), 3u);

    outline(document)->selectRowByExtendingSelection(rowOf(document, chain), false);
    EXPECT_EQ(notes->toPlainText(), "waxed");
    EXPECT_EQ(history.undoStepCount(), 3u) << "showing notes is no change";
    undo(document);
    EXPECT_EQ(saddle->notes(), "");
    EXPECT_EQ(chain->notes(), "waxed");
    undo(document);
    EXPECT_EQ(chain->notes(), "waxe");
    EXPECT_EQ(notes->toPlainText(), "waxe") << "the pane shows what undo put back";
    undo(document);
    EXPECT_EQ(chain->notes(), "");
    redo(document);
    EXPECT_EQ(chain->notes(), "waxe");

    // Typing right after an undo or redo is a step of its own, however
    // quick: it must not slip in unrecorded, nor leave a redo step that
    // would write over it.
    typeAt(notes, "s", 103.6);
    EXPECT_EQ(chain->notes(), "waxes");
    EXPECT_EQ(history.undoStepCount(), 2u);
    EXPECT_FALSE(history.canRedo());
    undo(document);
    EXPECT_EQ(chain->notes(), "waxe");

    // Two rows selected: an empty pane that refuses typing with a beep.
    outline(document)->selectRowByExtendingSelection(rowOf(document, saddle), true);
    EXPECT_EQ(notes->toPlainText(), "");
    typeAt(notes, "q", 200.0);
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(notes->toPlainText(), "");
    EXPECT_EQ(chain->notes(), "waxe");
    EXPECT_EQ(saddle->notes(), "") << "its step was undone, and the typing since took its redo";
}

TEST_F(EditingTest, AddCommandsFollowTheSelection) {
    auto root = node("Bike", true, {node("Frame", true, {node("Frame", false)}), node("Wheels", true)});
    MyDocument* document = showing(root, "trek.cogbook");
    ASSERT_NE(document, nullptr);
    document->theBike()->setPartName("My bike");
    OutlineView* view = outline(document);
    ZRBicycleList* bike = document->theBike();
    ZRBicycleList* frame = nodeAt(document, {0});
    const auto editedText = [&] {
        auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
        return editor ? editor->selectedText() : QString("(no edit)");
    };

    // Nothing selected: Add Subpart goes under the bike, last, and its name
    // cell opens with the name selected.
    view->deselectAll();
    inOneEvent([&] { document->addSubpart(); });
    ASSERT_EQ(bike->numberOfChildren(), 3u);
    ZRBicycleList* added = nodeAt(document, {2});
    EXPECT_TRUE(added->expandable());
    EXPECT_EQ(added->partName(), "trek subpart") << "named after the document, not the bike";
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{rowOf(document, added)});
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("partName"));
    EXPECT_EQ(editedText(), "trek subpart");
    EXPECT_EQ(document->undoManager().undoMenuItemTitle(), "Undo Add");
    view->abortEditing();

    // One part selected: a new entry is its first child; a subpart its last.
    view->selectRowByExtendingSelection(rowOf(document, frame), false);
    inOneEvent([&] { document->addEntryForPart(); });
    ZRBicycleList* entry = nodeAt(document, {0, 0});
    EXPECT_EQ(frame->numberOfChildren(), 2u);
    EXPECT_FALSE(entry->expandable());
    EXPECT_EQ(entry->partName(), "Frame");
    EXPECT_EQ(entry->description(), "Serviced");
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("description"));
    EXPECT_EQ(editedText(), "Serviced");
    view->abortEditing();

    // An entry selected: the commands add under the entry's part.
    view->selectRowByExtendingSelection(rowOf(document, entry), false);
    inOneEvent([&] { document->addSubpart(); });
    EXPECT_EQ(frame->numberOfChildren(), 3u);
    EXPECT_EQ(nodeAt(document, {0, 2})->partName(), "Frame subpart");
    view->abortEditing();

    // Two rows selected: the selection is cleared and the bike receives.
    view->selectRowByExtendingSelection(rowOf(document, frame), false);
    view->selectRowByExtendingSelection(rowOf(document, nodeAt(document, {1})), true);
    inOneEvent([&] { document->addEntryForPart(); });
    EXPECT_EQ(nodeAt(document, {0})->partName(), "trek");
    EXPECT_EQ(nodeAt(document, {0})->description(), "Serviced");
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{0});
    view->abortEditing();

    // Add Part and Add Entry for Bike never look at the selection.
    view->selectRowByExtendingSelection(rowOf(document, frame), false);
    inOneEvent([&] { document->addPart(); });
    EXPECT_EQ(names(bike).back(), "trek subpart");
    view->abortEditing();
    inOneEvent([&] { document->addEntryForBike(); });
    EXPECT_EQ(names(bike).front(), "trek");
    view->abortEditing();

    EXPECT_EQ(document->undoManager().undoStepCount(), 6u);
    for (int i = 0; i < 6; ++i) undo(document);
    EXPECT_EQ(names(bike), (std::vector<std::string>{"Frame", "Wheels"}));
    EXPECT_EQ(frame->numberOfChildren(), 1u);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(EditingTest, UndoAndRedoOfAddAndRemoveKeepPositionsAndSelectTheParent) {
    auto root = node("Bike", true,
                     {node("Wheels", true, {node("Wheels", false), node("Hub", true, {node("Hub", false)})}),
                      node("Fork", true, {node("Fork", false)})});
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    OutlineView* view = outline(document);
    ZRBicycleList* wheels = nodeAt(document, {0});
    const auto before = recordBytes(document);

    view->selectRowByExtendingSelection(rowOf(document, wheels), false);
    inOneEvent([&] { document->addEntryForPart(); });
    view->abortEditing();
    ZRBicycleListPtr added = wheels->childAtIndex(0);
    undo(document);
    EXPECT_EQ(wheels->numberOfChildren(), 2u);
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{rowOf(document, wheels)}) << "the part is selected";
    redo(document);
    EXPECT_EQ(wheels->childAtIndex(0), added);
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{rowOf(document, added.get())});
    undo(document);

    // A whole subtree goes and comes back where it was; an entry filed back
    // takes its part's name.
    ZRBicycleListPtr hub = wheels->childAtIndex(1);
    hub->childAtIndex(0)->setPartName("Renamed meanwhile");
    ASSERT_TRUE(inOneEvent([&] { return document->removeChild(hub); }));
    EXPECT_EQ(wheels->numberOfChildren(), 1u);
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{rowOf(document, wheels)});
    undo(document);
    EXPECT_EQ(wheels->childAtIndex(1), hub);
    EXPECT_EQ(hub->numberOfChildren(), 1u);
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{rowOf(document, hub.get())});
    hub->childAtIndex(0)->setPartName("Hub");

    // An entry with a name of its own keeps it through removal and undo.
    ZRBicycleListPtr wheelEntry = wheels->childAtIndex(0);
    wheelEntry->setPartName("Front wheel");
    ASSERT_TRUE(inOneEvent([&] { return document->removeChild(wheelEntry); }));
    undo(document);
    EXPECT_EQ(wheels->childAtIndex(0), wheelEntry);
    EXPECT_EQ(wheelEntry->partName(), "Front wheel");
    wheelEntry->setPartName("Wheels");

    // Removing a part's only child leaves the part childless and selected.
    ZRBicycleList* fork = nodeAt(document, {1});
    ASSERT_TRUE(inOneEvent([&] { return document->removeChild(fork->childAtIndex(0)); }));
    EXPECT_FALSE(fork->hasChildren());
    EXPECT_EQ(view->selectedRowIndexes(), std::vector<long>{rowOf(document, fork)});
    undo(document);
    EXPECT_EQ(recordBytes(document), before);
    EXPECT_FALSE(document->isDocumentEdited());

    // The bike's own child: the outline reloads, the selection stays the
    // outline's business.
    const auto top = document->theBike()->childAtIndex(1);
    ASSERT_TRUE(inOneEvent([&] { return document->removeChild(top); }));
    EXPECT_EQ(view->rowForItem(top.get()), kOutlineNoRow);
    undo(document);
    EXPECT_EQ(recordBytes(document), before);
}

TEST_F(EditingTest, ARemovalWhileACellEditCannotEndRemovesNothing) {
    auto root = node("Bike", true, {node("Chain", true, {node("Chain", false)}), node("Fork", true)});
    MyDocument* document = showing(root);
    ASSERT_NE(document, nullptr);
    const auto before = recordBytes(document);
    QLineEdit* editor = editCell(document, nodeAt(document, {0, 0}), "date");
    ASSERT_NE(editor, nullptr);
    editor->setText("no day at all");

    EXPECT_FALSE(inOneEvent([&] { return document->removeChild(document->theBike()->childAtIndex(1)); }));
    EXPECT_EQ(recordBytes(document), before);
    EXPECT_EQ(document->undoManager().undoStepCount(), 0u);
    EXPECT_EQ(outline(document)->currentEditor(), editor) << "the edit stays open";
    EXPECT_EQ(alerts.beeps, 1);

    // An edit that can end is committed before the removal.
    editor->setText("Serviced");
    OutlineView* view = outline(document);
    editCell(document, nodeAt(document, {0, 0}), "description");
    EXPECT_EQ(view->editedColumn(), view->columnWithIdentifier("date")) << "the bad date keeps its cell";
    EXPECT_EQ(alerts.beeps, 2);
    inOneEvent([&] { document->addPart(); });
    EXPECT_EQ(recordBytes(document), before) << "nor may anything be added";
    EXPECT_EQ(alerts.beeps, 3);
    editor->setText("3/3/26");
    EXPECT_TRUE(inOneEvent([&] { return document->removeChild(document->theBike()->childAtIndex(1)); }));
    EXPECT_EQ(localDay(nodeAt(document, {0, 0})->date()), QDate(2026, 3, 3));
    EXPECT_EQ(document->undoManager().undoStepCount(), 1u) << "edit and removal, one event";
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

    // Taking the editor to the other window ends the edit where it was.
    editor->setText("Carbon fork");
    QApplication::setActiveWindow(first->documentWindow());
    EXPECT_EQ(editCell(first, nodeAt(first, {0}), "partName"), editor);
    EXPECT_EQ(nodeAt(second, {0})->partName(), "Carbon fork");
    EXPECT_EQ(outline(second)->currentEditor(), nullptr);

    // A window closing with the editor in it leaves the editor alive.
    first->updateChangeCount(Document::ChangeCleared);
    first->close();
    processPendingEvents();
    EXPECT_EQ(_tableCellFieldEditor(), editor);
    EXPECT_EQ(editor->parentWidget(), nullptr);
}

} // namespace
} // namespace cogbook
