// The outline's service columns (a service entry's cost and odometer reading,
// and what is due for a part) and the texts they and the status bar show:
// amounts in the record's currency, readings, and what each due state means.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "model/service_due.h"

namespace cogbook {

inline constexpr const char* kCostColumn = "cost";
inline constexpr const char* kOdometerColumn = "odometer";
inline constexpr const char* kDueColumn = "due";
// The columns the user may show or hide; hidden until first chosen.
QStringList serviceColumnIdentifiers();

// AMOUNT in LOCALE's currency format with the symbol of CURRENCY (an ISO 4217
// code; see currencyText). Without a currency, the plain number: a record
// kept in one country may be read in another.
QString moneyText(double amount, const std::optional<std::string>& currency, const QLocale& locale = QLocale());

// A cost as its cell shows it: two decimals in the locale's format.
QString costCellText(double cost, const QLocale& locale = QLocale());

// Three capital letters A to Z.
bool isCurrencyCode(const QString& code);
// The codes the currency field offers, most used first.
QStringList commonCurrencyCodes();

// The icon of a due state, and what it means.
const char* dueImageName(DueState state);
QString dueStateMeaning(DueState state);
// The marker of a part without an interval of its own with something due or
// overdue below it.
inline constexpr const char* kDueBelowImageName = "due-below";
QString dueBelowMeaning();

} // namespace cogbook
