#include "platform/window_frame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "foundation/user_defaults.h"
#include "platform/window_placement.h"

namespace cogbook {
namespace {

constexpr int kSmallestSide = 100;
constexpr int kSaveDelayMs = 400;
constexpr const char* kAutosaverName = "platformFrameAutosaver";

class FrameAutosaver : public QObject {
public:
    FrameAutosaver(QWidget* window, QString name) : QObject(window), window_(window), name_(std::move(name)) {
        setObjectName(QLatin1String(kAutosaverName));
        timer_.setSingleShot(true);
        timer_.setInterval(kSaveDelayMs);
        connect(&timer_, &QTimer::timeout, this, [this] { saveFrameUsingName(window_, name_); });
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
                if (window_->isVisible()) timer_.start();
                break;
            case QEvent::Hide:
            case QEvent::Close:
                if (timer_.isActive()) {
                    timer_.stop();
                    saveFrameUsingName(window_, name_);
                }
                break;
            default: break;
            }
        }
        return false;
    }

private:
    QWidget* window_;
    QString name_;
    QTimer timer_;
};

} // namespace

QString stringFromFrame(const QRect& frame, double scale) {
    QString text = QStringLiteral("%1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
    if (scale != 1.0) text += QStringLiteral(" @") + QString::number(scale, 'g', 6);
    return text;
}

SavedFrame savedFrameFromString(const QString& text) {
    QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    SavedFrame saved;
    if (parts.size() == 5 && parts[4].startsWith(QLatin1Char('@'))) {
        bool ok = false;
        saved.scale = parts.takeLast().mid(1).toDouble(&ok);
        if (!ok || !(saved.scale > 0.0)) return {};
    }
    if (parts.size() != 4) return {};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok) return {};
    }
    if (values[2] < kSmallestSide || values[3] < kSmallestSide) return {};
    saved.frame = QRect(values[0], values[1], values[2], values[3]);
    return saved;
}

QRect frameFromString(const QString& text) { return savedFrameFromString(text).frame; }

bool setFrameUsingName(QWidget* window, const QString& name) {
    const SavedFrame saved = savedFrameFromString(
        QString::fromStdString(UserDefaults::standardUserDefaults().stringForKey(name.toStdString())));
    if (!saved.frame.isValid()) return false;
    // A frame from a screen that is gone, or from a session at another scale,
    // would put the window out of reach or make it tiny.
    const QRect frame = frameForScreens(saved.frame, saved.scale);
    window->resize(frame.size());
    window->move(frame.topLeft());
    return true;
}

void saveFrameUsingName(QWidget* window, const QString& name) {
    if (window->isMinimized() || window->isMaximized() || window->isFullScreen()) return;
    const QRect frame(window->pos(), window->size());
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(stringFromFrame(frame, sessionScale()).toStdString()),
                                                          name.toStdString());
}

void setFrameAutosaveName(QWidget* window, const QString& name) {
    const auto existing = window->findChildren<QObject*>(QLatin1String(kAutosaverName), Qt::FindDirectChildrenOnly);
    qDeleteAll(existing);
    new FrameAutosaver(window, name);
}

} // namespace cogbook
