// Dates as the user reads and types them: the locale's short date format,
// with the year always written in full for editing.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

namespace cogbook {

// The locale's short date format with a four-digit year ("M/d/yyyy" where
// the short format is "M/d/yy").
QString editingDateFormat(const QLocale& locale);
QString editingTextForDate(QDate date, const QLocale& locale);

// Reads a day typed in the order of the locale's short format (any
// separators). A year of one or two digits means 20YY; a first field of four
// digits reads the text as year-month-day. Answers nothing for anything that
// is not a real day.
std::optional<QDate> dateFromEditingText(const QString& text, const QLocale& locale);

// What to type, for someone whose text was refused: two examples of one day,
// in the locale's short format and year first ("Type a date like 5/1/26 or
// 2026-05-01"). Both read back as that day.
QString dateTypingHint(const QLocale& locale);

} // namespace cogbook
