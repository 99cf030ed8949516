// The assertion handler: reports a failed assertion to the log and raises an
// InternalInconsistencyException that carries the report.
#pragma once

#include <string>
#include <string_view>

namespace cogbook {

class AssertionHandler {
public:
    static AssertionHandler& currentHandler();

    // Logs "*** Assertion failure in METHOD, FILE:LINE" with the object and the
    // description, then throws InternalInconsistencyException.
    [[noreturn]] void handleFailureInMethod(std::string_view method, const void* object,
                                            std::string_view file, int line,
                                            std::string_view description);
    [[noreturn]] void handleFailureInMethod(std::string_view method, std::string_view object,
                                            std::string_view file, int line,
                                            std::string_view description);
};

} // namespace cogbook
