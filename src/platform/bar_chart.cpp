#include "platform/bar_chart.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

#include "platform/legible_colors.h"

namespace cogbook {

namespace {

// The bars' fill: the palette's highlight where it stands out from the
// window, else its text colour.
QColor barColor(const QPalette& palette) {
    const QColor highlight = palette.color(QPalette::Highlight);
    return contrastRatio(highlight, palette.color(QPalette::Window)) >= kLegibleContrast
               ? highlight
               : palette.color(QPalette::WindowText);
}

} // namespace

BarChart::BarChart(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void BarChart::setValues(std::vector<BarChartValue> values) {
    values_ = std::move(values);
    setAccessibleDescription(valuesText());
    updateGeometry();
    update();
}

QString BarChart::valuesText() const {
    QStringList parts;
    for (const BarChartValue& value : values_) parts << value.label + QStringLiteral(": ") + value.text;
    return parts.join(QStringLiteral("; "));
}

QSize BarChart::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    int widest = metrics.averageCharWidth() * 6;
    for (const BarChartValue& value : values_)
        widest = std::max({widest, metrics.horizontalAdvance(value.label), metrics.horizontalAdvance(value.text)});
    const int count = std::max<int>(1, static_cast<int>(values_.size()));
    return {std::min(count * (widest + 12) + 16, 900), metrics.height() * 12};
}

QSize BarChart::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 20, fontMetrics().height() * 6};
}

void BarChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) update();
    QWidget::changeEvent(event);
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colors = palette();
    const QRect area = rect().adjusted(8, 8, -8, -8);
    if (hasFocus()) {
        painter.setPen(QPen(focusFrameColor(colors), 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (values_.empty() || area.width() <= 0) return;

    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const int baseline = area.bottom() - line - 4;
    const int top = area.top() + line + 4;
    const int plotHeight = std::max(0, baseline - top);
    double highest = 0.0;
    for (const BarChartValue& value : values_) highest = std::max(highest, value.value);

    const int count = static_cast<int>(values_.size());
    const double slot = static_cast<double>(area.width()) / count;
    const int barWidth = std::max(4, static_cast<int>(slot * 0.6));
    const QColor fill = barColor(colors);
    const QColor text = colors.color(QPalette::WindowText);

    painter.setPen(text);
    painter.drawLine(area.left(), baseline, area.right(), baseline);
    for (int i = 0; i < count; ++i) {
        const BarChartValue& value = values_[static_cast<std::size_t>(i)];
        const int centre = area.left() + static_cast<int>(slot * (i + 0.5));
        const int height =
            highest > 0 && value.value > 0 ? static_cast<int>(plotHeight * (value.value / highest) + 0.5) : 0;
        const QRect bar(centre - barWidth / 2, baseline - height, barWidth, height);
        painter.fillRect(bar, fill);
        const int textWidth = static_cast<int>(slot) - 2;
        painter.setPen(text);
        painter.drawText(QRect(centre - textWidth / 2, baseline + 2, textWidth, line), Qt::AlignCenter,
                         metrics.elidedText(value.label, Qt::ElideRight, textWidth));
        painter.drawText(QRect(centre - textWidth / 2, bar.top() - line - 2, textWidth, line), Qt::AlignCenter,
                         metrics.elidedText(value.text, Qt::ElideRight, textWidth));
    }
}

} // namespace cogbook
