#include "document/service_columns.h"

#include "platform/currency_text.h"

#include <QCoreApplication>

#include <vector>

namespace cogbook {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("ServiceColumns", text); }

} // namespace

QStringList serviceColumnIdentifiers() {
    return {QLatin1String(kCostColumn), QLatin1String(kOdometerColumn), QLatin1String(kDueColumn)};
}

QString moneyText(double amount, const std::optional<std::string>& currency, const QLocale& locale) {
    return currencyText(amount, currency ? QString::fromStdString(*currency) : QString(), locale);
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
