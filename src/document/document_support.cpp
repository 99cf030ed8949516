#include "document/document_support.h"

#include <QTimeZone>

#include <cmath>

#include "foundation/assertion.h"

namespace cogbook::document_support {

void documentAssertion(std::string_view method, const void* object, std::string_view description,
                       SourceLocation where) {
    AssertionHandler::currentHandler().handleFailureInMethod(method, object, description, where);
}

std::optional<QString> displayNameWithoutExtension(const QString& displayName) {
    if (displayName.isEmpty()) return std::nullopt;
    const auto slash = displayName.lastIndexOf(QLatin1Char('/'));
    const auto dot = displayName.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash || dot == displayName.size() - 1) return std::nullopt;
    return displayName.left(dot);
}

QDateTime outlineDate(Date date) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(date.unixSeconds() * 1000.0)),
                                          QTimeZone::systemTimeZone());
}

Date dateFromOutline(const QDateTime& dateTime) {
    return Date::fromUnixSeconds(static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

} // namespace cogbook::document_support
