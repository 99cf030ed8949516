// The assertion handler: reports a failed assertion to the log and raises an
// InternalInconsistencyException that carries the report.
#pragma once

#include <cstdint>
#include <source_location>
#include <string>
#include <string_view>

namespace cogbook {

// Where a call was made. The standard library's own where the compiler
// supports it; clang before 15 (the fuzzing builds) gets the same from
// builtins.
#if defined(__cpp_lib_source_location)
using SourceLocation = std::source_location;
#else
class SourceLocation {
public:
    static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                            std::uint_least32_t line = __builtin_LINE()) noexcept {
        return SourceLocation(file, line);
    }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr std::uint_least32_t line() const noexcept { return line_; }

private:
    constexpr SourceLocation(const char* file, std::uint_least32_t line) : file_(file), line_(line) {}
    const char* file_;
    std::uint_least32_t line_;
};
#endif

class AssertionHandler {
public:
    static AssertionHandler& currentHandler();

    // As below, with the file and line of the caller (the file named from
    // its layer folder on: "foundation/undo_manager.cpp").
    [[noreturn]] void handleFailureInMethod(std::string_view method, const void* object,
                                            std::string_view description,
                                            SourceLocation where = SourceLocation::current());

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
