// A cell for an optional number that is never below 0, typed in the user's
// locale ("12,50" where the comma is the decimal separator) or plainly
// ("12.50"). Empty text clears the value; other text that is no such number
// is refused as the date cells refuse a day they cannot read.
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

#include "platform/outline_view.h"

namespace cogbook {

// TEXT (surrounding spaces aside) as a finite number at least 0, read in
// LOCALE's format and else in the plain one; nothing for anything else,
// empty text included.
std::optional<double> nonNegativeNumberFromText(const QString& text, const QLocale& locale);

// VALUE in LOCALE's format with no more digits than it needs.
QString shortestNumberText(double value, const QLocale& locale);

class NumberFieldCell : public TextFieldCell {
    Q_OBJECT
public:
    explicit NumberFieldCell(QObject* parent = nullptr);

    // The number typed (a double); an invalid QVariant for empty text (the
    // value is cleared); the value as shown for text left as it was shown.
    std::optional<QVariant> objectValueForEditor(const QWidget* editor, const QModelIndex& index) const override;
    QString refusalForEditor(const QWidget* editor, const QModelIndex& index) const override;
    // The number against the cell's right edge, as figures line up.
    void drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const override;
};

} // namespace cogbook
