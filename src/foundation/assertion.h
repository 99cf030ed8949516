// The assertion handler: reports a failed assertion to the log and raises an
// InternalInconsistencyException that carries the report.
#pragma once

#include <source_location>
#include <string>
#include <string_view>

namespace cogbook {

class AssertionHandler {
public:
    static AssertionHandler& currentHandler();

    // As below, with the file and line of the caller (the file named from
    // its layer folder on: "foundation/undo_manager.cpp").
    [[noreturn]] void handleFailureInMethod(std::string_view method, const void* object,
                                            std::string_view description,
                                            std::source_location where = std::source_location::current());

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
