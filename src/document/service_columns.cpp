#include "document/service_columns.h"

#include <QCoreApplication>
#include <QHash>

#include <vector>

namespace cogbook {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("ServiceColumns", text); }

// Per currency code, the locales whose currency it is, found once.
const QHash<QString, std::vector<QLocale>>& localesByCurrency() {
    static const QHash<QString, std::vector<QLocale>> table = [] {
        QHash<QString, std::vector<QLocale>> byCode;
        for (const QLocale& locale :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            const QString code = locale.currencySymbol(QLocale::CurrencyIsoCode);
            if (!code.isEmpty()) byCode[code].push_back(locale);
        }
        return byCode;
    }();
    return table;
}

QString currencySymbol(const QString& code, const QLocale& locale) {
    if (locale.currencySymbol(QLocale::CurrencyIsoCode) == code) return locale.currencySymbol(QLocale::CurrencySymbol);
    const auto found = localesByCurrency().constFind(code);
    if (found == localesByCurrency().cend() || found->empty()) return code;
    for (const QLocale& candidate : *found) {
        if (candidate.language() == locale.language()) return candidate.currencySymbol(QLocale::CurrencySymbol);
    }
    // The locale of the currency's own language and country comes first
    // among those Qt lists for it; the others often add the country.
    return found->front().currencySymbol(QLocale::CurrencySymbol);
}

bool isLetter(QChar c) { return c.isLetter(); }

} // namespace

QStringList serviceColumnIdentifiers() {
    return {QLatin1String(kCostColumn), QLatin1String(kOdometerColumn), QLatin1String(kDueColumn)};
}

QString moneyText(double amount, const std::optional<std::string>& currency, const QLocale& locale) {
    if (!currency) return locale.toCurrencyString(amount);
    const QString symbol = currencySymbol(QString::fromStdString(*currency), locale);
    QString text = locale.toCurrencyString(amount, symbol);
    // A code written against the figures ("CHF12.50") reads as one word.
    if (!symbol.isEmpty() && isLetter(symbol.back()) && text.startsWith(symbol) && text.size() > symbol.size() &&
        !text.at(symbol.size()).isSpace()) {
        text.insert(symbol.size(), QChar(0x00A0));
    } else if (!symbol.isEmpty() && isLetter(symbol.front()) && text.endsWith(symbol) &&
               text.size() > symbol.size() && !text.at(text.size() - symbol.size() - 1).isSpace()) {
        text.insert(text.size() - symbol.size(), QChar(0x00A0));
    }
    return text;
}

QString costCellText(double cost, const QLocale& locale) { return locale.toString(cost, 'f', 2); }

bool isCurrencyCode(const QString& code) {
    if (code.size() != 3) return false;
    for (const QChar c : code) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z')) return false;
    }
    return true;
}

QStringList commonCurrencyCodes() {
    return {QStringLiteral("EUR"), QStringLiteral("USD"), QStringLiteral("GBP"), QStringLiteral("CHF"),
            QStringLiteral("JPY"), QStringLiteral("CAD"), QStringLiteral("AUD"), QStringLiteral("NZD"),
            QStringLiteral("SEK"), QStringLiteral("NOK"), QStringLiteral("DKK"), QStringLiteral("PLN"),
            QStringLiteral("CZK"), QStringLiteral("HUF"), QStringLiteral("CNY"), QStringLiteral("INR"),
            QStringLiteral("BRL"), QStringLiteral("MXN"), QStringLiteral("ZAR")};
}

const char* dueImageName(DueState state) {
    switch (state) {
    case DueState::overdue: return "due-overdue";
    case DueState::due: return "due-due";
    case DueState::soon: return "due-soon";
    case DueState::ok: return "due-ok";
    case DueState::unknown: break;
    }
    return "due-unknown";
}

QString dueStateMeaning(DueState state) {
    switch (state) {
    case DueState::overdue: return tr("Overdue: the service interval has passed");
    case DueState::due: return tr("Due: service is wanted now");
    case DueState::soon: return tr("Soon: within the last tenth of the service interval");
    case DueState::ok: return tr("In good time");
    case DueState::unknown: break;
    }
    return tr("Not known: no odometer reading to measure the distance by");
}

QString dueBelowMeaning() { return tr("Something below this part is due or overdue"); }

} // namespace cogbook
