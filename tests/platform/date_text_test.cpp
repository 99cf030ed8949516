#include <gtest/gtest.h>

#include "platform/date_text.h"

namespace cogbook {
namespace {

TEST(DateText, DaysAreReadInTheLocalesOrderWithTwoDigitYearsIn2000s) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale uk(QLocale::English, QLocale::UnitedKingdom);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QDate mayDay(2026, 5, 1);

    EXPECT_EQ(editingDateFormat(us), "M/d/yyyy");
    EXPECT_EQ(editingTextForDate(mayDay, us), "5/1/2026");
    EXPECT_EQ(dateFromEditingText("5/1/26", us), mayDay);
    EXPECT_EQ(dateFromEditingText(" 05/01/2026 ", us), mayDay);
    EXPECT_EQ(dateFromEditingText("1/5/26", uk), mayDay);
    EXPECT_EQ(dateFromEditingText("1.5.26", de), mayDay);
    EXPECT_EQ(dateFromEditingText("2026-05-01", us), mayDay) << "a leading four-digit year reads year first";
    EXPECT_EQ(dateFromEditingText("12/31/99", us), QDate(2099, 12, 31));
    EXPECT_EQ(dateFromEditingText("1/1/1999", us), QDate(1999, 1, 1)) << "a full year is taken as written";

    // What each locale writes, it reads back.
    for (const QLocale& locale : {us, uk, de, QLocale(QLocale::Japanese, QLocale::Japan)}) {
        EXPECT_EQ(dateFromEditingText(editingTextForDate(QDate(1987, 11, 30), locale), locale), QDate(1987, 11, 30))
            << locale.name().toStdString();
    }
}

TEST(DateText, AnythingThatIsNoDayIsRefused) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (const char* text : {"", "soon", "2/30/26", "13/1/26", "0/1/26", "1/2", "1/2/3/4", "12345/1/1",
                             "5/1/99999", "5/1/26 tomorrow", "--"}) {
        EXPECT_EQ(dateFromEditingText(QString::fromUtf8(text), us), std::nullopt) << text;
    }
}

} // namespace
} // namespace cogbook
