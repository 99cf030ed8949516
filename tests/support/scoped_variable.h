// One environment variable set (or, given null, unset) for the life of the
// object, and put back as it was.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace cogbook::test_support {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray* value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value != nullptr) qputenv(name, *value);
        else qunsetenv(name);
    }
    ~ScopedVariable() {
        if (had_) qputenv(name_, old_);
        else qunsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

} // namespace cogbook::test_support
