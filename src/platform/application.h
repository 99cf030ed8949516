// The application object and its event-loop boundary. Every event goes
// through notify(); an exception that leaves an event handler stops there:
// it is logged, the user is told, the windows are brought back in line with
// their documents, and the program goes on.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>
#include <vector>

namespace cogbook {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    static Application* instance();

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs ACTION inside the boundary: what it throws is reported as if it
    // had left an event handler. Answers whether ACTION completed.
    static bool performGuarded(const std::function<void()>& action);

    // Runs ACTION as the handling of one event: what it records for undo is
    // one step, closed when it returns. (Code that runs outside any event,
    // as tests do, would otherwise see each event it sends end the step.)
    static void performAsOneEvent(const std::function<void()>& action);

    // Reports the exception being handled (call from a catch block).
    static void reportCurrentException();

    // Run after every reported failure, so that no half-made change stays on
    // screen (each document reloads its views). The hook lives as long as
    // OWNER.
    void addRecoveryHook(QObject* owner, std::function<void()> hook);

signals:
    // The event loop has handled every pending event and is about to wait.
    void eventLoopWillWait();

private:
    void recover();
    void eventHandled();
    struct RecoveryHook {
        QObject* owner;
        std::function<void()> hook;
    };
    std::vector<RecoveryHook> recoveryHooks_;
    int reporting_ = 0;
    int handling_ = 0;
};

// When the input event being handled (or the last one) happened, in seconds
// on a clock that never goes back within a run: the event's own time stamp,
// or the time it began to be handled when it carries none.
double currentEventTimestamp();

} // namespace cogbook
