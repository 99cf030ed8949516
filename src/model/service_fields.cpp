#include "model/service_fields.h"

#include <cmath>
#include <cstdio>

#include "foundation/message_text.h"

namespace cogbook {

std::string_view distanceUnitName(DistanceUnit unit) { return unit == DistanceUnit::miles ? "mi" : "km"; }

std::optional<DistanceUnit> distanceUnitNamed(std::string_view name) {
    if (name == "km") return DistanceUnit::kilometres;
    if (name == "mi") return DistanceUnit::miles;
    return std::nullopt;
}

bool isServiceFieldKey(std::string_view key) {
    return key == kCostKey || key == kOdometerKey || key == kServiceIntervalDaysKey ||
           key == kServiceIntervalDistanceKey || key == kDistanceUnitKey || key == kCurrencyKey;
}

std::optional<double> numberFromPlist(const PlistValue& value) {
    if (value.isReal()) return value.real();
    if (value.isInteger()) return static_cast<double>(value.integer());
    return std::nullopt;
}

namespace {

std::string kindName(const PlistValue& value) {
    switch (value.type()) {
    case PlistValue::Type::Null: return "empty";
    case PlistValue::Type::String: return "a string";
    case PlistValue::Type::Integer:
    case PlistValue::Type::Real: return "a number";
    case PlistValue::Type::Boolean: return "a boolean";
    case PlistValue::Type::Date: return "a date";
    case PlistValue::Type::Data: return "binary data";
    case PlistValue::Type::Array: return "an array";
    case PlistValue::Type::Dictionary: return "a dictionary";
    case PlistValue::Type::Uid: return "a reference";
    }
    return "an unknown value";
}

std::string numberText(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::optional<ServiceFieldProblem> numberProblem(const PlistValue& value, const char* wanted, double minimum,
                                                 bool minimumIncluded) {
    const auto number = numberFromPlist(value);
    if (!number) return ServiceFieldProblem{wanted, kindName(value)};
    const bool fit = std::isfinite(*number) && (minimumIncluded ? *number >= minimum : *number > minimum);
    if (!fit) return ServiceFieldProblem{wanted, numberText(*number)};
    return std::nullopt;
}

} // namespace

std::optional<ServiceFieldProblem> serviceFieldProblem(std::string_view key, const PlistValue& value) {
    if (key == kCostKey) return numberProblem(value, "a number", -HUGE_VAL, true);
    if (key == kOdometerKey) return numberProblem(value, "a number at least 0", 0.0, true);
    if (key == kServiceIntervalDistanceKey) return numberProblem(value, "a number above 0", 0.0, false);
    if (key == kServiceIntervalDaysKey) {
        const char* wanted = "a whole number of days from 1 to 3652425";
        if (value.isReal()) return ServiceFieldProblem{wanted, numberText(value.real())};
        if (!value.isInteger()) return ServiceFieldProblem{wanted, kindName(value)};
        if (value.integer() < 1 || value.integer() > kMaxServiceIntervalDays)
            return ServiceFieldProblem{wanted, std::to_string(value.integer())};
        return std::nullopt;
    }
    if (key == kDistanceUnitKey) {
        const char* wanted = "\"km\" or \"mi\"";
        if (!value.isString()) return ServiceFieldProblem{wanted, kindName(value)};
        if (!distanceUnitNamed(value.string())) return ServiceFieldProblem{wanted, quotedForMessage(value.string())};
        return std::nullopt;
    }
    if (key == kCurrencyKey) {
        const char* wanted = "a currency code of three capital letters";
        if (!value.isString()) return ServiceFieldProblem{wanted, kindName(value)};
        const std::string& code = value.string();
        bool fit = code.size() == 3;
        for (char c : code) fit = fit && c >= 'A' && c <= 'Z';
        if (!fit) return ServiceFieldProblem{wanted, quotedForMessage(code)};
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace cogbook
