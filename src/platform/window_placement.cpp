#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace cogbook {
namespace {

// Scales past these are no session's: a stored one is taken as none.
constexpr double kSmallestScale = 0.25;
constexpr double kLargestScale = 16.0;
// The offset when neither the window system nor the style tells the height
// of a title bar (off screen, for one).
constexpr int kFallbackTitleBarHeight = 24;

bool usableScale(double scale) {
    return std::isfinite(scale) && scale >= kSmallestScale && scale <= kLargestScale;
}

int scaled(int value, double factor) {
    return static_cast<int>(std::lround(static_cast<double>(value) * factor));
}

// The area FRAME overlaps most, or the primary one.
QRect areaFor(const QRect& frame, const QList<QRect>& areas, int primary) {
    qsizetype best = -1;
    long long bestOverlap = 0;
    for (qsizetype i = 0; i < areas.size(); ++i) {
        const QRect overlap = areas[i].intersected(frame);
        const long long size = overlap.isEmpty() ? 0 : static_cast<long long>(overlap.width()) * overlap.height();
        if (size > bestOverlap) {
            bestOverlap = size;
            best = i;
        }
    }
    if (best < 0) best = primary >= 0 && primary < areas.size() ? primary : 0;
    return areas[best];
}

// The windows set down so far, oldest first; those gone drop out.
std::vector<QPointer<QWidget>>& placedWindows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

int titleBarHeight(const QWidget* window) {
    // Once shown under a window manager, the frame tells.
    const int measured = window->geometry().top() - window->frameGeometry().top();
    if (measured > 0) return measured;
    const int styled = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return styled > 0 ? styled : kFallbackTitleBarHeight;
}

} // namespace

double sessionScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double scale = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return usableScale(scale) ? scale : 1.0;
}

QRect frameForScreens(const QRect& frame, double savedScale, double scale, const QList<QRect>& areas, int primary) {
    QRect result = frame;
    if (usableScale(savedScale) && usableScale(scale) && savedScale != scale) {
        const double factor = savedScale / scale;
        result = QRect(scaled(frame.x(), factor), scaled(frame.y(), factor), scaled(frame.width(), factor),
                       scaled(frame.height(), factor));
    }
    if (areas.isEmpty()) return result;
    const QRect area = areaFor(result, areas, primary);
    if (area.isEmpty()) return result;
    result.setSize(result.size().boundedTo(area.size()));
    result.moveLeft(std::clamp(result.left(), area.left(), area.left() + area.width() - result.width()));
    result.moveTop(std::clamp(result.top(), area.top(), area.top() + area.height() - result.height()));
    return result;
}

QRect frameForScreens(const QRect& frame, double savedScale) {
    QList<QRect> areas;
    int primary = 0;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        if (screen == QGuiApplication::primaryScreen()) primary = static_cast<int>(areas.size());
        areas << screen->availableGeometry();
    }
    return frameForScreens(frame, savedScale, sessionScale(), areas, primary);
}

QPoint cascadedTopLeft(const QRect& previous, const QSize& size, int offset, const QRect& area) {
    QPoint point = previous.topLeft() + QPoint(offset, offset);
    if (point.x() + size.width() > area.left() + area.width()) point.setX(area.left());
    if (point.y() + size.height() > area.top() + area.height()) point.setY(area.top());
    return point;
}

void cascadeWindow(QWidget* window) {
    auto& windows = placedWindows();
    std::erase_if(windows, [window](const QPointer<QWidget>& placed) { return placed.isNull() || placed == window; });
    const auto last = std::find_if(windows.rbegin(), windows.rend(), [](const QPointer<QWidget>& placed) {
        return placed->isVisible() && !placed->isMinimized();
    });
    if (last != windows.rend()) {
        const QWidget* previous = last->data();
        const QRect previousFrame = previous->frameGeometry();
        const QSize margins = previousFrame.size() - previous->size();
        const QScreen* screen = previous->screen();
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            window->move(cascadedTopLeft(previousFrame, window->size() + margins, titleBarHeight(previous),
                                         screen->availableGeometry()));
        }
    }
    windows.emplace_back(window);
}

} // namespace cogbook
