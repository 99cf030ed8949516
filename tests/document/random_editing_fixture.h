// Seeded trees and texts, the user's gestures, and what each step of a
// document's history must hold, for the random editing test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "model/tree_helpers.h"
#include "platform/application.h"
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
// Bounds that keep every document worth editing.
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

inline std::vector<ZRBicycleListPtr> itemsBelow(const ZRBicycleList* bike) {
    std::vector<ZRBicycleListPtr> items;
    const std::function<void(const ZRBicycleList*)> walk = [&](const ZRBicycleList* parent) {
        for (std::size_t i = 0; i < parent->numberOfChildren(); ++i) {
            items.push_back(parent->childAtIndex(i));
            walk(items.back().get());
        }
    };
    walk(bike);
    return items;
}

// TYPEABLE: what a key event carries in one character. Only characters the
// default font draws: a fallback font's lookup leaks in the sanitizer build.
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

// COUNT items, often nested deep; names and dates as record files may hold them.
inline ZRBicycleListPtr randomStartTree(std::mt19937& rng, const std::string& bikeName, int count) {
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const auto randomDate = [&] {
        return Date(600'000'000.0 + static_cast<double>(pick(200'000'000)) + static_cast<double>(pick(1000)) / 1000.0);
    };
    auto bike = node(bikeName, true);
    std::vector<ZRBicycleListPtr> parts{bike};
    for (int i = 0; i < count; ++i) {
        const ZRBicycleListPtr parent = pick(2) == 0 ? parts.back() : parts[pick(parts.size())];
        const bool isPart = pick(3) == 0;
        const std::string name = isPart || pick(3) == 0 ? randomTextFrom(rng, false) : parent->partName();
        ZRBicycleListPtr item = node(name, isPart);
        if (!isPart) item->setDescription(randomTextFrom(rng, false));
        item->setNotes(pick(2) == 0 ? std::string() : randomTextFrom(rng, false));
        parent->insertChildPartOrEntryAtIndex(item, static_cast<std::int32_t>(pick(parent->numberOfChildren() + 1)));
        item->setDate(randomDate());
        if (parent != bike) parent->setDate(randomDate());
        if (isPart) parts.push_back(item);
    }
    bike->setDate(randomDate());
    return bike;
}

// One open document: the record after each step of its history, where the
// history stands, where the file's content is (if reachable), the record last checked.
struct Tracked {
    MyDocument* document = nullptr;
    QString path;
    std::vector<std::vector<std::uint8_t>> records;
    std::size_t position = 0;
    std::optional<std::size_t> savedAt = 0;
    std::vector<std::uint8_t> current;
};

class RandomEditingFixture : public test_support::DocumentTest {
protected:
    test_support::ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    test_support::ScopedTimeZone zone{"Europe/Berlin"};
    std::mt19937 rng;
    double typingClock = 1000.0;
    std::vector<Tracked>* everyDocument = nullptr;

    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(rng); }
    bool chance(double probability) { return std::bernoulli_distribution(probability)(rng); }
    std::string randomText(bool typeable) { return randomTextFrom(rng, typeable); }
    QString randomNotesKeys() {
        static const QString keys = QStringLiteral("abcdefghijklmnopqrstuvwxyz  .,-0123456789éüßΩж✓");
        QString text;
        for (std::size_t length = 1 + pick(6); length > 0; --length) text += keys[static_cast<qsizetype>(pick(keys.size()))];
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

    static OutlineView* outline(const Tracked& t) { return t.document->bikeTable(); }
    static void activate(const Tracked& t) { QApplication::setActiveWindow(t.document->documentWindow()); }
    // A click into the outline: the commands are its own, not a text view's.
    static void focusOutline(const Tracked& t) {
        Application::performAsOneEvent([&] { t.document->documentWindow()->makeFirstResponder(outline(t)); });
    }

    ZRBicycleListPtr randomItem(const Tracked& t) {
        const auto items = itemsBelow(t.document->theBike());
        return items.empty() ? nullptr : items[pick(items.size())];
    }

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

    // Return, Tab (then Escape), a click on the outline, or a switch to
    // another document's window.
    void commitEdit(const Tracked& t, QLineEdit* editor, std::string& log) {
        if (everyDocument != nullptr && QApplication::activeWindow() == t.document->documentWindow() &&
            chance(0.25)) {
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
        case 0: case 1:
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
            Application::performAsOneEvent([&] { ended = t.document->documentWindow()->makeFirstResponder(outline(t)); });
            EXPECT_TRUE(ended);
            log += ", clicked away";
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

    // One undo step, or one if (and only if) the record changed.
    enum class Expect { oneStep, stepIfChanged };
    struct Before {
        std::size_t steps;
        std::vector<std::uint8_t> record;
        int beeps;
    };
    Before before(const Tracked& t) const {
        return {t.document->undoManager().undoStepCount(), t.current, alerts.beeps};
    }

    void settle(Tracked& t, const Before& was, Expect expect, int expectedBeeps = 0) {
        std::vector<std::uint8_t> record = recordBytes(t.document);
        const bool changed = record != was.record;
        const auto steps = static_cast<long>(t.document->undoManager().undoStepCount()) - static_cast<long>(was.steps);
        EXPECT_EQ(steps, expect == Expect::oneStep || changed ? 1 : 0) << "undo steps made";
        EXPECT_EQ(alerts.beeps - was.beeps, expectedBeeps) << "beeps";
        if (steps == 1) {
            // A change where the file's content is only reached by redo loses it.
            if (t.savedAt && *t.savedAt > t.position) t.savedAt.reset();
            t.records.resize(t.position + 1);
            t.records.push_back(record);
            ++t.position;
        } else {
            EXPECT_FALSE(changed) << "a change without an undo step";
        }
        expectConsistent(t, std::move(record));
    }

    // The record booked at this step, the tree's invariants, the outline and
    // notes pane showing it, and edited unless at the saved step.
    void expectConsistent(Tracked& t) { expectConsistent(t, recordBytes(t.document)); }
    void expectConsistent(Tracked& t, std::vector<std::uint8_t> record) {
        MyDocument* document = t.document;
        const UndoManager& history = document->undoManager();
        ASSERT_LT(t.position, t.records.size());
        if (record != t.records[t.position]) {
            ADD_FAILURE() << "the record differs from the one at step " << t.position << ", "
                          << testing::treeDifference(*readRecordFile(t.records[t.position]), *readRecordFile(record));
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
};

} // namespace cogbook::random_editing
