// What the random editing test drives and checks documents with: seeded
// trees and texts, the user's gestures on a document, and the record each
// step of its history must hold.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "document/ZRSWDocumentNames.h"
#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "platform/pasteboard.h"
#include "model/tree_helpers.h"
#include "platform/application.h"
#include "support/gui_support.h"
#include "support/scoped_time_zone.h"

namespace cogbook::random_editing {

using test_support::node;
using test_support::processPendingEvents;
using test_support::typeAt;

constexpr std::uint32_t kDefaultSeed = 20240611;
constexpr int kDocuments = 4;
constexpr int kSequences = 360;
constexpr int kFewestOperations = 5;
constexpr int kMostOperations = 15;
// Past this many items the sequences stop adding; below the fewest they stop
// removing, so that every document stays worth editing.
constexpr std::size_t kMostItems = 70;
constexpr std::size_t kFewestItems = 4;

inline std::uint32_t runSeed() {
    const char* text = std::getenv("COGBOOK_RANDOM_SEED");
    if (text == nullptr || *text == '\0') return kDefaultSeed;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0') ADD_FAILURE() << "COGBOOK_RANDOM_SEED is no number: " << text;
    return static_cast<std::uint32_t>(value);
}

inline Date dayAt(int year, int month, int dayOfMonth, int hour, int minute) {
    return Date::fromUnixSeconds(static_cast<double>(
        QDateTime(QDate(year, month, dayOfMonth), QTime(hour, minute)).toSecsSinceEpoch()));
}

// Six levels deep, with entries named apart from their parts and parts dated
// before (and after) their latest child, as record files may hold them.
inline ZRBicycleListPtr deepTree(const std::string& bikeName) {
    using test_support::dated;
    using test_support::entry;
    using test_support::part;
    auto bearings = dated(part("Bearings", {entry("Cups", "Greased", dayAt(2021, 5, 2, 9, 15), "Shimano\ncups"),
                                            dated(part("Races"), dayAt(2017, 1, 1, 12, 0))}),
                          dayAt(2025, 3, 1, 10, 0));
    auto headset = dated(part("Headset", {entry("Headset", "Adjusted", dayAt(2022, 7, 3, 18, 45), "creaks"), bearings}),
                         dayAt(2018, 6, 1, 8, 0));
    auto fork = dated(part("Fork", {entry("Fork", "Oil changed", dayAt(2023, 4, 4, 11, 0)), headset}),
                      dayAt(2019, 2, 2, 7, 30));
    auto frame = dated(part("Frame", {entry("Frame", "Serviced", dayAt(2020, 8, 8, 8, 8)),
                                      entry("Respray", "Blue ✓", dayAt(2024, 9, 9, 9, 9), "Crème"), fork}),
                       dayAt(2020, 8, 8, 8, 8));
    auto chain = dated(part("Chain", {entry("Waxed chain", "", dayAt(2024, 2, 2, 6, 0), "Цепь 𝖢𝗁𝖺𝗂𝗇"),
                                      entry("Chain", "Replaced", dayAt(2023, 12, 12, 6, 0))}),
                       dayAt(2024, 1, 1, 6, 0));
    auto drivetrain = dated(part("Drivetrain", {chain, dated(part("Cassette"), dayAt(2021, 1, 1, 0, 0))}),
                            dayAt(2022, 1, 1, 0, 30));
    auto bike = part(bikeName, {frame, drivetrain, entry("Annual check", "Serviced", dayAt(2023, 3, 3, 3, 3))});
    bike->setDate(dayAt(2016, 1, 1, 12, 0));
    return bike;
}

// Every item below the bike, parent before children.
inline std::vector<ZRBicycleListPtr> itemsBelow(const ZRBicycleList* bike) {
    std::vector<ZRBicycleListPtr> items;
    std::vector<const ZRBicycleList*> parents{bike};
    std::vector<std::size_t> next{0};
    while (!parents.empty()) {
        const ZRBicycleList* parent = parents.back();
        if (next.back() == parent->numberOfChildren()) {
            parents.pop_back();
            next.pop_back();
            continue;
        }
        const ZRBicycleListPtr& child = parent->childAtIndex(next.back()++);
        items.push_back(child);
        parents.push_back(child.get());
        next.push_back(0);
    }
    return items;
}

// Names, descriptions and notes: empty ones, other scripts, and characters
// beyond the basic plane; TYPEABLE leaves out what a key event cannot carry
// in one character. Every character is one the default font draws: for any
// other, the text layout asks fontconfig for a fallback font, and what that
// lookup caches is never freed, which the leak checker of the sanitizer
// build reports.
inline std::string randomTextFrom(std::mt19937& rng, bool typeable) {
    static const std::vector<std::string> typed = {"", "Chain", "Brake pads", "Crème brûlée", "Ünïcode ✓",
                                                   "Ωmega", "Цепь", "שרשרת", "quote \"x\"", "<xml & stuff>",
                                                   "  spaced  ", "Tyre", "Ölwechsel"};
    static const std::vector<std::string> pasted = {"𝖢𝗁𝖺𝗂𝗇 ✓", "line one\nline two", "tab\there", "𝟘𝟙𝟚"};
    const auto pick = [&](std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(rng); };
    std::string text = typeable || pick(5) < 3 ? typed[pick(typed.size())] : pasted[pick(pasted.size())];
    if (pick(5) < 2) text += " " + std::to_string(pick(1000));
    return text;
}

// A bike with COUNT items of random shape below it: entries named after
// their part or not, parts dated anywhere around their children's dates.
inline ZRBicycleListPtr randomStartTree(std::mt19937& rng, const std::string& bikeName, int count) {
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const auto randomDate = [&] {
        return Date(600'000'000.0 + static_cast<double>(pick(200'000'000)) + static_cast<double>(pick(1000)) / 1000.0);
    };
    auto bike = node(bikeName, true);
    std::vector<ZRBicycleListPtr> parts{bike};
    for (int i = 0; i < count; ++i) {
        const ZRBicycleListPtr parent = parts[pick(parts.size())];
        const bool isPart = pick(3) == 0;
        ZRBicycleListPtr item;
        if (isPart) {
            item = node(randomTextFrom(rng, false), true);
        } else {
            item = test_support::entry(pick(3) == 0 ? randomTextFrom(rng, false) : parent->partName(),
                                       randomTextFrom(rng, false), Date());
        }
        item->setNotes(pick(2) == 0 ? std::string() : randomTextFrom(rng, false));
        parent->insertChildPartOrEntryAtIndex(item, static_cast<std::int32_t>(pick(parent->numberOfChildren() + 1)));
        item->setDate(randomDate());
        if (parent != bike) parent->setDate(randomDate());
        if (isPart) parts.push_back(item);
    }
    return bike;
}

// One open document and what its history must hold.
struct Tracked {
    MyDocument* document = nullptr;
    QString path;
    // The record after each undo step from the start of the history.
    std::vector<std::vector<std::uint8_t>> records;
    std::size_t position = 0;
    // Where in the history the file's content is, if undo or redo can get there.
    std::optional<std::size_t> savedAt = 0;
    // The record as last checked.
    std::vector<std::uint8_t> current;
};

class RandomEditingFixture : public test_support::DocumentTest {
protected:
    // Dates typed and shown the United States way.
    test_support::ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};

    // ---- randomness

    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(rng); }
    bool chance(double probability) { return std::bernoulli_distribution(probability)(rng); }
    template <typename T>
    const T& oneOf(const std::vector<T>& values) {
        return values[pick(values.size())];
    }

    std::string randomText(bool typeable) { return randomTextFrom(rng, typeable); }
    QString randomNotesKeys() {
        static const QString keys = QStringLiteral("abcdefghijklmnopqrstuvwxyz  .,-0123456789éüßΩж✓");
        QString text;
        const std::size_t length = 1 + pick(6);
        for (std::size_t i = 0; i < length; ++i) text += keys[static_cast<qsizetype>(pick(keys.size()))];
        return text;
    }
    // Some dates move parts on, others back, some stay.
    Date randomDate(const ZRBicycleList& item) {
        const double now = item.date().timeIntervalSinceReferenceDate();
        const ZRBicycleListPtr parent = item.parent();
        switch (pick(5)) {
        case 0: return item.date();
        case 1: return Date(now - 1.0 - static_cast<double>(pick(400'000'000)));
        case 2: {
            const double above = parent ? parent->date().timeIntervalSinceReferenceDate() : now;
            return Date(std::max(now, above) + 1.0 + static_cast<double>(pick(50'000'000)) + 0.25);
        }
        default:
            return Date(-200'000'000.0 + static_cast<double>(pick(1'200'000'000)) +
                        static_cast<double>(pick(1000)) / 1000.0);
        }
    }
    QDate randomDay() {
        return QDate(1995, 1, 1).addDays(static_cast<qint64>(pick(41 * 365)));
    }

    // ---- driving the document as the user does

    static OutlineView* outline(const Tracked& t) { return t.document->bikeTable(); }

    static void activate(const Tracked& t) { QApplication::setActiveWindow(t.document->documentWindow()); }

    // A random item below the bike; null when there is none.
    ZRBicycleListPtr randomItem(const Tracked& t) {
        const auto items = itemsBelow(t.document->theBike());
        return items.empty() ? nullptr : items[pick(items.size())];
    }

    // Selects ITEM's row as a click does (its ancestors expanded first).
    void selectRow(const Tracked& t, const ZRBicycleList* item) {
        t.document->expandAll();
        const long row = outline(t)->rowForItem(item);
        ASSERT_NE(row, kOutlineNoRow);
        outline(t)->selectRowByExtendingSelection(row, false);
    }

    // Nothing, one row or two rows selected, among the rows shown.
    std::string randomSelection(const Tracked& t) {
        OutlineView* view = outline(t);
        if (chance(0.3)) t.document->collapseAll();
        else t.document->expandAll();
        const long rows = view->numberOfRows();
        if (rows == 0 || chance(0.2)) {
            view->deselectAll();
            return "no row selected";
        }
        const long first = static_cast<long>(pick(static_cast<std::size_t>(rows)));
        view->selectRowByExtendingSelection(first, false);
        std::string text = "row " + std::to_string(first);
        if (rows > 1 && chance(0.15)) {
            const long second = (first + 1 + static_cast<long>(pick(static_cast<std::size_t>(rows - 1)))) % rows;
            view->selectRowByExtendingSelection(second, true);
            text += " and row " + std::to_string(second);
        }
        return text + " selected";
    }

    // Opens the edit of ITEM's cell in COLUMN.
    QLineEdit* editCell(const Tracked& t, const ZRBicycleList* item, const char* column) {
        t.document->expandAll();
        OutlineView* view = outline(t);
        const long row = view->rowForItem(item);
        EXPECT_NE(row, kOutlineNoRow);
        view->editColumnRowWithEventSelect(view->columnWithIdentifier(QLatin1String(column)), row, nullptr, true);
        auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
        EXPECT_NE(editor, nullptr) << "no edit opened in " << column;
        return editor;
    }

    // Puts TEXT into the open editor, by typing when it can be typed.
    void enterText(QLineEdit* editor, const QString& text, bool typeable, std::string& log) {
        if (typeable && chance(0.7)) {
            editor->selectAll();
            if (text.isEmpty()) QTest::keyClick(editor, Qt::Key_Backspace);
            else typeAt(editor, text);
            log += " typed";
        } else {
            editor->setText(text);
            log += " pasted";
        }
    }

    // Every open document, for the actions that reach another one.
    std::vector<Tracked>* everyDocument = nullptr;

    // Ends the open edit the way the user might: Return, Tab (then leaving
    // the next cell with Escape), a click on the outline, or a switch to
    // another document's window, which ends the edit only once that window
    // is already the active one.
    void commitEdit(const Tracked& t, QLineEdit* editor, std::string& log) {
        if (everyDocument != nullptr && everyDocument->size() > 1 &&
            QApplication::activeWindow() == t.document->documentWindow() && chance(0.25)) {
            Tracked& other = (*everyDocument)[pick(everyDocument->size())];
            if (&other != &t) {
                const Before otherWas = before(other);
                activate(other);
                log += ", switched to " + other.path.toStdString();
                EXPECT_EQ(outline(t)->currentEditor(), nullptr) << "the switch ends the edit";
                EXPECT_EQ(other.document->undoManager().undoStepCount(), otherWas.steps)
                    << "the other document's history takes no step of this one";
                expectConsistent(other);
                return;
            }
        }
        switch (pick(4)) {
        case 0:
        case 1:
            QTest::keyClick(editor, Qt::Key_Return);
            log += ", Return";
            break;
        case 2:
            QTest::keyClick(editor, Qt::Key_Tab);
            log += ", Tab";
            if (auto* next = qobject_cast<QLineEdit*>(outline(t)->currentEditor())) {
                QTest::keyClick(next, Qt::Key_Escape);
                log += ", Escape";
            }
            break;
        default: {
            bool ended = false;
            Application::performAsOneEvent(
                [&] { ended = t.document->documentWindow()->makeFirstResponder(outline(t)); });
            EXPECT_TRUE(ended);
            log += ", clicked away";
            break;
        }
        }
        EXPECT_EQ(outline(t)->currentEditor(), nullptr) << "the edit is over";
    }

    static std::string quoted(const std::string& text) {
        std::string result = "\"";
        for (const char c : text) result += c == '\n' ? std::string("\\n") : std::string(1, c);
        return result + "\"";
    }
    static std::string described(const ZRBicycleList* item) {
        return quoted(item->partName()) + (item->expandable() ? " (part)" : " (entry)");
    }

    // ---- what the test expects

    // How many undo steps an action is to make: exactly one, or one if (and
    // only if) it changed the record.
    struct Expect {
        bool oneIfChanged;
    };
    static constexpr Expect kOneStep{false};
    static constexpr Expect kStepIfChanged{true};

    struct Before {
        std::size_t steps;
        std::vector<std::uint8_t> record;
        int beeps;
    };
    Before before(const Tracked& t) const {
        return {t.document->undoManager().undoStepCount(), t.current, alerts.beeps};
    }

    // Books what an action did to the history and checks the document.
    void settle(Tracked& t, const Before& was, Expect expect, int expectedBeeps = 0) {
        std::vector<std::uint8_t> record = recordBytes(t.document);
        const bool changed = record != was.record;
        const auto steps = static_cast<long>(t.document->undoManager().undoStepCount()) - static_cast<long>(was.steps);
        EXPECT_EQ(steps, expect.oneIfChanged ? (changed ? 1 : 0) : 1) << "undo steps made";
        EXPECT_EQ(alerts.beeps - was.beeps, expectedBeeps) << "beeps";
        if (steps == 1) {
            // A change made where the file's content is only to be had by
            // redo leaves no way back to it.
            if (t.savedAt && *t.savedAt > t.position) t.savedAt.reset();
            t.records.resize(t.position + 1);
            t.records.push_back(record);
            ++t.position;
        } else {
            EXPECT_FALSE(changed) << "a change without an undo step";
        }
        expectConsistent(t, std::move(record));
    }

    // The record is the one booked at this point of the history, the tree
    // keeps its invariants, the outline and the notes pane show it, and the
    // document is edited unless the history stands where the file was saved.
    void expectConsistent(Tracked& t) { expectConsistent(t, recordBytes(t.document)); }
    void expectConsistent(Tracked& t, std::vector<std::uint8_t> record) {
        MyDocument* document = t.document;
        const UndoManager& history = document->undoManager();
        ASSERT_LT(t.position, t.records.size());
        const std::vector<std::uint8_t>& booked = t.records[t.position];
        if (record != booked) {
            ADD_FAILURE() << "the record differs from the one at step " << t.position << ", "
                          << testing::treeDifference(*readRecordFile(booked), *readRecordFile(record));
        }
        t.current = std::move(record);
        const auto violation = findInvariantViolation(*document->theBike());
        EXPECT_FALSE(violation.has_value()) << *violation;
        EXPECT_EQ(history.undoStepCount(), t.position);
        EXPECT_EQ(history.redoStepCount(), t.records.size() - 1 - t.position);
        EXPECT_EQ(history.canUndo(), t.position > 0);
        EXPECT_EQ(history.canRedo(), t.position + 1 < t.records.size());
        EXPECT_EQ(document->isDocumentEdited(), t.savedAt != t.position)
            << "at step " << t.position << ", saved at "
            << (t.savedAt ? std::to_string(*t.savedAt) : std::string("a state no longer reachable"));
        EXPECT_EQ(document->documentWindow()->isWindowModified(), document->isDocumentEdited());
        EXPECT_TRUE(alerts.messages.empty()) << alerts.messages.front().text.toStdString() << " "
                                             << alerts.messages.front().detail.toStdString();

        // The rows are the tree's items in order, below every expanded part.
        OutlineView* view = outline(t);
        std::vector<const void*> expected;
        const std::function<void(const ZRBicycleList*)> walk = [&](const ZRBicycleList* parent) {
            for (std::size_t i = 0; i < parent->numberOfChildren(); ++i) {
                const ZRBicycleList* child = parent->childAtIndex(i).get();
                expected.push_back(child);
                if (child->hasChildren() && view->isItemExpanded(child)) walk(child);
            }
        };
        walk(document->theBike());
        std::vector<const void*> shown;
        for (long row = 0; row < view->numberOfRows(); ++row) shown.push_back(view->itemAtRow(row));
        EXPECT_TRUE(shown == expected) << "the outline shows " << shown.size() << " rows for " << expected.size()
                                       << " items, or another order";

        if (view->numberOfSelectedRows() == 1) {
            const auto* selected = static_cast<const ZRBicycleList*>(view->itemAtRow(view->selectedRow()));
            ASSERT_NE(selected, nullptr);
            EXPECT_EQ(document->notesView()->toPlainText().toStdString(), selected->notes())
                << "the notes pane shows the selected item's notes";
            EXPECT_FALSE(document->notesView()->isReadOnly());
        }
    }


    std::mt19937 rng;
    double typingClock = 1000.0;
    test_support::ScopedTimeZone zone{"Europe/Berlin"};
};

} // namespace cogbook::random_editing
