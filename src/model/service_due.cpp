#include "model/service_due.h"

#include "model/service_costs.h"
#include "model/service_overview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace cogbook {
namespace {

// Days as the rider counts them, on the local calendar: work done yesterday
// evening was a day ago this morning.
std::int64_t localDayNumber(Date date) {
    const CivilDate day = localCivilDate(date);
    return daysFromCivil(day.year, day.month, day.day);
}

std::string plural(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 || count == -1 ? one : many);
}

// The state one measure gives: LEFT of INTERVAL.
DueState stateOf(double left, double interval) {
    if (left < 0) return DueState::overdue;
    if (left == 0) return DueState::due;
    // The last tenth of the interval, its start included.
    if (left * 10 <= interval) return DueState::soon;
    return DueState::ok;
}

} // namespace

int urgencyRank(DueState state) {
    switch (state) {
    case DueState::overdue: return 0;
    case DueState::due: return 1;
    case DueState::soon: return 2;
    case DueState::unknown: return 3;
    case DueState::ok: return 4;
    }
    return 5;
}

DistanceUnit recordDistanceUnit(const ZRBicycleList& bike) {
    return bike.distanceUnit().value_or(DistanceUnit::kilometres);
}

std::string distanceText(double distance, DistanceUnit unit) {
    char buffer[64];
    const double magnitude = std::abs(distance);
    if (magnitude >= 10 || magnitude == std::floor(magnitude))
        std::snprintf(buffer, sizeof buffer, "%.0f", magnitude);
    else
        std::snprintf(buffer, sizeof buffer, "%.1f", magnitude);
    return std::string(buffer) + ' ' + std::string(distanceUnitName(unit));
}

PartDue partDue(const ZRBicycleListPtr& part, std::optional<double> current, DistanceUnit unit, Date now) {
    const ZRBicycleList* last = nullptr;
    if (const auto& children = part->children()) {
        for (const auto& child : *children)
            if (!child->expandable() && (last == nullptr || child->date() >= last->date())) last = child.get();
    }
    return partDueSince(part, last, current, unit, now);
}

PartDue partDueSince(const ZRBicycleListPtr& part, const ZRBicycleList* last, std::optional<double> current,
                     DistanceUnit unit, Date now) {
    return partDueOnDay(part, part->serviceIntervals(), last, last ? last->odometer() : std::nullopt, current, unit,
                        localDayNumber(now));
}

PartDue partDueOnDay(const ZRBicycleListPtr& part, const ZRBicycleList::ServiceIntervals& intervals,
                     const ZRBicycleList* last, std::optional<double> lastOdometer, std::optional<double> current,
                     DistanceUnit unit, std::int64_t today) {
    PartDue due;
    due.part = part;
    const auto& days = intervals.days;
    const auto& distance = intervals.distance;
    if (last == nullptr) {
        due.state = (days || distance) ? DueState::due : DueState::ok;
        due.text = "never serviced";
        return due;
    }
    due.lastService = last->date();
    due.lastOdometer = lastOdometer;

    // Each measure the part has and the record can take: its state and the
    // share left. Only the more urgent one's words are made.
    struct Measure {
        DueState state;
        double share;
        bool inDays;
    };
    Measure measures[2];
    std::size_t measured = 0;
    if (days) {
        const auto left = *days - (today - localDayNumber(last->date()));
        due.daysLeft = left;
        measures[measured++] = {stateOf(static_cast<double>(left), static_cast<double>(*days)),
                                static_cast<double>(left) / static_cast<double>(*days), true};
    }
    if (distance && current && due.lastOdometer) {
        const double left = *distance - (*current - *due.lastOdometer);
        due.distanceLeft = left;
        measures[measured++] = {stateOf(left, *distance), left / *distance, false};
    }
    if (measured == 0) {
        due.state = DueState::unknown;
        due.text = "no odometer reading";
        return due;
    }
    const auto urgent = std::min_element(measures, measures + measured, [](const Measure& a, const Measure& b) {
        if (urgencyRank(a.state) != urgencyRank(b.state)) return urgencyRank(a.state) < urgencyRank(b.state);
        return a.share < b.share;
    });
    due.state = urgent->state;
    due.shareLeft = urgent->share;
    if (urgent->inDays) {
        const std::int64_t left = *due.daysLeft;
        due.text = left > 0    ? "in " + plural(left, "day", "days")
                   : left == 0 ? "due today"
                               : "overdue by " + plural(-left, "day", "days");
    } else {
        const double left = *due.distanceLeft;
        due.text = left > 0    ? "in " + distanceText(left, unit)
                   : left == 0 ? "due now"
                               : "overdue by " + distanceText(left, unit);
    }
    return due;
}

std::optional<double> currentDistance(const ZRBicycleList& bike) {
    return serviceOverview(bike, std::nullopt).due.currentDistance;
}

const PartDue* ServiceDueOverview::find(const ZRBicycleList& part) const {
    const auto found = std::lower_bound(indexOfPart_.begin(), indexOfPart_.end(), &part,
                                        [](const auto& entry, const ZRBicycleList* node) { return entry.first < node; });
    return found == indexOfPart_.end() || found->first != &part ? nullptr : &parts[found->second];
}

bool ServiceDueOverview::hasDueBelow(const ZRBicycleList& node) const {
    return std::binary_search(dueBelow_.begin(), dueBelow_.end(), &node);
}

std::size_t ServiceDueOverview::dueCount() const {
    return static_cast<std::size_t>(
        std::count_if(parts.begin(), parts.end(), [](const PartDue& due) { return needsService(due.state); }));
}

ServiceDueOverview serviceDueOverview(const ZRBicycleList& bike, Date now) {
    return serviceOverview(bike, now).due;
}

} // namespace cogbook
