#include "foundation/assertion.h"

#include <cstdio>
#include <string>

#include "foundation/exceptions.h"
#include "foundation/hooks.h"

namespace cogbook {

namespace {

// The path below the source folder, as the code names its own files.
std::string_view sourceFileName(std::string_view path) {
    const std::size_t folder = path.rfind("src/");
    if (folder != std::string_view::npos && (folder == 0 || path[folder - 1] == '/' || path[folder - 1] == '\\'))
        return path.substr(folder + 4);
    return path;
}

} // namespace

AssertionHandler& AssertionHandler::currentHandler() {
    static AssertionHandler handler;
    return handler;
}

void AssertionHandler::handleFailureInMethod(std::string_view method, const void* object,
                                             std::string_view description, SourceLocation where) {
    handleFailureInMethod(method, object, sourceFileName(where.file_name()), static_cast<int>(where.line()),
                          description);
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
