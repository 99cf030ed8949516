// The service log: every service entry of a record as one flat row, newest
// first, for the log window and the CSV export alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {

// Joins the part names of a path, as in "Rear wheel › Tyre".
inline constexpr std::string_view kPartPathSeparator = " \u203a ";

struct ServiceLogRow {
    ZRBicycleListPtr entry;
    Date date;
    // The names of the parts from below the bike down to the entry's part;
    // empty for an entry filed under the bike itself.
    std::string partPath;
    std::string description;
    std::optional<double> cost;
    std::optional<double> odometer;
    std::string notesFirstLine;
};

// Every service entry below BIKE, newest first; entries of one date in the
// order of a walk that takes a part's own entries before its subparts'.
std::vector<ServiceLogRow> serviceLogRows(const ZRBicycleList& bike);

// The path of PART below the top of its tree ("" for the top itself).
std::string partPath(const ZRBicycleList& part);

// The first line of TEXT, without its line break.
std::string_view firstLine(std::string_view text);

} // namespace cogbook
