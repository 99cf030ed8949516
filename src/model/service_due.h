// What is due: for each part with a service interval, how long until it wants
// service again, from the latest entry filed under it and the bike's highest
// odometer reading. Pure functions of the tree and the date given as now.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/date.h"
#include "model/ZRBicycleList.h"

namespace cogbook {

struct ServiceOverview;

// "soon" is the last tenth of an interval; "due" is exactly its end (or a part
// never serviced); "unknown" is a distance interval without the readings to
// measure it. In order from the least to the most urgent but for unknown.
enum class DueState { ok, soon, due, overdue, unknown };

struct PartDue {
    ZRBicycleListPtr part;
    DueState state = DueState::unknown;
    // The latest entry filed directly under the part, and its reading.
    std::optional<Date> lastService;
    std::optional<double> lastOdometer;
    // What is left of each interval the part has and that can be measured;
    // below 0 when overdue.
    std::optional<std::int64_t> daysLeft;
    std::optional<double> distanceLeft;
    // "in 12 days", "in 340 km", "due today", "due now", "overdue by 5 days",
    // "never serviced", "no odometer reading": the more urgent measure.
    std::string text;
    // The share of the interval left by the more urgent measure; below 0
    // when overdue. Orders parts of the same state.
    double shareLeft = 0.0;
};

// 0 for the most urgent state (overdue), then due, soon, unknown and ok.
int urgencyRank(DueState state);

// True for the states that want service now.
inline bool needsService(DueState state) { return state == DueState::due || state == DueState::overdue; }

// Every part's state at once, for a record's columns and lists.
struct ServiceDueOverview {
    // Every part with an interval, most urgent first: overdue, due, soon,
    // unknown, ok; within a state by the share of the interval left, then in
    // outline order.
    std::vector<PartDue> parts;
    // The highest odometer reading anywhere in the record.
    std::optional<double> currentDistance;

    const PartDue* find(const ZRBicycleList& part) const;
    // True when a part somewhere below NODE is due or overdue.
    bool hasDueBelow(const ZRBicycleList& node) const;
    // How many parts are due or overdue.
    std::size_t dueCount() const;

private:
    friend ServiceOverview serviceOverview(const ZRBicycleList& bike, std::optional<Date> now);
    // Sorted by node, for lookups without a hash node per part.
    std::vector<std::pair<const ZRBicycleList*, std::size_t>> indexOfPart_;
    std::vector<const ZRBicycleList*> dueBelow_;
};

// The state of every part with an interval in the tree below BIKE (BIKE
// included), as of NOW.
ServiceDueOverview serviceDueOverview(const ZRBicycleList& bike, Date now);

// The state of PART alone, with the bike's CURRENT_DISTANCE given.
PartDue partDue(const ZRBicycleListPtr& part, std::optional<double> currentDistance, DistanceUnit unit, Date now);
// The same, where the latest entry filed directly under PART is known: LAST
// (null when there is none).
PartDue partDueSince(const ZRBicycleListPtr& part, const ZRBicycleList* last, std::optional<double> currentDistance,
                     DistanceUnit unit, Date now);
// The same, with the part's INTERVALS and LAST's reading read, and TODAY
// given as the local day number of now (daysFromCivil): for walks that state
// many parts at once.
PartDue partDueOnDay(const ZRBicycleListPtr& part, const ZRBicycleList::ServiceIntervals& intervals,
                     const ZRBicycleList* last, std::optional<double> lastOdometer,
                     std::optional<double> currentDistance, DistanceUnit unit, std::int64_t today);

// The highest odometer reading of any entry below BIKE.
std::optional<double> currentDistance(const ZRBicycleList& bike);

// The unit a distance of the record is in: the bike's, kilometres when unset.
DistanceUnit recordDistanceUnit(const ZRBicycleList& bike);

// A distance for people: whole units from 10 up, one decimal below.
std::string distanceText(double distance, DistanceUnit unit);

} // namespace cogbook
