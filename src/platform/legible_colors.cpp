#include "platform/legible_colors.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace cogbook {

namespace {

double channelLuminance(double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor& color) {
    const QColor rgb = color.toRgb();
    return 0.2126 * channelLuminance(rgb.redF()) + 0.7152 * channelLuminance(rgb.greenF()) +
           0.0722 * channelLuminance(rgb.blueF());
}

QColor mixed(const QColor& from, const QColor& to, double amount) {
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    const auto channel = [amount](float x, float y) { return static_cast<float>(x + (y - x) * amount); };
    return QColor::fromRgbF(channel(a.redF(), b.redF()), channel(a.greenF(), b.greenF()),
                            channel(a.blueF(), b.blueF()));
}

// Watches a widget's palette and puts the legible colour back in its role.
class PlaceholderKeeper : public QObject {
public:
    PlaceholderKeeper(QWidget* widget, QPalette::ColorRole role) : QObject(widget), widget_(widget), role_(role) {
        widget->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == widget_ && (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) &&
            !pending_) {
            // Once the change has reached every widget, the parent's included.
            pending_ = true;
            QTimer::singleShot(0, this, [this] {
                pending_ = false;
                apply();
            });
        }
        return false;
    }

private:
    void apply() {
        if (!widget_) return;
        const QWidget* parent = widget_->parentWidget();
        const QPalette inherited = parent != nullptr ? parent->palette() : QApplication::palette(widget_);
        QPalette palette = widget_->palette();
        QPalette measured = palette;
        measured.setColor(QPalette::PlaceholderText, inherited.color(QPalette::PlaceholderText));
        const QColor wanted = legiblePlaceholderColor(measured);
        if (palette.color(role_) == wanted) return;
        palette.setColor(role_, wanted);
        widget_->setPalette(palette);
    }

    QPointer<QWidget> widget_;
    QPalette::ColorRole role_;
    bool pending_ = false;
};

} // namespace

double contrastRatio(const QColor& foreground, const QColor& background) {
    QColor front = foreground.toRgb();
    if (front.alphaF() < 1.0f) front = mixed(background, QColor::fromRgbF(front.redF(), front.greenF(), front.blueF()),
                                             front.alphaF());
    const double a = relativeLuminance(front);
    const double b = relativeLuminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor focusFrameColor(const QPalette& palette) {
    const QColor highlight = palette.color(QPalette::Highlight);
    if (contrastRatio(highlight, palette.color(QPalette::Base)) >= kLegibleContrast) return highlight;
    return palette.color(QPalette::Text);
}

QColor legiblePlaceholderColor(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor own = palette.color(QPalette::PlaceholderText);
    if (contrastRatio(own, base) >= kLegibleContrast) return own;
    const QColor text = palette.color(QPalette::Text);
    // From faint towards full text colour, the first that reads.
    for (double amount = 0.5; amount < 1.0; amount += 0.05) {
        const QColor candidate = mixed(base, text, amount);
        if (contrastRatio(candidate, base) >= kLegibleContrast) return candidate;
    }
    return text;
}

QColor legibleTint(const QColor& tint, const QColor& background, const QColor& text) {
    if (contrastRatio(tint, background) >= kLegibleTextContrast) return tint;
    for (double amount = 0.1; amount < 1.0; amount += 0.1) {
        const QColor candidate = mixed(tint, text, amount);
        if (contrastRatio(candidate, background) >= kLegibleTextContrast) return candidate;
    }
    return text;
}

void keepPlaceholderLegible(QWidget* widget, QPalette::ColorRole role) {
    if (widget != nullptr) new PlaceholderKeeper(widget, role);
}

} // namespace cogbook
