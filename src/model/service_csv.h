// The service log as CSV, and the plan for filing CSV rows as service entries:
// which parts to make, which entries to file where, which rows are bad.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {

// The header row's column names, in the order the export writes them.
inline constexpr std::string_view kCsvDateColumn = "Date";
inline constexpr std::string_view kCsvPartColumn = "Part";
inline constexpr std::string_view kCsvDescriptionColumn = "Description";
inline constexpr std::string_view kCsvCostColumn = "Cost";
inline constexpr std::string_view kCsvOdometerColumn = "Odometer";
inline constexpr std::string_view kCsvNotesColumn = "Notes";

// The service log of BIKE as CSV: a header row, then one row per entry, newest
// first, with its date (the local calendar day, year first), part path,
// description, cost, odometer reading and whole notes.
std::string serviceLogCsv(const ZRBicycleList& bike);

// A row to become a service entry.
struct ServiceImportEntry {
    std::size_t line = 0;
    std::vector<std::string> path; // part names from below the bike; empty: the bike
    Date date;
    std::string description;
    std::optional<double> cost;
    std::optional<double> odometer;
    std::string notes;
};

struct ServiceImportProblem {
    std::size_t line;
    std::string message;
};

struct ServiceImportPlan {
    // The paths of the parts to be made, each after its parent.
    std::vector<std::vector<std::string>> partsToCreate;
    std::vector<ServiceImportEntry> entries;
    // Rows that cannot be filed, with why; a text that is no CSV at all gives
    // one, at the line where it stops being CSV, and no entries.
    std::vector<ServiceImportProblem> badRows;
};

// Reads CSV_TEXT (a header row naming at least the Date and Part columns, in
// any order, then one row per entry) against the parts of BIKE. Changes
// nothing. Dates are a calendar day (taken at local noon) or a full ISO 8601
// date; blank rows are skipped.
ServiceImportPlan planServiceImport(const ZRBicycleList& bike, std::string_view csvText);

// Where one new node goes: appended under PARENT, a node of the tree.
struct ServiceImportInsertion {
    ZRBicycleListPtr parent;
    ZRBicycleListPtr child;
};

// The new nodes of PLAN, made but not filed: each new part holds the new
// parts and entries below it already, so that filing every insertion in order
// (and removing them in reverse to undo) carries out the whole import.
// PLAN must have been made against BIKE as it still is.
std::vector<ServiceImportInsertion> serviceImportInsertions(const ZRBicycleListPtr& bike,
                                                            const ServiceImportPlan& plan);

} // namespace cogbook
