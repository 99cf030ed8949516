// The cogbook command line: printing a record, moving it to and from JSON,
// its service log as CSV, and what is due.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/file_io.h"
#include "model/ZRBicycleList.h"

namespace cogbook {

inline constexpr const char* kUsageLine =
    "usage: cogbook [FILE...] | print FILE | export-pdf FILE OUT | export-json FILE | import-json JSON OUT\n"
    "       | export-csv FILE | due FILE";

// Whether ARGS name one of the command forms above (or --help, --version),
// which run on their own rather than opening windows.
bool isCommandLineForm(const std::vector<std::string>& args);

// Renders BIKE as the bytes of a PDF document whose pages are headed NAME.
// Throws std::runtime_error when it cannot. Only the windowed build has one.
using PdfRenderer = std::function<std::vector<std::uint8_t>(const ZRBicycleList& bike, const std::string& name)>;

// Runs the command ARGS (the arguments after the program name), writing
// results to OUT and messages to ERR. Answers the exit status: 0 on success,
// 1 when a file cannot be read or written or holds no valid record or JSON,
// 2 on bad usage. export-pdf needs PDF.
int runCommandLine(std::vector<std::string> args, std::ostream& out, std::ostream& err,
                   const PdfRenderer& pdf = {});

} // namespace cogbook
