#include "model/service_csv.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <system_error>
#include <unordered_set>

#include "foundation/csv.h"
#include "foundation/message_text.h"
#include "model/service_costs.h"
#include "model/service_log.h"

namespace cogbook {
namespace {

std::string numberText(std::optional<double> value) {
    if (!value) return {};
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, *value);
    return std::string(buffer, result.ptr);
}

std::string dayText(Date date) {
    const CivilDate day = localCivilDate(date);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u", day.year, day.month, day.day);
    return buffer;
}

} // namespace

std::string serviceLogCsv(const ZRBicycleList& bike) {
    std::string out = csvRecord({std::string(kCsvDateColumn), std::string(kCsvPartColumn),
                                 std::string(kCsvDescriptionColumn), std::string(kCsvCostColumn),
                                 std::string(kCsvOdometerColumn), std::string(kCsvNotesColumn)});
    for (const ServiceLogRow& row : serviceLogRows(bike))
        out += csvRecord({dayText(row.date), row.partPath, row.description, numberText(row.cost),
                          numberText(row.odometer), row.entry->notes()});
    return out;
}

namespace {

// A calendar day "YYYY-MM-DD", taken at local noon (clear of any change of
// clocks), or a full ISO 8601 date.
std::optional<Date> dateFromText(std::string_view text) {
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        int year = 0, month = 0, day = 0;
        auto digits = [&](std::size_t from, std::size_t count, int& into) {
            const auto result = std::from_chars(text.data() + from, text.data() + from + count, into);
            return result.ec == std::errc() && result.ptr == text.data() + from + count;
        };
        if (!digits(0, 4, year) || !digits(5, 2, month) || !digits(8, 2, day)) return std::nullopt;
        if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
        // The day must exist: it comes back from the calendar as given.
        const long long days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
        const CivilDate back = civilFromDays(days);
        if (back.month != static_cast<unsigned>(month) || back.day != static_cast<unsigned>(day)) return std::nullopt;
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = 12;
        local.tm_isdst = -1;
        const std::time_t time = std::mktime(&local);
        if (time == static_cast<std::time_t>(-1)) return std::nullopt;
        return Date::fromUnixSeconds(static_cast<double>(time));
    }
    auto date = Date::fromISO8601(text);
    if (date && !date->isRepresentable()) return std::nullopt;
    return date;
}

// A number field: empty is none; anything but a plain finite number is bad.
bool numberFromText(std::string_view text, std::optional<double>& into) {
    if (text.empty()) return true;
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) return false;
    into = value;
    return true;
}

std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) return names;
    for (;;) {
        const std::size_t at = path.find(kPartPathSeparator);
        names.emplace_back(path.substr(0, at));
        if (at == std::string_view::npos) break;
        path.remove_prefix(at + kPartPathSeparator.size());
    }
    return names;
}

// The first part named NAME directly under NODE, or null.
ZRBicycleListPtr partNamed(const ZRBicycleList& node, const std::string& name) {
    if (const auto& children = node.children())
        for (const auto& child : *children)
            if (child->expandable() && child->partName() == name) return child;
    return nullptr;
}

// Where the parts of a path are, among the tree's and those to be made.
// Made parts are keyed by their path, so one made part serves every row.
class PartFinder {
public:
    explicit PartFinder(ZRBicycleListPtr bike) : bike_(std::move(bike)) {}

    // The node for PATH; MADE is called for each part that must be made, with
    // its path and the parent it goes under.
    template <typename Made>
    ZRBicycleListPtr find(const std::vector<std::string>& path, Made made) {
        ZRBicycleListPtr at = bike_;
        std::vector<std::string> sofar;
        bool existing = true;
        for (const std::string& name : path) {
            sofar.push_back(name);
            ZRBicycleListPtr next = existing ? partNamed(*at, name) : nullptr;
            if (!next) {
                existing = false;
                auto [it, added] = made_.try_emplace(sofar, nullptr);
                if (added) it->second = made(sofar, at);
                next = it->second;
            }
            at = std::move(next);
        }
        return at;
    }

private:
    ZRBicycleListPtr bike_;
    std::map<std::vector<std::string>, ZRBicycleListPtr> made_;
};

} // namespace

ServiceImportPlan planServiceImport(const ZRBicycleList& bike, std::string_view csvText) {
    ServiceImportPlan plan;
    std::vector<CsvRecord> records;
    try {
        records = readCsv(csvText);
    } catch (const CsvError& error) {
        const std::string what = error.what();
        plan.badRows.push_back({error.line(), what.substr(what.find(": ") + 2)});
        return plan;
    }
    while (!records.empty() && records.front().fields == std::vector<std::string>{""}) records.erase(records.begin());
    if (records.empty()) {
        plan.badRows.push_back({1, "there is no header row"});
        return plan;
    }

    // The header: which column holds what.
    const std::string_view names[] = {kCsvDateColumn, kCsvPartColumn, kCsvDescriptionColumn,
                                      kCsvCostColumn, kCsvOdometerColumn, kCsvNotesColumn};
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t column[6] = {kNone, kNone, kNone, kNone, kNone, kNone};
    const CsvRecord& header = records.front();
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        std::size_t which = kNone;
        for (std::size_t n = 0; n < 6; ++n)
            if (header.fields[i] == names[n]) which = n;
        if (which == kNone || column[which] != kNone) {
            plan.badRows.push_back({header.line, "the header names the column " + quotedForMessage(header.fields[i]) +
                                                     (which == kNone ? ", which is not one of Date, Part, Description, "
                                                                       "Cost, Odometer and Notes"
                                                                     : " twice")});
            return plan;
        }
        column[which] = i;
    }
    if (column[0] == kNone || column[1] == kNone) {
        plan.badRows.push_back({header.line, "the header must name the Date and Part columns"});
        return plan;
    }

    // A copy that only answers where parts are; nothing is made here.
    PartFinder finder(std::const_pointer_cast<ZRBicycleList>(bike.shared_from_this()));
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.fields == std::vector<std::string>{""}) continue;
        auto bad = [&](std::string message) { plan.badRows.push_back({record.line, std::move(message)}); };
        if (record.fields.size() != header.fields.size()) {
            bad("the row has " + std::to_string(record.fields.size()) + " fields, the header " +
                std::to_string(header.fields.size()));
            continue;
        }
        auto field = [&](std::size_t which) -> const std::string& {
            static const std::string none;
            return column[which] == kNone ? none : record.fields[column[which]];
        };
        ServiceImportEntry entry;
        entry.line = record.line;
        const auto date = dateFromText(field(0));
        if (!date) {
            bad("the date " + quotedForMessage(field(0)) + " is not a day written YYYY-MM-DD");
            continue;
        }
        entry.date = *date;
        entry.path = splitPath(field(1));
        bool emptyName = false;
        for (const auto& name : entry.path) emptyName = emptyName || name.empty();
        if (emptyName) {
            bad("the part path " + quotedForMessage(field(1)) + " has an empty name in it");
            continue;
        }
        if (!numberFromText(field(3), entry.cost)) {
            bad("the cost " + quotedForMessage(field(3)) + " is not a number");
            continue;
        }
        if (!numberFromText(field(4), entry.odometer) || (entry.odometer && *entry.odometer < 0)) {
            bad("the odometer reading " + quotedForMessage(field(4)) + " is not a number at least 0");
            continue;
        }
        entry.description = field(2);
        entry.notes = field(5);
        finder.find(entry.path, [&](const std::vector<std::string>& path, const ZRBicycleListPtr&) {
            plan.partsToCreate.push_back(path);
            return ZRBicycleListPtr(); // a placeholder: the plan makes no nodes
        });
        plan.entries.push_back(std::move(entry));
    }
    return plan;
}

std::vector<ServiceImportInsertion> serviceImportInsertions(const ZRBicycleListPtr& bike,
                                                            const ServiceImportPlan& plan) {
    std::vector<ServiceImportInsertion> insertions;
    std::unordered_set<const ZRBicycleList*> made;
    // A node goes under an existing one as an insertion, under a made one at once.
    auto place = [&](const ZRBicycleListPtr& parent, const ZRBicycleListPtr& child) {
        if (made.contains(parent.get()))
            parent->addChildPartOrEntry(child);
        else
            insertions.push_back({parent, child});
    };
    PartFinder finder(bike);
    for (const ServiceImportEntry& row : plan.entries) {
        ZRBicycleListPtr part = finder.find(row.path, [&](const std::vector<std::string>& path,
                                                          const ZRBicycleListPtr& parent) {
            auto newPart = ZRBicycleList::create();
            newPart->setPartName(path.back());
            newPart->setExpandable(true);
            made.insert(newPart.get());
            place(parent, newPart);
            return newPart;
        });
        auto entry = ZRBicycleList::create();
        entry->setPartName(part->partName());
        entry->setDate(row.date);
        entry->setDescription(row.description);
        entry->setNotes(row.notes);
        entry->setCost(row.cost);
        entry->setOdometer(row.odometer);
        place(part, entry);
    }
    return insertions;
}

} // namespace cogbook
