// A bar chart of labelled values, painted in the palette's own colours so
// that it reads in light, dark and high-contrast palettes alike: one bar per
// value, its label below and its value text above. Assistive technology gets
// the same content as text (the widget's accessible description).
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

namespace cogbook {

struct BarChartValue {
    QString label;
    double value = 0.0;
    // What the bar's value reads as ("€120.00").
    QString text;
};

class BarChart : public QWidget {
    Q_OBJECT
public:
    explicit BarChart(QWidget* parent = nullptr);

    // Negative values are drawn as empty bars; the tallest bar fills the height.
    void setValues(std::vector<BarChartValue> values);
    const std::vector<BarChartValue>& values() const { return values_; }

    // "2024: €120.00; 2025: €80.00", as the accessible description says it.
    QString valuesText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::vector<BarChartValue> values_;
};

} // namespace cogbook
