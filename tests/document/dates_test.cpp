// Dates as entered, refused or picked, and the parts above following a paste or drop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QToolTip>

#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"
#include "platform/date_picker.h"
#include "platform/date_text.h"

namespace cogbook {
namespace {

using test_support::dated;
using test_support::entry;
using test_support::localDay;
using test_support::node;
using test_support::part;
using test_support::processPendingEvents;

class DatesTest : public test_support::DocumentTest {
protected:
    test_support::ScopedLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};

    // Bike › Front wheel › Hub › "Greased" (10 Jan 2026), and a Fork with an
    // entry of 2025, each part dated as its latest entry; the bike itself
    // dated 2020.
    MyDocument* showWheel(const char* name = "wheel.cogbook") {
        const Date greased = localDay(2026, 1, 10);
        auto root = dated(node("Bike", true,
                               {dated(part("Front wheel", {dated(part("Hub", {entry("Hub", "Greased", greased)}), greased)}),
                                      greased),
                                dated(part("Fork", {entry("Fork", "Checked", localDay(2025, 4, 2))}), localDay(2025, 4, 2))}),
                          localDay(2020, 1, 1));
        MyDocument* document = keyDocumentShowing(root, name);
        if (document == nullptr) return nullptr;
        document->expandAll();
        processPendingEvents();
        return document;
    }
    static void keyTo(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget->focusProxy() ? widget->focusProxy() : widget, key, modifiers);
        processPendingEvents();
    }
};

TEST_F(DatesTest, ARefusedDateSaysWhatToTypeAndKeepsTheEditOpen) {
    MyDocument* document = showWheel();
    ASSERT_NE(document, nullptr);
    ZRBicycleList* greased = nodeAt(document, {0, 0, 0});
    QLineEdit* editor = editCell(document, greased, "date");
    ASSERT_NE(editor, nullptr);

    editor->setText(QStringLiteral("hello"));
    keyTo(editor, Qt::Key_Return);
    const QString year = QString::number(QDate::currentDate().year());
    const QString expected = QStringLiteral("Type a date like 5/1/%1 or %2-05-01").arg(year.right(2), year);
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(document->bikeTable()->currentEditor(), editor);
    EXPECT_EQ(editor->text(), "hello");
    EXPECT_EQ(editor->toolTip(), expected);
    EXPECT_EQ(QToolTip::text(), expected) << "shown at once, not only on hover";
    EXPECT_EQ(document->undoManager().undoStepCount(), 0u);

    // A day ends the edit, and the explanation with it; the next edit of
    // the shared editor starts without one.
    editor->setText(QStringLiteral("2/3/26"));
    keyTo(editor, Qt::Key_Return);
    EXPECT_EQ(document->bikeTable()->currentEditor(), nullptr);
    EXPECT_EQ(greased->date(), localDay(2026, 2, 3));
    ASSERT_EQ(editCell(document, greased, "date"), editor);
    EXPECT_TRUE(editor->toolTip().isEmpty());
}

TEST_F(DatesTest, TheCalendarOpensOnTheCellsDayAndItsPickIsOneDateChange) {
    MyDocument* document = showWheel();
    ASSERT_NE(document, nullptr);
    ZRBicycleList* greased = nodeAt(document, {0, 0, 0});
    ZRBicycleList* hub = nodeAt(document, {0, 0});
    ZRBicycleList* wheel = nodeAt(document, {0});
    const auto before = recordBytes(document);
    QLineEdit* editor = editCell(document, greased, "date");
    ASSERT_NE(editor, nullptr);
    DatePicker* picker = DatePicker::of(editor);
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(picker->buttonAction()->isVisible());

    // The button opens it; Escape closes it and the edit goes on as it was.
    picker->buttonAction()->trigger();
    processPendingEvents();
    QCalendarWidget* calendar = picker->openCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 1, 10));
    keyTo(calendar, Qt::Key_Escape);
    EXPECT_EQ(picker->openCalendar(), nullptr);
    EXPECT_EQ(document->bikeTable()->currentEditor(), editor);
    EXPECT_EQ(editor->text(), "1/10/2026");
    EXPECT_EQ(QApplication::focusWidget(), editor);

    // Alt+Down opens it on the day typed so far; a week on, Enter.
    editor->setText(QStringLiteral("3/2/26"));
    keyTo(editor, Qt::Key_Down, Qt::AltModifier);
    calendar = picker->openCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 3, 2));
    keyTo(calendar, Qt::Key_Down);
    Application::performAsOneEvent([&] { keyTo(calendar, Qt::Key_Return); });

    EXPECT_EQ(picker->openCalendar(), nullptr);
    EXPECT_EQ(document->bikeTable()->currentEditor(), nullptr);
    EXPECT_EQ(greased->date(), localDay(2026, 3, 9)) << "the day picked, at the time of day it had";
    EXPECT_EQ(hub->date(), greased->date());
    EXPECT_EQ(wheel->date(), greased->date());
    EXPECT_EQ(document->theBike()->date(), localDay(2020, 1, 1));
    EXPECT_EQ(document->undoManager().undoStepCount(), 1u);
    EXPECT_EQ(document->undoManager().undoMenuItemTitle(), "Undo Date Change");
    undo(document);
    EXPECT_EQ(recordBytes(document), before);

    // The same shared editor on a text column offers no calendar.
    OutlineView* view = document->bikeTable();
    view->editColumnRowWithEventSelect(view->columnWithIdentifier(QStringLiteral("description")),
                                       view->rowForItem(greased), nullptr, true);
    ASSERT_EQ(view->currentEditor(), editor);
    EXPECT_FALSE(picker->buttonAction()->isVisible());
    keyTo(editor, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(picker->openCalendar(), nullptr);
}

TEST_F(DatesTest, PastedAndDroppedItemsRollTheDatesUpAndAMoveLowersNone) {
    MyDocument* target = showWheel("target.cogbook");
    ASSERT_NE(target, nullptr);
    auto other =
        node("Bike", true, {dated(part("Rear wheel", {entry("Rear wheel", "Trued", localDay(2026, 6, 1))}), localDay(2026, 6, 1))});
    MyDocument* source = documentShowing(other, defaults.filePath(QStringLiteral("source.cogbook")));
    ASSERT_NE(source, nullptr);
    source->expandAll();
    ZRBicycleList* rear = nodeAt(source, {0});
    ZRBicycleList* trued = nodeAt(source, {0, 0});
    ZRBicycleList* hub = nodeAt(target, {0, 0});
    const auto before = recordBytes(target);

    // Copied in one window, pasted under the hub in the other (an add files
    // through the same step).
    QApplication::setActiveWindow(source->documentWindow());
    select(source, {trued});
    perform(source, "copy:");
    QApplication::setActiveWindow(target->documentWindow());
    select(target, {hub});
    perform(target, "paste:");
    EXPECT_EQ(hub->date(), localDay(2026, 6, 1));
    EXPECT_EQ(nodeAt(target, {0})->date(), localDay(2026, 6, 1));
    EXPECT_EQ(nodeAt(target, {1})->date(), localDay(2025, 4, 2)) << "a part beside it keeps its date";
    EXPECT_EQ(target->theBike()->date(), localDay(2020, 1, 1));
    undo(target);
    EXPECT_EQ(recordBytes(target), before);

    // Dragged from the source onto the fork: a move.
    QApplication::setActiveWindow(source->documentWindow());
    select(source, {trued});
    ZRBicycleList* fork = nodeAt(target, {1});
    ASSERT_TRUE(drop(target, startDrag(source, {trued}).get(), pointAt(target, fork, test_support::At::On), false,
                     source->bikeTable()));
    ASSERT_EQ(fork->numberOfChildren(), 2u);
    EXPECT_EQ(fork->date(), localDay(2026, 6, 1));
    EXPECT_EQ(rear->numberOfChildren(), 0u);
    EXPECT_EQ(rear->date(), localDay(2026, 6, 1)) << "what went away lowers no date";
    undo(target);
    EXPECT_EQ(recordBytes(target), before);
}

} // namespace
} // namespace cogbook
