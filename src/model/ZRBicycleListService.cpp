// The typed service fields of a node, over its further fields.
#include <algorithm>
#include <cmath>

#include "foundation/exceptions.h"
#include "model/ZRBicycleList.h"

namespace cogbook {
namespace {

const PlistValue* fitField(const PlistDictionary& fields, std::string_view key) {
    for (const auto& [name, value] : fields)
        if (name == key) return serviceFieldProblem(key, value) ? nullptr : &value;
    return nullptr;
}

// Sets KEY to VALUE in place (so that the field keeps its position), or adds
// it at the end; no value removes it.
void putField(PlistDictionary& fields, std::string_view key, std::optional<PlistValue> value) {
    if (value) {
        if (auto problem = serviceFieldProblem(key, *value))
            throw InvalidArgumentException(std::string(key) + " must be " + problem->wanted + ", not " +
                                           problem->found);
    }
    auto found = std::find_if(fields.begin(), fields.end(), [&](const auto& entry) { return entry.first == key; });
    if (!value) {
        if (found != fields.end()) fields.erase(found);
    } else if (found != fields.end()) {
        found->second = std::move(*value);
    } else {
        fields.emplace_back(std::string(key), std::move(*value));
    }
}

// The number fields are read for every item of a record at once (totals,
// what is due), so they are checked here without the general check's
// dispatch on the key. Kept in step with serviceFieldProblem().
std::optional<double> fitNumber(const PlistValue& value, double minimum, bool minimumIncluded) {
    const auto number = numberFromPlist(value);
    if (!number || !std::isfinite(*number) || *number < minimum || (!minimumIncluded && *number == minimum))
        return std::nullopt;
    return number;
}

std::optional<double> numberField(const PlistDictionary& fields, std::string_view key, double minimum,
                                  bool minimumIncluded) {
    for (const auto& [name, value] : fields)
        if (name == key) return fitNumber(value, minimum, minimumIncluded);
    return std::nullopt;
}

constexpr double kLowestCost = -HUGE_VAL;

std::optional<PlistValue> realValue(std::optional<double> value) {
    if (!value) return std::nullopt;
    return PlistValue(*value);
}

} // namespace

void ZRBicycleList::setOtherFields(PlistDictionary fields) {
    fields_.otherFields = std::move(fields);
    refreshReadings();
}

bool ZRBicycleList::addOtherField(std::string name, PlistValue value) {
    for (const auto& entry : fields_.otherFields)
        if (entry.first == name) return false;
    fields_.otherFields.emplace_back(std::move(name), std::move(value));
    refreshReadings();
    return true;
}

std::optional<double> ZRBicycleList::cost() const { return readings_.cost; }
void ZRBicycleList::setCost(std::optional<double> value) {
    putField(fields_.otherFields, kCostKey, realValue(value));
    refreshReadings();
}

std::optional<double> ZRBicycleList::odometer() const { return readings_.odometer; }
void ZRBicycleList::setOdometer(std::optional<double> value) {
    putField(fields_.otherFields, kOdometerKey, realValue(value));
    refreshReadings();
}

void ZRBicycleList::refreshReadings() {
    ServiceReadings readings;
    bool costSeen = false;
    bool odometerSeen = false;
    for (const auto& [name, value] : fields_.otherFields) {
        // The first of a name counts, as for every reader of the fields.
        if (!costSeen && name == kCostKey) {
            costSeen = true;
            readings.cost = fitNumber(value, kLowestCost, true);
        } else if (!odometerSeen && name == kOdometerKey) {
            odometerSeen = true;
            readings.odometer = fitNumber(value, 0.0, true);
        }
        if (costSeen && odometerSeen) break;
    }
    readings_ = readings;
}

ZRBicycleList::ServiceIntervals ZRBicycleList::serviceIntervals() const {
    ServiceIntervals intervals;
    bool daysSeen = false;
    bool distanceSeen = false;
    for (const auto& [name, value] : fields_.otherFields) {
        if (!daysSeen && name == kServiceIntervalDaysKey) {
            daysSeen = true;
            if (!serviceFieldProblem(name, value)) intervals.days = value.integer();
        } else if (!distanceSeen && name == kServiceIntervalDistanceKey) {
            distanceSeen = true;
            intervals.distance = fitNumber(value, 0.0, false);
        }
        if (daysSeen && distanceSeen) break;
    }
    return intervals;
}

std::optional<std::int64_t> ZRBicycleList::serviceIntervalDays() const {
    const PlistValue* value = fitField(fields_.otherFields, kServiceIntervalDaysKey);
    return value ? std::optional<std::int64_t>(value->integer()) : std::nullopt;
}
void ZRBicycleList::setServiceIntervalDays(std::optional<std::int64_t> value) {
    putField(fields_.otherFields, kServiceIntervalDaysKey,
             value ? std::optional<PlistValue>(PlistValue(*value)) : std::nullopt);
}

std::optional<double> ZRBicycleList::serviceIntervalDistance() const {
    return numberField(fields_.otherFields, kServiceIntervalDistanceKey, 0.0, false);
}
void ZRBicycleList::setServiceIntervalDistance(std::optional<double> value) {
    putField(fields_.otherFields, kServiceIntervalDistanceKey, realValue(value));
}

std::optional<DistanceUnit> ZRBicycleList::distanceUnit() const {
    const PlistValue* value = fitField(fields_.otherFields, kDistanceUnitKey);
    return value ? distanceUnitNamed(value->string()) : std::nullopt;
}
void ZRBicycleList::setDistanceUnit(std::optional<DistanceUnit> value) {
    putField(fields_.otherFields, kDistanceUnitKey,
             value ? std::optional<PlistValue>(PlistValue(distanceUnitName(*value))) : std::nullopt);
}

std::optional<std::string> ZRBicycleList::currency() const {
    const PlistValue* value = fitField(fields_.otherFields, kCurrencyKey);
    return value ? std::optional<std::string>(value->string()) : std::nullopt;
}
void ZRBicycleList::setCurrency(std::optional<std::string> value) {
    putField(fields_.otherFields, kCurrencyKey,
             value ? std::optional<PlistValue>(PlistValue(std::move(*value))) : std::nullopt);
}

} // namespace cogbook
