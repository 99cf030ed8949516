#include "platform/currency_text.h"

#include <QHash>

namespace cogbook {

QString currencySymbolForCode(const QString& code, const QLocale& locale) {
    const QString upper = code.trimmed().toUpper();
    if (upper.isEmpty()) return upper;
    if (locale.currencySymbol(QLocale::CurrencyIsoCode) == upper) return locale.currencySymbol(QLocale::CurrencySymbol);
    // Scanning every locale is slow: once per code and language.
    static QHash<QString, QString> known;
    const QString key = upper + QLatin1Char('/') + QString::number(locale.language());
    if (const auto found = known.constFind(key); found != known.cend()) return *found;
    QString symbol;
    for (const QLocale& candidate :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        if (candidate.currencySymbol(QLocale::CurrencyIsoCode) != upper) continue;
        const QString own = candidate.currencySymbol(QLocale::CurrencySymbol);
        if (own.isEmpty()) continue;
        if (candidate.language() == locale.language()) {
            symbol = own;
            break;
        }
        if (symbol.isEmpty()) symbol = own;
    }
    if (symbol.isEmpty()) symbol = upper;
    known.insert(key, symbol);
    return symbol;
}

QString currencyText(double value, const QString& code, const QLocale& locale) {
    if (code.trimmed().isEmpty()) return locale.toString(value, 'f', 2);
    const QString symbol = currencySymbolForCode(code, locale);
    QString text = locale.toCurrencyString(value, symbol);
    // A code written against the figures ("CHF12.50") reads as one word.
    const auto isLetter = [](QChar c) { return c.isLetter(); };
    if (!symbol.isEmpty() && isLetter(symbol.back()) && text.startsWith(symbol) && text.size() > symbol.size() &&
        !text.at(symbol.size()).isSpace()) {
        text.insert(symbol.size(), QChar(0x00A0));
    } else if (!symbol.isEmpty() && isLetter(symbol.front()) && text.endsWith(symbol) &&
               text.size() > symbol.size() && !text.at(text.size() - symbol.size() - 1).isSpace()) {
        text.insert(text.size() - symbol.size(), QChar(0x00A0));
    }
    return text;
}

} // namespace cogbook
