#include "foundation/assertion.h"

#include <cstdio>
#include <string>

#include "foundation/exceptions.h"
#include "foundation/hooks.h"

namespace cogbook {

AssertionHandler& AssertionHandler::currentHandler() {
    static AssertionHandler handler;
    return handler;
}

void AssertionHandler::handleFailureInMethod(std::string_view method, const void* object,
                                             std::string_view file, int line,
                                             std::string_view description) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", object);
    handleFailureInMethod(method, std::string_view(address), file, line, description);
}

void AssertionHandler::handleFailureInMethod(std::string_view method, std::string_view object,
                                             std::string_view file, int line,
                                             std::string_view description) {
    std::string report = "*** Assertion failure in " + std::string(method) + " on " +
                         std::string(object) + ", " + std::string(file) + ":" +
                         std::to_string(line) + ": " + std::string(description);
    log(report);
    throw InternalInconsistencyException(std::string(method), std::string(object),
                                         std::string(file), line, std::string(description));
}

} // namespace cogbook
