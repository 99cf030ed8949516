// A point in time as seconds since the reference date, 2001-01-01 00:00:00 UTC.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace cogbook {

class Date {
public:
    // Seconds between the Unix epoch and the reference date.
    static constexpr double kUnixEpochOffset = 978307200.0;

    constexpr Date() = default;
    constexpr explicit Date(double secondsSinceReferenceDate)
        : seconds_(secondsSinceReferenceDate) {}

    static Date now();
    static Date fromUnixSeconds(double unixSeconds) { return Date(unixSeconds - kUnixEpochOffset); }

    constexpr double timeIntervalSinceReferenceDate() const { return seconds_; }
    double unixSeconds() const { return seconds_ + kUnixEpochOffset; }

    // The later of the two; this one when they are equal.
    Date laterDate(const Date& other) const { return other.seconds_ > seconds_ ? other : *this; }

    constexpr bool operator==(const Date&) const = default;
    constexpr auto operator<=>(const Date&) const = default;

    // True when the date can be shown as a calendar date (years 1 to 9999).
    bool isRepresentable() const;

    // "YYYY-MM-DD HH:MM:SS +HHMM" in the local time zone.
    std::string description() const;
    // "YYYY-MM-DDTHH:MM:SS.ffffffZ", rounded to the microsecond.
    std::string iso8601() const;
    // Reads what iso8601() writes; also accepts fewer fractional digits, none,
    // and an offset ("+02:00", "-0130") instead of "Z". Nothing else.
    static std::optional<Date> fromISO8601(std::string_view text);

private:
    double seconds_ = 0.0;
};

// Proleptic Gregorian calendar helpers on UTC (exposed for tests and for the
// date forms above).
struct CivilDate {
    long long year;
    unsigned month; // 1..12
    unsigned day;   // 1..31
};
long long daysFromCivil(long long year, unsigned month, unsigned day);
CivilDate civilFromDays(long long days);

} // namespace cogbook
