#include "foundation/date.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace cogbook {
namespace {

// 0001-01-01 and 9999-12-31 23:59:59 as seconds since the reference date.
constexpr double kFirstRepresentable = -63113904000.0;
constexpr double kLastRepresentable = 252423993599.0;

// Seconds that can go through the calendar arithmetic without overflow.
double clampedSeconds(double seconds) {
    if (!std::isfinite(seconds)) return 0.0;
    if (seconds < kFirstRepresentable) return kFirstRepresentable;
    if (seconds > kLastRepresentable) return kLastRepresentable;
    return seconds;
}

bool parseDigits(std::string_view text, std::size_t pos, std::size_t count, unsigned& out) {
    if (pos + count > text.size()) return false;
    unsigned value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    out = value;
    return true;
}

unsigned daysInMonth(long long year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

// Days since 1970-01-01 of a proleptic Gregorian date (after H. Hinnant's
// public-domain algorithms).
long long daysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate civilFromDays(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{y + (m <= 2), m, d};
}

Date Date::now() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const double unix = std::chrono::duration<double>(since).count();
    return fromUnixSeconds(unix);
}

bool Date::isRepresentable() const {
    return std::isfinite(seconds_) && seconds_ >= kFirstRepresentable &&
           seconds_ < kLastRepresentable + 1.0;
}

std::string Date::description() const {
    const double seconds = clampedSeconds(seconds_);
    const auto unix = static_cast<std::time_t>(std::floor(seconds + kUnixEpochOffset));
    std::tm local{};
    char buffer[64];
    if (localtime_r(&unix, &local) == nullptr) {
        // No zone data for this moment: fall back to UTC.
        const long long days = static_cast<long long>(std::floor(static_cast<double>(unix) / 86400.0));
        const long long secs = static_cast<long long>(unix) - days * 86400;
        const CivilDate c = civilFromDays(days);
        std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02lld:%02lld:%02lld +0000", c.year,
                      c.month, c.day, secs / 3600, secs / 60 % 60, secs % 60);
        return buffer;
    }
    const long offset = local.tm_gmtoff;
    const long absOffset = offset < 0 ? -offset : offset;
    std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d %02d:%02d:%02d %c%02ld%02ld",
                  static_cast<long long>(local.tm_year) + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec, offset < 0 ? '-' : '+',
                  absOffset / 3600, absOffset / 60 % 60);
    return buffer;
}

std::string Date::iso8601() const {
    const double seconds = clampedSeconds(seconds_);
    // Split before scaling, so that the fraction keeps its precision.
    double whole = std::floor(seconds);
    long long micros = std::llround((seconds - whole) * 1e6);
    if (micros >= 1000000) {
        whole += 1.0;
        micros -= 1000000;
    }
    const long long unix = static_cast<long long>(whole) + static_cast<long long>(kUnixEpochOffset);
    long long days = unix / 86400;
    long long secs = unix % 86400;
    if (secs < 0) {
        secs += 86400;
        days -= 1;
    }
    const CivilDate c = civilFromDays(days);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%06lldZ", c.year,
                  c.month, c.day, secs / 3600, secs / 60 % 60, secs % 60, micros);
    return buffer;
}

std::optional<Date> Date::fromISO8601(std::string_view text) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() < 20 || !parseDigits(text, 0, 4, year) || text[4] != '-' ||
        !parseDigits(text, 5, 2, month) || text[7] != '-' || !parseDigits(text, 8, 2, day) ||
        text[10] != 'T' || !parseDigits(text, 11, 2, hour) || text[13] != ':' ||
        !parseDigits(text, 14, 2, minute) || text[16] != ':' || !parseDigits(text, 17, 2, second))
        return std::nullopt;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;

    std::size_t pos = 19;
    long long micros = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        std::size_t digits = 0;
        long long scale = 100000;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (digits < 6) micros += (text[pos] - '0') * scale;
            scale /= 10;
            ++digits;
            ++pos;
        }
        if (digits == 0 || digits > 9) return std::nullopt;
    }
    long long offsetSeconds = 0;
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos] == '-' ? -1 : 1;
        unsigned oh = 0, om = 0;
        if (!parseDigits(text, pos + 1, 2, oh)) return std::nullopt;
        std::size_t next = pos + 3;
        if (next < text.size() && text[next] == ':') ++next;
        if (!parseDigits(text, next, 2, om) || oh > 23 || om > 59) return std::nullopt;
        offsetSeconds = sign * static_cast<long long>(oh * 3600 + om * 60);
        pos = next + 2;
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;

    const long long unix = daysFromCivil(year, month, day) * 86400 + hour * 3600LL +
                           minute * 60LL + second - offsetSeconds;
    const long long sinceReference = unix - static_cast<long long>(kUnixEpochOffset);
    return Date(static_cast<double>(sinceReference) + static_cast<double>(micros) / 1e6);
}

} // namespace cogbook
