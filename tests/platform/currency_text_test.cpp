#include <gtest/gtest.h>

#include <QLocale>

#include "platform/currency_text.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

TEST(CurrencyText, UsesTheCodesSymbolInTheLocalesFormat) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Case {
        double value;
        const char* code;
        QLocale locale;
        QString expected;
    };
    const Case cases[] = {
        {1234.5, "USD", english, "$1,234.50"},
        {1234.5, "EUR", english, "\u20ac1,234.50"},  // a symbol from another English-speaking country
        {1234.5, "eur", german, "1.234,50\u00a0\u20ac"}, // the code in any case; the locale's order
        {12.0, "XYZ", english, "XYZ\u00a012.00"},    // no symbol known: the code itself, apart from the figures
        {1234.5, "", german, "1.234,50"},            // no currency: the plain number
    };
    for (const Case& each : cases)
        EXPECT_EQ(currencyText(each.value, QString::fromLatin1(each.code), each.locale), each.expected) << each.code;
}

} // namespace
} // namespace cogbook
