// The cogbook command line: printing a record, and moving it to and from JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/file_io.h"

namespace cogbook {

inline constexpr const char* kUsageLine =
    "usage: cogbook [FILE...] | print FILE | export-json FILE | import-json JSON OUT";

// Runs the command ARGS (the arguments after the program name), writing
// results to OUT and messages to ERR. Answers the exit status: 0 on success,
// 1 when a file cannot be read or written or holds no valid record or JSON,
// 2 on bad usage.
int runCommandLine(std::vector<std::string> args, std::ostream& out, std::ostream& err);

} // namespace cogbook
