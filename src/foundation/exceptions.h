// Exception types that the foundation and the layers above raise.
#pragma once

#include <stdexcept>
#include <string>

namespace cogbook {

// A programming error caught by an assertion: the operation stops, nothing
// half-made is kept, and the event-loop boundary reports it.
class InternalInconsistencyException : public std::logic_error {
public:
    InternalInconsistencyException(std::string method, std::string object, std::string file,
                                   int line, std::string description);

    const std::string& method() const noexcept { return method_; }
    const std::string& object() const noexcept { return object_; }
    const std::string& file() const noexcept { return file_; }
    int line() const noexcept { return line_; }
    const std::string& description() const noexcept { return description_; }

private:
    std::string method_;
    std::string object_;
    std::string file_;
    int line_;
    std::string description_;
};

// A value that an operation cannot take (a null where a value is required).
class InvalidArgumentException : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// An index outside the valid range of a collection.
class RangeException : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

} // namespace cogbook
