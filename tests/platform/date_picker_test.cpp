// A field where a day is typed: what it tells someone whose text it cannot
// read, and the calendar it drops down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <vector>

#include "platform/date_picker.h"
#include "platform/date_text.h"

namespace cogbook {
namespace {

TEST(DateTypingHint, ItsExamplesAreOneDayTheFieldReadsInEveryLocale) {
    const QRegularExpression examples(QStringLiteral("like (.+) or (.+)$"));
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::German),
                                  QLocale(QLocale::Japanese), QLocale(QLocale::Hungarian)}) {
        const auto match = examples.match(dateTypingHint(locale));
        ASSERT_TRUE(match.hasMatch()) << dateTypingHint(locale).toStdString();
        const auto first = dateFromEditingText(match.captured(1), locale);
        ASSERT_TRUE(first.has_value()) << match.captured(1).toStdString();
        EXPECT_EQ(first->month(), 5) << "day and month in the locale's order: " << match.captured(1).toStdString();
        EXPECT_EQ(dateFromEditingText(match.captured(2), locale), first) << locale.name().toStdString();
    }
}

class DatePickerTest : public testing::Test {
protected:
    void SetUp() override {
        window.resize(300, 80);
        field->move(10, 10);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
        QObject::connect(picker, &DatePicker::dayChosen, [this](QDate day) { chosen.push_back(day); });
    }
    static void key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget->focusProxy() ? widget->focusProxy() : widget, key, modifiers);
    }

    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
    DatePicker* picker = new DatePicker(field);
    std::vector<QDate> chosen;
};

TEST_F(DatePickerTest, OpensOnTheGivenDayWhenTheTextNamesNoneAndOnlyWhileActive) {
    key(field, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(picker->openCalendar(), nullptr) << "inactive";

    picker->setActive(true);
    picker->setFallbackDay(QDate(2024, 2, 29));
    field->setText(QStringLiteral("not a day"));
    key(field, Qt::Key_Down, Qt::AltModifier);
    QCalendarWidget* calendar = picker->openCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 2, 29));
    key(calendar, Qt::Key_Right);
    key(calendar, Qt::Key_Return);
    EXPECT_EQ(chosen, std::vector<QDate>{QDate(2024, 3, 1)});
    EXPECT_EQ(field->text(), "not a day") << "the receiver decides what becomes of the pick";

    // Turned off with its calendar open, it closes it.
    picker->popUp();
    picker->setActive(false);
    EXPECT_EQ(picker->openCalendar(), nullptr);
    EXPECT_FALSE(picker->buttonAction()->isVisible());
}

} // namespace
} // namespace cogbook
