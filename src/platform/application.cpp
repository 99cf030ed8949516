#include "platform/application.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

#include <QInputEvent>

#include <algorithm>
#include <chrono>
#include <string>
#include <typeinfo>

#include "foundation/exceptions.h"
#include "foundation/hooks.h"
#include "foundation/undo_manager.h"
#include "platform/alerts.h"
#include "platform/application_identity.h"
#include "platform/responder.h"

namespace cogbook {
namespace {

QString describe(const std::exception& error) {
    if (const auto* inconsistency = dynamic_cast<const InternalInconsistencyException*>(&error)) {
        return QString::fromStdString(inconsistency->description());
    }
    return QString::fromUtf8(error.what());
}

double eventTimestamp = 0.0;

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

double currentEventTimestamp() { return eventTimestamp; }

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The program's names, when it handed them over before starting us.
    applyApplicationIdentity();

    setBeepHook([] { QApplication::beep(); });
    setLogHook([](std::string_view message) {
        qWarning("%.*s", static_cast<int>(message.size()), message.data());
    });
    // Deferred actions run once the current event has been handled.
    setDeferHook([this](std::function<void()> action) {
        QTimer::singleShot(0, this, [action = std::move(action)] {
            performGuarded(action);
        });
    });
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &Application::eventLoopWillWait);
    }
    // What one event changed is one undo step.
    connect(this, &Application::eventLoopWillWait, this, [] { UndoManager::endEventGroups(); });
}

Application::~Application() {
    setDeferHook({});
    setBeepHook({});
    setLogHook({});
}

Application* Application::instance() {
    return qobject_cast<Application*>(QCoreApplication::instance());
}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (event->isInputEvent()) {
        const auto stamp = static_cast<const QInputEvent*>(event)->timestamp();
        eventTimestamp = stamp != 0 ? static_cast<double>(stamp) / 1000.0 : secondsNow();
    }
    ++handling_;
    bool handled = false;
    try {
        // A shortcut is about to be matched against the menus: bring their
        // enabled state up to date first, as a menu that opens would.
        if (event->type() == QEvent::ShortcutOverride) validateRegisteredMenus();
        handled = QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
    }
    --handling_;
    if (handling_ == 0) eventHandled();
    return handled;
}

void Application::performAsOneEvent(const std::function<void()>& action) {
    Application* application = instance();
    if (application == nullptr) {
        action();
        return;
    }
    ++application->handling_;
    try {
        action();
    } catch (...) {
        if (--application->handling_ == 0) application->eventHandled();
        throw;
    }
    --application->handling_;
    if (application->handling_ == 0) application->eventHandled();
}

void Application::eventHandled() {
    if (!UndoManager::needsEventEnd()) return;
    // Closing a group tells its document, which may send events of its own.
    ++handling_;
    performGuarded([] { UndoManager::endEventGroups(); });
    --handling_;
}

bool Application::performGuarded(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

void Application::reportCurrentException() {
    QString text;
    try {
        throw;
    } catch (const std::exception& error) {
        text = describe(error);
        log(std::string("Exception in an event handler (") + typeid(error).name() + "): " + error.what());
    } catch (...) {
        text = QObject::tr("An unknown error occurred.");
        log("Exception of an unknown type in an event handler");
    }
    Application* application = instance();
    if (application == nullptr) return;
    // A failure while the message is up (or while recovering) is logged only,
    // so that one fault cannot stack up dialogs.
    if (application->reporting_ > 0) return;
    ++application->reporting_;
    try {
        application->recover();
        showMessage(activeWindow(), AlertStyle::Critical,
                    QObject::tr("The last action could not be completed."), text);
    } catch (...) {
        log("Exception while reporting an exception");
    }
    --application->reporting_;
}

void Application::addRecoveryHook(QObject* owner, std::function<void()> hook) {
    recoveryHooks_.push_back({owner, std::move(hook)});
    connect(owner, &QObject::destroyed, this, [this, owner] {
        std::erase_if(recoveryHooks_, [owner](const RecoveryHook& entry) { return entry.owner == owner; });
    });
}

void Application::recover() {
    const auto hooks = recoveryHooks_;
    for (const auto& entry : hooks) {
        try {
            entry.hook();
        } catch (const std::exception& error) {
            log(std::string("Recovery after a failure failed too: ") + error.what());
        }
    }
}

} // namespace cogbook
