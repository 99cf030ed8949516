#include "platform/number_cell.h"

#include <QLineEdit>

#include <cmath>

namespace cogbook {

std::optional<double> nonNegativeNumberFromText(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    if (!ok) value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value) || value < 0) return std::nullopt;
    // "-0" is 0.
    return value == 0 ? 0.0 : value;
}

QString shortestNumberText(double value, const QLocale& locale) {
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

NumberFieldCell::NumberFieldCell(QObject* parent) : TextFieldCell(parent) {}

std::optional<QVariant> NumberFieldCell::objectValueForEditor(const QWidget* editor, const QModelIndex& index) const {
    const auto* line = qobject_cast<const QLineEdit*>(editor);
    if (line == nullptr) return std::nullopt;
    const QString text = line->text();
    if (text.trimmed().isEmpty()) return QVariant();
    // The value as it was, to the last digit the text may have rounded.
    const QVariant shown = index.data(Qt::EditRole);
    if (text == shown.toString()) return shown;
    const std::optional<double> number = nonNegativeNumberFromText(text, QLocale());
    if (!number) return std::nullopt;
    return QVariant(*number);
}

QString NumberFieldCell::refusalForEditor(const QWidget*, const QModelIndex&) const {
    return tr("Type a number of 0 or more, such as %1, or nothing to clear it.")
        .arg(QLocale().toString(12.5, 'f', 2));
}

void NumberFieldCell::drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    QStyleOptionViewItem right = option;
    right.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    TextFieldCell::drawWithFrameInView(frame, painter, right, index);
}

} // namespace cogbook
