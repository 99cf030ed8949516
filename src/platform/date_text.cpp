#include "platform/date_text.h"

#include <QCoreApplication>
#include <QStringList>

#include <array>
#include <utility>

namespace cogbook {
namespace {

// The order of day, month and year in a date format; letters inside quotes
// are literal text.
QString fieldOrder(const QString& format) {
    QString order;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted) continue;
        const char letter = c.toLatin1();
        if ((letter == 'd' || letter == 'M' || letter == 'y') && !order.contains(QLatin1Char(letter)))
            order += QLatin1Char(letter);
    }
    return order;
}

} // namespace

QString editingDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Widen the year field to four letters, whatever its width.
    const qsizetype first = format.indexOf(QLatin1Char('y'));
    if (first < 0) return format;
    qsizetype last = first;
    while (last + 1 < format.size() && format[last + 1] == QLatin1Char('y')) ++last;
    format.replace(first, last - first + 1, QStringLiteral("yyyy"));
    return format;
}

QString editingTextForDate(QDate date, const QLocale& locale) {
    return date.isValid() ? locale.toString(date, editingDateFormat(locale)) : QString();
}

std::optional<QDate> dateFromEditingText(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    QStringList fields;
    QString current;
    for (const QChar c : trimmed) {
        if (c.isDigit()) {
            current += c;
            continue;
        }
        // Letters mean month names or words: not a numeric day.
        if (c.isLetter()) {
            const QDate named = locale.toDate(trimmed, editingDateFormat(locale));
            if (named.isValid()) return named;
            return std::nullopt;
        }
        if (!current.isEmpty()) fields << std::exchange(current, QString());
    }
    if (!current.isEmpty()) fields << current;
    if (fields.size() != 3) return std::nullopt;

    QString order = fieldOrder(locale.dateFormat(QLocale::ShortFormat));
    if (order.size() != 3) order = QStringLiteral("dMy");
    if (fields[0].size() == 4) order = QStringLiteral("yMd");

    std::array<int, 3> values{};
    for (int i = 0; i < 3; ++i) {
        if (fields[i].size() > 4) return std::nullopt;
        values[static_cast<std::size_t>(i)] = fields[i].toInt();
    }
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        const int value = values[static_cast<std::size_t>(i)];
        switch (order[i].toLatin1()) {
        case 'd': day = value; break;
        case 'M': month = value; break;
        default:
            year = value;
            if (fields[i].size() <= 2) year = 2000 + value;
            break;
        }
    }
    if (year < 1 || year > 9999) return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

QString dateTypingHint(const QLocale& locale) {
    // The first of May: day and month differ, so the example shows their order.
    const QDate example(QDate::currentDate().year(), 5, 1);
    QString asWritten = locale.toString(example, locale.dateFormat(QLocale::ShortFormat));
    // A short format that names the month, say, is not what the field reads.
    if (dateFromEditingText(asWritten, locale) != example) asWritten = editingTextForDate(example, locale);
    return QCoreApplication::translate("DateText", "Type a date like %1 or %2")
        .arg(asWritten, example.toString(Qt::ISODate));
}

} // namespace cogbook
