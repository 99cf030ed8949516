// Property-list values and the files that hold them.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "foundation/date.h"

namespace cogbook {

// Raised for every malformed, truncated or over-limit property list. The
// message says what is wrong and, where it helps, at which object or line.
class PlistError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A reference to an object of a keyed archive's "$objects" array.
struct PlistUid {
    std::uint64_t value = 0;
    bool operator==(const PlistUid&) const = default;
};

using PlistData = std::vector<std::uint8_t>;

class PlistValue;
using PlistArray = std::vector<PlistValue>;
// Keys in the order they were read or inserted; a key occurs at most once.
using PlistDictionary = std::vector<std::pair<std::string, PlistValue>>;

class PlistValue {
public:
    enum class Type { Null, String, Integer, Real, Boolean, Date, Data, Array, Dictionary, Uid };

    PlistValue() = default; // null: binary property lists only
    PlistValue(const PlistValue&) = default;
    PlistValue(PlistValue&&) noexcept = default;
    PlistValue& operator=(const PlistValue&) = default;
    PlistValue& operator=(PlistValue&&) noexcept = default;
    // Takes nested containers apart one level at a time, so that a deeply
    // nested value does not need stack in proportion to its depth.
    ~PlistValue();
    PlistValue(std::string s) : v_(std::move(s)) {}
    PlistValue(std::string_view s) : v_(std::string(s)) {}
    PlistValue(const char* s) : v_(std::string(s)) {}
    PlistValue(std::int64_t i) : v_(i) {}
    PlistValue(int i) : v_(static_cast<std::int64_t>(i)) {}
    PlistValue(double d) : v_(d) {}
    PlistValue(bool b) : v_(b) {}
    PlistValue(Date d) : v_(d) {}
    PlistValue(PlistData d) : v_(std::move(d)) {}
    PlistValue(PlistArray a) : v_(std::move(a)) {}
    PlistValue(PlistDictionary d) : v_(std::move(d)) {}
    PlistValue(PlistUid u) : v_(u) {}

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isString() const { return type() == Type::String; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isDate() const { return type() == Type::Date; }
    bool isData() const { return type() == Type::Data; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isUid() const { return type() == Type::Uid; }

    // Typed access; each throws PlistError when the value has another type.
    const std::string& string() const;
    std::int64_t integer() const;
    double real() const;
    bool boolean() const;
    Date date() const;
    const PlistData& data() const;
    const PlistArray& array() const;
    PlistArray& array();
    const PlistDictionary& dictionary() const;
    PlistDictionary& dictionary();
    PlistUid uid() const;

    // Dictionary lookup: null pointer when absent (or when this is no dictionary).
    const PlistValue* find(std::string_view key) const;
    // Sets KEY in a dictionary, replacing an existing entry in place.
    void set(std::string_view key, PlistValue value);

    bool operator==(const PlistValue&) const = default;

    static const char* typeName(Type type);

private:
    std::variant<std::monostate, std::string, std::int64_t, double, bool, Date, PlistData,
                 PlistArray, PlistDictionary, PlistUid>
        v_;
};

// Reads a binary or an XML property list, telling them apart by their first bytes.
PlistValue readPlist(std::span<const std::uint8_t> bytes);

// UTF-8 helpers shared by the readers and writers, which must turn any bytes
// into text they can write back. Reads the code point of TEXT at POS and moves
// POS past it; an invalid, overlong or truncated sequence reads as U+FFFD and
// moves POS by one byte.
char32_t nextCodePoint(std::string_view text, std::size_t& pos);
// Appends CP to OUT in UTF-8; a surrogate or a value past U+10FFFF appends U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

} // namespace cogbook
