#include "foundation/hooks.h"

#include <cstdio>
#include <deque>
#include <string>
#include <utility>

namespace cogbook {
namespace {

LogHook& logHook() {
    static LogHook hook;
    return hook;
}
BeepHook& beepHook() {
    static BeepHook hook;
    return hook;
}
DeferHook& deferHook() {
    static DeferHook hook;
    return hook;
}
std::deque<std::function<void()>>& deferredQueue() {
    static std::deque<std::function<void()>> queue;
    return queue;
}

} // namespace

void log(std::string_view message) {
    if (logHook()) {
        logHook()(message);
        return;
    }
    std::fprintf(stderr, "cogbook: %.*s\n", static_cast<int>(message.size()), message.data());
}

LogHook setLogHook(LogHook hook) { return std::exchange(logHook(), std::move(hook)); }

void beep() {
    if (beepHook()) beepHook()();
}

BeepHook setBeepHook(BeepHook hook) { return std::exchange(beepHook(), std::move(hook)); }

void performDeferred(std::function<void()> action) {
    if (deferHook()) {
        deferHook()(std::move(action));
        return;
    }
    deferredQueue().push_back(std::move(action));
}

DeferHook setDeferHook(DeferHook hook) { return std::exchange(deferHook(), std::move(hook)); }

void runDeferredActions() {
    auto& queue = deferredQueue();
    while (!queue.empty()) {
        auto action = std::move(queue.front());
        queue.pop_front();
        action();
    }
}

} // namespace cogbook
