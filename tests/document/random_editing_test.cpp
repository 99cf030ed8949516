// Seeded sequences of the user's edits in four windows used in turn, each
// undone and redone in full, the record checked against its history at every
// step. A failure names the seed; COGBOOK_RANDOM_SEED=<seed> replays it.

#include <QMimeData>
#include <QSignalBlocker>

#include <sstream>

#include "document/ZRSWDocumentNames.h"
#include "document/random_editing_fixture.h"
#include "platform/pasteboard.h"

namespace cogbook {
namespace {

using namespace random_editing;

class RandomEditingTest : public RandomEditingFixture {
protected:
    // Opens the edit of ITEM's cell in COLUMN, every part expanded.
    QLineEdit* openCell(const Tracked& t, const ZRBicycleList* item, const char* column) {
        t.document->expandAll();
        QLineEdit* editor = editCell(t.document, item, column);
        EXPECT_NE(editor, nullptr) << "no edit opened in " << column;
        return editor;
    }
    void selectItem(const Tracked& t, const ZRBicycleList* item) {
        t.document->expandAll();
        select(t.document, {item});
    }

    std::string addOperation(Tracked& t) {
        OutlineView* view = outline(t);
        static const char* const commands[] = {"addPart:", "addSubpart:", "addEntryForPart:", "addEntryForBike:"};
        const char* command = commands[pick(4)];
        std::string log = randomSelection(t) + ", then " + command;
        const Before was = before(t);
        Application::performAsOneEvent([&] { t.document->performAction(command, nullptr); });
        settle(t, was, Expect::oneStep);
        auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
        EXPECT_NE(editor, nullptr) << "the new item's cell is open for editing";
        if (editor == nullptr) return log;

        // The cell left open: abandoned, committed as it is, or given text.
        const Before typed = before(t);
        switch (pick(4)) {
        case 0:
            view->abortEditing();
            log += ", edit aborted";
            break;
        case 1:
            QTest::keyClick(editor, Qt::Key_Escape);
            log += ", Escape";
            break;
        case 2:
            log += ", kept as it is";
            commitEdit(t, editor, log);
            break;
        default: {
            const bool typeable = chance(0.7);
            const std::string text = randomText(typeable);
            log += ", given " + quoted(text);
            enterText(editor, QString::fromStdString(text), typeable, log);
            commitEdit(t, editor, log);
        }
        }
        EXPECT_EQ(view->currentEditor(), nullptr);
        settle(t, typed, Expect::stepIfChanged);
        return log;
    }

    std::string removeOperation(Tracked& t) {
        const ZRBicycleListPtr item = randomItem(t);
        if (!item) return "nothing to remove";
        if (chance(0.5)) selectItem(t, item.get());
        const Before was = before(t);
        bool removed = false;
        Application::performAsOneEvent([&] { removed = t.document->removeChild(item); });
        EXPECT_TRUE(removed);
        settle(t, was, Expect::oneStep);
        return "remove " + described(item.get());
    }

    // Now and then the text it has already, which may hold what no key types.
    std::string textOperation(Tracked& t, bool name) {
        const ZRBicycleListPtr item = randomItem(t);
        if (!item) return "no item";
        const bool inCell = chance(0.5);
        const bool same = chance(0.1);
        const bool typeable = inCell && !same && chance(0.8);
        const std::string text = same ? (name ? item->partName() : item->description()) : randomText(typeable);
        std::string log = std::string(name ? "name " : "describe ") + described(item.get()) + " " + quoted(text);
        const Before was = before(t);
        if (inCell) {
            QLineEdit* editor = openCell(t, item.get(), name ? "partName" : "description");
            if (editor == nullptr) return log;
            enterText(editor, QString::fromStdString(text), typeable, log);
            commitEdit(t, editor, log);
            settle(t, was, Expect::stepIfChanged);
        } else {
            log += " directly";
            Application::performAsOneEvent([&] {
                if (name) t.document->newPartNameForItem(text, item);
                else t.document->newDescriptionForItem(text, item);
            });
            settle(t, was, Expect::oneStep);
        }
        return log;
    }

    std::string dateOperation(Tracked& t) {
        const ZRBicycleListPtr item = randomItem(t);
        if (!item) return "no item";
        std::string log = "date " + described(item.get());
        const Before was = before(t);
        if (chance(0.5)) {
            const Date date = randomDate(*item);
            log += " " + std::to_string(date.timeIntervalSinceReferenceDate()) + " directly";
            Application::performAsOneEvent([&] { t.document->newDateForItem(date, item); });
            settle(t, was, Expect::oneStep);
            return log;
        }
        QLineEdit* editor = openCell(t, item.get(), "date");
        if (editor == nullptr) return log;
        if (chance(0.1)) {
            static const QString wrong[] = {"2/30/2026", "13/1/2026", "soon", "", "0/0/0"};
            const QString text = wrong[pick(std::size(wrong))];
            log += " \"" + text.toStdString() + "\", refused, Escape";
            editor->selectAll();
            if (text.isEmpty()) QTest::keyClick(editor, Qt::Key_Backspace);
            else QTest::keyClicks(editor, text);
            QTest::keyClick(editor, Qt::Key_Return);
            EXPECT_EQ(outline(t)->currentEditor(), editor) << "a refused date keeps its edit open";
            QTest::keyClick(editor, Qt::Key_Escape);
            settle(t, was, Expect::stepIfChanged, 1);
            return log;
        }
        const QDate day = QDate(1995, 1, 1).addDays(static_cast<qint64>(pick(41 * 365)));
        const bool shortYear = day.year() >= 2000 && chance(0.3);
        const QString text = QStringLiteral("%1/%2/%3")
                                 .arg(day.month())
                                 .arg(day.day())
                                 .arg(shortYear ? day.year() % 100 : day.year(), shortYear ? 2 : 1, 10, QLatin1Char('0'));
        log += " \"" + text.toStdString() + "\"";
        enterText(editor, text, true, log);
        commitEdit(t, editor, log);
        settle(t, was, Expect::stepIfChanged);
        return log;
    }

    std::string notesOperation(Tracked& t) {
        const ZRBicycleListPtr item = randomItem(t);
        if (!item) return "no item";
        selectItem(t, item.get());
        QPlainTextEdit* notes = t.document->notesView();
        std::string log = "notes of " + described(item.get());
        const Before was = before(t);
        if (chance(0.5)) {
            // A burst well over a second after the last: one step however many keys.
            typingClock += 1.5 + static_cast<double>(pick(3000)) / 1000.0;
            for (std::size_t bursts = 1 + pick(3); bursts > 0; --bursts) {
                const QString keys = randomNotesKeys();
                log += " typed \"" + keys.toStdString() + "\"";
                typeAt(notes, keys, typingClock);
                typingClock += static_cast<double>(pick(900)) / 1000.0;
            }
            EXPECT_EQ(item->notes(), notes->toPlainText().toStdString()) << "every key is written to the item";
            settle(t, was, Expect::oneStep);
            const ZRBicycleListPtr next = randomItem(t);
            if (next != item && chance(0.3)) {
                // Another item's notes within the second: a step of its own.
                selectItem(t, next.get());
                const Before nextWas = before(t);
                const QString keys = randomNotesKeys();
                log += ", then within a second notes of " + described(next.get()) + " typed \"" + keys.toStdString() + "\"";
                typingClock += 0.2;
                typeAt(notes, keys, typingClock);
                EXPECT_EQ(next->notes(), notes->toPlainText().toStdString());
                settle(t, nextWas, Expect::oneStep);
            }
        } else {
            const std::string text = chance(0.2) ? std::string() : randomText(false) + "\n" + randomText(false);
            log += " set to " + quoted(text);
            {
                const QSignalBlocker quiet(notes);
                notes->setPlainText(QString::fromStdString(text));
            }
            Application::performAsOneEvent([&] { t.document->_logNotesViewStringWithUndo(true); });
            settle(t, was, Expect::oneStep);
        }
        return log;
    }

    std::string clipboardOperation(Tracked& t, std::size_t items) {
        focusOutline(t);
        std::string log = randomSelection(t) + ", then ";
        const bool selection = outline(t)->numberOfSelectedRows() > 0;
        const bool clipboardHasItems =
            Pasteboard::generalPasteboard().availableTypeFromArray(_ZRBikeTableDataTypes()) == _ZRBikeTableDataTypes()[2];
        enum { copy, cut, paste, erase };
        static const char* const commands[] = {"copy:", "cut:", "paste:", "delete:"};
        static const char* const stepNames[] = {"", "Cut", "Paste", "Delete"};
        int kind = static_cast<int>(pick(4));
        if ((kind == cut || kind == erase) && items <= kFewestItems) kind = copy;
        if (kind == paste && items >= kMostItems) kind = copy;
        log += commands[kind];
        const Before was = before(t);
        Application::performAsOneEvent([&] { t.document->performAction(commands[kind], nullptr); });
        // Copy and Cut beep without a selection, Paste without items to paste.
        const bool beeps = kind == paste ? !clipboardHasItems : kind != erase && !selection;
        const bool changes = kind == cut || kind == erase ? selection : kind == paste && clipboardHasItems;
        settle(t, was, changes ? Expect::oneStep : Expect::stepIfChanged, beeps ? 1 : 0);
        if (changes) { EXPECT_EQ(t.document->undoManager().undoActionName(), stepNames[kind]); }
        return log;
    }

    // The selected rows (a random one if none) dragged onto, above or below
    // a row of TARGET, or below every row; moved, or copied.
    std::string dragOperation(Tracked& source, Tracked& target) {
        focusOutline(source);
        std::string log = randomSelection(source);
        OutlineView* from = outline(source);
        if (from->numberOfSelectedRows() == 0) {
            if (from->numberOfRows() == 0) return log + ", nothing to drag";
            from->selectRowByExtendingSelection(static_cast<long>(pick(static_cast<std::size_t>(from->numberOfRows()))), false);
            log += ", then one row";
        }
        QMimeData data;
        Pasteboard pasteboard(&data);
        std::vector<void*> dragged;
        for (const long row : from->selectedRowIndexes()) dragged.push_back(from->itemAtRow(row));
        EXPECT_TRUE(source.document->outlineViewWriteItemsToPasteboard(from, dragged, pasteboard));

        if (&target != &source && chance(0.5)) target.document->collapseAll();
        else target.document->expandAll();
        OutlineView* to = outline(target);
        QPoint point(10, to->viewport()->height() - 2);
        if (to->numberOfRows() > 0 && chance(0.9)) {
            const long row = static_cast<long>(pick(static_cast<std::size_t>(to->numberOfRows())));
            const QRect rect = to->visualRect(to->indexForItem(to->itemAtRow(row), 0));
            const int ys[] = {rect.top() + 1, rect.center().y(), rect.bottom() - 1};
            static const char* const where[] = {"above", "onto", "below"};
            const std::size_t at = pick(3);
            point = QPoint(rect.center().x(), ys[at]);
            log += ", dropped " + std::string(where[at]) + " " + described(static_cast<const ZRBicycleList*>(to->itemAtRow(row)));
        } else {
            log += ", dropped below every row";
        }
        const bool copy = chance(0.3);
        if (copy) log += " holding the copy key";
        if (&target != &source) log += " of " + target.path.toStdString();
        const DraggingInfo info(&data, from, copy);
        const Before was = before(source);
        const Before wasTarget = before(target);
        const DragOperation operation = to->draggingUpdated(point, info);
        if (operation == kDragOperationNone) {
            EXPECT_TRUE(&target == &source) << "only a drop onto a dragged item is refused";
            to->draggingEnded();
            settle(source, was, Expect::stepIfChanged);
            return log + ", refused";
        }
        EXPECT_EQ(operation, copy ? kDragOperationCopy : kDragOperationMove);
        Application::performAsOneEvent([&] { EXPECT_TRUE(to->performDragOperation(info)); });
        if (&target == &source) {
            // A drop may put items back where they were: a step that changes nothing.
            const bool stepped = source.document->undoManager().undoStepCount() > was.steps;
            settle(source, was, stepped ? Expect::oneStep : Expect::stepIfChanged);
        } else {
            // Each document records its own half of a move.
            settle(target, wasTarget, Expect::oneStep);
            settle(source, was, copy ? Expect::stepIfChanged : Expect::oneStep);
            if (!copy) { EXPECT_EQ(source.document->undoManager().undoActionName(), "Move"); }
        }
        if (target.document->undoManager().undoStepCount() > wasTarget.steps) {
            EXPECT_EQ(target.document->undoManager().undoActionName(), copy ? "Copy" : "Move");
        }
        return log;
    }

    std::string movingOperation(Tracked& t, std::size_t items) {
        if (items >= kMostItems || items <= kFewestItems || chance(0.5)) return clipboardOperation(t, items);
        Tracked& other = (*everyDocument)[pick(everyDocument->size())];
        if (&other == &t || chance(0.6)) return dragOperation(t, t);
        if (chance(0.5)) return "from " + other.path.toStdString() + ": " + dragOperation(other, t);
        return dragOperation(t, other);
    }

    std::string randomOperation(Tracked& t) {
        const std::size_t items = itemsBelow(t.document->theBike()).size();
        for (;;) {
            switch (pick(16)) {
            case 0: case 1: case 2:
                if (items >= kMostItems) continue;
                return addOperation(t);
            case 3: case 4:
                if (items <= kFewestItems) continue;
                return removeOperation(t);
            case 5: case 6: return textOperation(t, true);
            case 7: return textOperation(t, false);
            case 8: case 9: return dateOperation(t);
            case 10: case 11: return notesOperation(t);
            default: return movingOperation(t, items);
            }
        }
    }

    // ---- history

    void undoStep(Tracked& t) {
        undo(t.document);
        ASSERT_GT(t.position, 0u);
        --t.position;
        expectConsistent(t);
    }
    void redoStep(Tracked& t) {
        redo(t.document);
        ++t.position;
        expectConsistent(t);
    }
    void save(Tracked& t) {
        bool saved = false;
        Application::performAsOneEvent([&] { saved = t.document->saveDocument(); });
        EXPECT_TRUE(saved);
        t.savedAt = t.position;
        expectConsistent(t);
        EXPECT_TRUE(readWholeFile(t.path.toStdString()) == t.current) << "the file holds the record";
    }
    // The document showing its file afresh: nothing to undo, not edited.
    void track(Tracked& t) {
        ASSERT_NE(t.document, nullptr);
        activate(t);
        t.records = {recordBytes(t.document)};
        t.position = 0;
        t.savedAt = 0;
        expectConsistent(t);
    }
    void reopen(Tracked& t) {
        if (t.document->isDocumentEdited()) save(t);
        const auto record = t.current;
        t.document->close();
        processPendingEvents();
        t.document = open(t.path);
        track(t);
        EXPECT_TRUE(t.current == record) << "the file gives back the record saved";
    }
};

TEST_F(RandomEditingTest, EverySequenceUndoesToWhereItStartedAndRedoesToWhereItEnded) {
    const std::uint32_t seed = runSeed();
    SCOPED_TRACE("replay with COGBOOK_RANDOM_SEED=" + std::to_string(seed));
    rng.seed(seed);

    // Saving names the bike after the file: so named from the start, a save changes no record.
    std::vector<Tracked> documents(kDocuments);
    for (int i = 0; i < kDocuments; ++i) {
        const std::string name = "random" + std::to_string(i);
        Tracked& t = documents[static_cast<std::size_t>(i)];
        t.path = defaults.filePath(QString::fromStdString(name + ".cogbook"));
        t.document = documentShowing(randomStartTree(rng, name, 16 + static_cast<int>(pick(30))), t.path);
        ASSERT_NO_FATAL_FAILURE(track(t));
    }
    everyDocument = &documents;

    int operations = 0;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        Tracked& t = documents[pick(documents.size())];
        SCOPED_TRACE("sequence " + std::to_string(sequence) + " on " + t.path.toStdString());
        activate(t);
        std::vector<std::string> log;
        const auto report = [&] {
            std::ostringstream text;
            for (std::size_t i = 0; i < log.size(); ++i) text << "\n  " << i + 1 << ". " << log[i];
            return text.str();
        };

        const std::size_t start = t.position;
        const int count = kFewestOperations + static_cast<int>(pick(kMostOperations - kFewestOperations + 1));
        for (int i = 0; i < count; ++i) {
            log.push_back(randomOperation(t));
            ++operations;
            if (chance(0.04)) {
                save(t);
                log.push_back("saved");
            }
            ASSERT_FALSE(HasFailure()) << "after:" << report();
        }
        const std::size_t end = t.position;
        while (t.position > start) {
            undoStep(t);
            ASSERT_FALSE(HasFailure()) << "undoing to step " << t.position << " after:" << report();
        }
        if (chance(0.08)) { // saved with all to redo: redoing edits it again
            save(t);
            log.push_back("saved, all undone");
        }
        while (t.position < end) {
            redoStep(t);
            ASSERT_FALSE(HasFailure()) << "redoing to step " << t.position << " after:" << report();
        }

        // Now and then the next changes start part-way back, or from the file opened again.
        if (chance(0.2) && t.position > 0) {
            const std::size_t back = 1 + pick(std::min<std::size_t>(t.position, kMostOperations));
            for (std::size_t i = 0; i < back; ++i) undoStep(t);
            log.push_back("undone " + std::to_string(back) + " steps");
        } else if (chance(0.05)) {
            reopen(t);
            log.push_back("reopened");
        }
        ASSERT_FALSE(HasFailure()) << "after:" << report();
    }
    RecordProperty("operations", operations);
}

} // namespace
} // namespace cogbook
