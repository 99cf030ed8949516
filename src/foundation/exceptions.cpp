#include "foundation/exceptions.h"

#include <utility>

namespace cogbook {

InternalInconsistencyException::InternalInconsistencyException(std::string method,
                                                               std::string object,
                                                               std::string file, int line,
                                                               std::string description)
    : std::logic_error("Assertion failure in " + method + " (" + file + ":" +
                       std::to_string(line) + "): " + description),
      method_(std::move(method)),
      object_(std::move(object)),
      file_(std::move(file)),
      line_(line),
      description_(std::move(description)) {}

} // namespace cogbook
