#include "foundation/plist.h"

#include <algorithm>
#include <cstring>

#include "foundation/binary_plist.h"
#include "foundation/xml_plist.h"

namespace cogbook {

namespace {

// Raised by the typed accessors; the message names both types so that a
// caller reading a file can say what it found instead of what it wanted.
[[noreturn]] void wrongType(PlistValue::Type wanted, PlistValue::Type found) {
    throw PlistError(std::string("expected ") + PlistValue::typeName(wanted) + ", found " +
                     PlistValue::typeName(found));
}

} // namespace

const char* PlistValue::typeName(Type type) {
    switch (type) {
    case Type::Null: return "null";
    case Type::String: return "string";
    case Type::Integer: return "integer";
    case Type::Real: return "real";
    case Type::Boolean: return "boolean";
    case Type::Date: return "date";
    case Type::Data: return "data";
    case Type::Array: return "array";
    case Type::Dictionary: return "dictionary";
    case Type::Uid: return "UID";
    }
    return "unknown";
}

const std::string& PlistValue::string() const {
    if (!isString()) wrongType(Type::String, type());
    return std::get<std::string>(v_);
}

std::int64_t PlistValue::integer() const {
    if (!isInteger()) wrongType(Type::Integer, type());
    return std::get<std::int64_t>(v_);
}

double PlistValue::real() const {
    if (!isReal()) wrongType(Type::Real, type());
    return std::get<double>(v_);
}

bool PlistValue::boolean() const {
    if (!isBoolean()) wrongType(Type::Boolean, type());
    return std::get<bool>(v_);
}

Date PlistValue::date() const {
    if (!isDate()) wrongType(Type::Date, type());
    return std::get<Date>(v_);
}

const PlistData& PlistValue::data() const {
    if (!isData()) wrongType(Type::Data, type());
    return std::get<PlistData>(v_);
}

const PlistArray& PlistValue::array() const {
    if (!isArray()) wrongType(Type::Array, type());
    return std::get<PlistArray>(v_);
}

PlistArray& PlistValue::array() {
    if (!isArray()) wrongType(Type::Array, type());
    return std::get<PlistArray>(v_);
}

const PlistDictionary& PlistValue::dictionary() const {
    if (!isDictionary()) wrongType(Type::Dictionary, type());
    return std::get<PlistDictionary>(v_);
}

PlistDictionary& PlistValue::dictionary() {
    if (!isDictionary()) wrongType(Type::Dictionary, type());
    return std::get<PlistDictionary>(v_);
}

PlistUid PlistValue::uid() const {
    if (!isUid()) wrongType(Type::Uid, type());
    return std::get<PlistUid>(v_);
}

namespace {

bool holdsNonEmptyContainer(const PlistValue& value) {
    return (value.isArray() && !value.array().empty()) ||
           (value.isDictionary() && !value.dictionary().empty());
}

// Moves the non-empty containers inside VALUE onto PENDING.
void detachNested(PlistValue& value, std::vector<PlistValue>& pending) {
    if (value.isArray()) {
        for (auto& element : value.array())
            if (holdsNonEmptyContainer(element)) pending.push_back(std::move(element));
    } else if (value.isDictionary()) {
        for (auto& entry : value.dictionary())
            if (holdsNonEmptyContainer(entry.second)) pending.push_back(std::move(entry.second));
    }
}

} // namespace

PlistValue::~PlistValue() {
    if (!holdsNonEmptyContainer(*this)) return;
    bool nested = false;
    if (isArray()) {
        for (const auto& element : array()) nested = nested || holdsNonEmptyContainer(element);
    } else {
        for (const auto& entry : dictionary()) nested = nested || holdsNonEmptyContainer(entry.second);
    }
    if (!nested) return; // the common case: one level, nothing to take apart
    std::vector<PlistValue> pending;
    detachNested(*this, pending);
    while (!pending.empty()) {
        PlistValue next = std::move(pending.back());
        pending.pop_back();
        detachNested(next, pending);
    } // NEXT dies holding only empty containers and scalars
}

const PlistValue* PlistValue::find(std::string_view key) const {
    if (!isDictionary()) return nullptr;
    for (const auto& [k, v] : std::get<PlistDictionary>(v_))
        if (k == key) return &v;
    return nullptr;
}

void PlistValue::set(std::string_view key, PlistValue value) {
    auto& entries = dictionary();
    for (auto& [k, v] : entries) {
        if (k == key) {
            v = std::move(value);
            return;
        }
    }
    entries.emplace_back(std::string(key), std::move(value));
}

char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    constexpr char32_t kReplacement = 0xFFFD;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    // The accepted range of the second byte rules out overlong forms,
    // surrogates and values past U+10FFFF in one test.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        ++pos;
        return kReplacement;
    }
    if (text.size() - pos < length) {
        ++pos;
        return kReplacement;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(pos + i);
        const unsigned char lo = i == 1 ? low : 0x80, hi = i == 1 ? high : 0xBF;
        if (b < lo || b > hi) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    pos += length;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

PlistValue readPlist(std::span<const std::uint8_t> bytes) {
    static constexpr char kBinaryMagic[] = "bplist";
    constexpr std::size_t kMagicLength = sizeof(kBinaryMagic) - 1;
    if (bytes.size() >= kMagicLength && std::memcmp(bytes.data(), kBinaryMagic, kMagicLength) == 0)
        return readBinaryPlist(bytes);
    return readXmlPlist(bytes);
}

} // namespace cogbook
