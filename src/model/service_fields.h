// The service fields: optional values a node keeps among its further fields
// under their own names, written only when set. A reader that does not know
// them keeps them as it keeps any field it does not know.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/plist.h"

namespace cogbook {

// On a service entry: what the work cost, in the record's currency, and the
// bike's distance reading when it was done.
inline constexpr std::string_view kCostKey = "cost";
inline constexpr std::string_view kOdometerKey = "odometer";
// On a part: how often it wants service, in days and in distance.
inline constexpr std::string_view kServiceIntervalDaysKey = "serviceIntervalDays";
inline constexpr std::string_view kServiceIntervalDistanceKey = "serviceIntervalDistance";
// On the bike: the unit of every distance, and the currency of every cost.
inline constexpr std::string_view kDistanceUnitKey = "distanceUnit";
inline constexpr std::string_view kCurrencyKey = "currency";

// The longest interval in days a record takes: ten thousand years.
inline constexpr std::int64_t kMaxServiceIntervalDays = 3652425;

enum class DistanceUnit { kilometres, miles };
// "km" or "mi", as the record stores it.
std::string_view distanceUnitName(DistanceUnit unit);
std::optional<DistanceUnit> distanceUnitNamed(std::string_view name);

bool isServiceFieldKey(std::string_view key);
// The six keys, in the order the forms that list them write them.
inline constexpr std::string_view kServiceFieldKeys[] = {kCostKey,         kOdometerKey,
                                                         kServiceIntervalDaysKey, kServiceIntervalDistanceKey,
                                                         kDistanceUnitKey, kCurrencyKey};

// What is wrong with a value of a service field, in words for a message:
// what was WANTED ("a number at least 0") and what was FOUND ("a string", or
// the value itself when only the value is wrong: "-3", “furlongs”).
struct ServiceFieldProblem {
    std::string wanted;
    std::string found;
};

// Nothing when VALUE is fit for the service field KEY (or KEY names none).
std::optional<ServiceFieldProblem> serviceFieldProblem(std::string_view key, const PlistValue& value);

// A number field's value as a double (integers are numbers too); nothing for
// any other kind.
std::optional<double> numberFromPlist(const PlistValue& value);

} // namespace cogbook
