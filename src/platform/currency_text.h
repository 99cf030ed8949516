// Amounts of money as the user reads them: the locale's number format with
// the symbol of a currency named by its ISO 4217 code.
#pragma once

#include <QLocale>
#include <QString>

namespace cogbook {

// The symbol people write for the currency CODE ("EUR" -> "€"), preferring
// the one used in LOCALE's language; the code itself where Qt knows none.
QString currencySymbolForCode(const QString& code, const QLocale& locale = QLocale());

// VALUE in LOCALE's currency format with CODE's symbol; without a code, the
// plain number with two decimals.
QString currencyText(double value, const QString& code, const QLocale& locale = QLocale());

} // namespace cogbook
