// Process-wide hooks for the few effects that leave the program: the log, the
// system beep and actions deferred until the current event has been handled.
// Each has a default; the platform layer and tests replace them.
#pragma once

#include <functional>
#include <string_view>

namespace cogbook {

using LogHook = std::function<void(std::string_view message)>;
using BeepHook = std::function<void()>;
using DeferHook = std::function<void(std::function<void()> action)>;

// Writes one line to the log (standard error by default).
void log(std::string_view message);
// Installs a log hook; an empty hook restores the default. Returns the previous one.
LogHook setLogHook(LogHook hook);

// Sounds the system beep (nothing by default: there is no display here).
void beep();
BeepHook setBeepHook(BeepHook hook);

// Runs the action after the handler of the current event has returned. By
// default actions wait in a queue until runDeferredActions() is called.
void performDeferred(std::function<void()> action);
DeferHook setDeferHook(DeferHook hook);
// Runs the queued actions, including any that they queue in turn.
void runDeferredActions();

} // namespace cogbook
