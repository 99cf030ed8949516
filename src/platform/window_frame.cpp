#include "platform/window_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "foundation/user_defaults.h"

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

QString stringFromFrame(const QRect& frame) {
    return QStringLiteral("%1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

QRect frameFromString(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4) return {};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok) return {};
    }
    if (values[2] < kSmallestSide || values[3] < kSmallestSide) return {};
    return QRect(values[0], values[1], values[2], values[3]);
}

bool setFrameUsingName(QWidget* window, const QString& name) {
    const QRect frame =
        frameFromString(QString::fromStdString(UserDefaults::standardUserDefaults().stringForKey(name.toStdString())));
    if (!frame.isValid()) return false;
    // A frame saved on a screen that is gone would put the window out of reach.
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr) return false;
    const QRect available = screen->availableGeometry();
    window->resize(frame.size().boundedTo(available.size()));
    window->move(frame.topLeft());
    return true;
}

void saveFrameUsingName(QWidget* window, const QString& name) {
    if (window->isMinimized() || window->isMaximized() || window->isFullScreen()) return;
    const QRect frame(window->pos(), window->size());
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(stringFromFrame(frame).toStdString()),
                                                          name.toStdString());
}

void setFrameAutosaveName(QWidget* window, const QString& name) {
    const auto existing = window->findChildren<QObject*>(QLatin1String(kAutosaverName), Qt::FindDirectChildrenOnly);
    qDeleteAll(existing);
    new FrameAutosaver(window, name);
}

} // namespace cogbook
