// Reading binary property lists: every offset, count and reference checked
// before it is followed, so that damaged bytes are refused, never trusted.
#include "foundation/binary_plist.h"

#include "foundation/message_text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace cogbook {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

using Kind = BinaryPlistReader::Kind;

std::uint64_t readBigEndian(const std::uint8_t* p, std::size_t n) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) value = (value << 8) | p[i];
    return value;
}

[[noreturn]] void fail(const std::string& what) {
    throw PlistError("binary property list: " + what);
}

[[noreturn]] void failObject(std::uint64_t ref, const std::string& what) {
    fail("object " + std::to_string(ref) + ": " + what);
}

std::string hexByte(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
}

// Only called on markers that object() has accepted.
Kind kindOfMarker(std::uint8_t marker) {
    switch (marker >> 4) {
    case 0x0: return marker == 0x00 ? Kind::Null : Kind::Boolean;
    case 0x1: return Kind::Integer;
    case 0x2: return Kind::Real;
    case 0x3: return Kind::Date;
    case 0x4: return Kind::Data;
    case 0x5:
    case 0x6: return Kind::String;
    case 0x8: return Kind::Uid;
    case 0xA: return Kind::Array;
    case 0xC: return Kind::Set;
    default: return Kind::Dictionary;
    }
}

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Null: return "null";
    case Kind::Boolean: return "a boolean";
    case Kind::Integer: return "an integer";
    case Kind::Real: return "a real";
    case Kind::Date: return "a date";
    case Kind::Data: return "data";
    case Kind::String: return "a string";
    case Kind::Uid: return "a UID";
    case Kind::Array: return "an array";
    case Kind::Set: return "a set";
    case Kind::Dictionary: return "a dictionary";
    }
    return "an unknown object";
}

void requireKind(std::uint64_t ref, std::uint8_t marker, Kind wanted) {
    const Kind found = kindOfMarker(marker);
    if (found != wanted)
        failObject(ref, std::string("expected ") + kindName(wanted) + ", found " + kindName(found));
}

bool isContainerMarker(std::uint8_t marker) {
    const unsigned type = marker >> 4;
    return type == 0xA || type == 0xC || type == 0xD;
}

void appendUtf16Unit(std::string& out, const std::uint8_t* p, std::uint64_t count,
                     std::uint64_t& i) {
    const auto unit = [&](std::uint64_t k) -> char32_t {
        return static_cast<char32_t>((p[2 * k] << 8) | p[2 * k + 1]);
    };
    const char32_t u = unit(i++);
    if (u >= 0xD800 && u <= 0xDBFF && i < count) {
        const char32_t next = unit(i);
        if (next >= 0xDC00 && next <= 0xDFFF) {
            ++i;
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
            return;
        }
    }
    // appendUtf8 turns a lone surrogate into U+FFFD.
    appendUtf8(out, u);
}

} // namespace

BinaryPlistReader::BinaryPlistReader(std::span<const std::uint8_t> bytes)
    : BinaryPlistReader(bytes, Limits{}) {}

BinaryPlistReader::BinaryPlistReader(std::span<const std::uint8_t> bytes, Limits limits)
    : bytes_(bytes), limits_(limits) {
    if (bytes.size() < kHeaderSize + 1 + kTrailerSize)
        fail("file too short (" + std::to_string(bytes.size()) + " bytes)");
    if (std::memcmp(bytes.data(), "bplist0", 7) != 0 || bytes[7] < '0' || bytes[7] > '9')
        fail("bad header");

    const std::uint8_t* trailer = bytes.data() + bytes.size() - kTrailerSize;
    offsetSize_ = trailer[6];
    refSize_ = trailer[7];
    objectCount_ = readBigEndian(trailer + 8, 8);
    top_ = readBigEndian(trailer + 16, 8);
    offsetTable_ = readBigEndian(trailer + 24, 8);

    if (offsetSize_ < 1 || offsetSize_ > 8)
        fail("offset size " + std::to_string(offsetSize_) + " is not 1 to 8");
    if (refSize_ < 1 || refSize_ > 8)
        fail("reference size " + std::to_string(refSize_) + " is not 1 to 8");
    if (objectCount_ == 0) fail("no objects");
    if (objectCount_ > limits_.maxObjects)
        fail(std::to_string(objectCount_) + " objects, more than the limit of " +
             std::to_string(limits_.maxObjects));
    const std::uint64_t trailerStart = bytes.size() - kTrailerSize;
    if (offsetTable_ < kHeaderSize + 1 || offsetTable_ > trailerStart)
        fail("offset table at " + std::to_string(offsetTable_) + " lies outside the file");
    // Division rather than multiplication, so that a huge count cannot overflow.
    if (objectCount_ > (trailerStart - offsetTable_) / offsetSize_)
        fail("offset table of " + std::to_string(objectCount_) + " objects does not fit in the file");
    if (top_ >= objectCount_)
        fail("top object " + std::to_string(top_) + " out of range (" +
             std::to_string(objectCount_) + " objects)");

    // Checking every offset now lets object() trust them; it is one pass over
    // a table that the file already holds.
    const std::uint8_t* table = bytes.data() + offsetTable_;
    for (std::uint64_t i = 0; i < objectCount_; ++i) {
        const std::uint64_t offset = readBigEndian(table + i * offsetSize_, offsetSize_);
        if (offset < kHeaderSize || offset >= offsetTable_)
            failObject(i, "offset " + std::to_string(offset) + " outside the object area");
    }
}

std::size_t BinaryPlistReader::offsetOf(Ref ref) const {
    return static_cast<std::size_t>(
        readBigEndian(bytes_.data() + offsetTable_ + ref * offsetSize_, offsetSize_));
}

std::uint64_t BinaryPlistReader::readRef(std::size_t offset) const {
    return readBigEndian(bytes_.data() + offset, refSize_);
}

BinaryPlistReader::Ref BinaryPlistReader::checkedRef(Ref container, std::size_t offset) const {
    const Ref ref = readRef(offset);
    if (ref >= objectCount_)
        failObject(container, "refers to object " + std::to_string(ref) + ", out of range (" +
                                  std::to_string(objectCount_) + " objects)");
    return ref;
}

BinaryPlistReader::Object BinaryPlistReader::object(Ref ref) const {
    if (ref >= objectCount_)
        fail("reference " + std::to_string(ref) + " out of range (" + std::to_string(objectCount_) +
             " objects)");
    const std::size_t start = offsetOf(ref);
    const std::size_t end = static_cast<std::size_t>(offsetTable_);
    const std::uint8_t marker = bytes_[start];
    const unsigned type = marker >> 4;
    const unsigned low = marker & 0xFu;
    std::size_t pos = start + 1;

    const auto needFixed = [&](std::size_t size) -> Object {
        if (end - pos < size) failObject(ref, "truncated (" + hexByte(marker) + ")");
        return Object{marker, size, pos};
    };

    switch (type) {
    case 0x0:
        if (marker == 0x00 || marker == 0x08 || marker == 0x09) return Object{marker, 0, pos};
        if (marker == 0x0F) failObject(ref, "fill byte where an object should be");
        failObject(ref, "unknown marker " + hexByte(marker));
    case 0x1:
        if (low > 4) failObject(ref, "integer of unsupported size (" + hexByte(marker) + ")");
        return needFixed(std::size_t{1} << low);
    case 0x2:
        if (low != 2 && low != 3) failObject(ref, "real of unsupported size (" + hexByte(marker) + ")");
        return needFixed(std::size_t{1} << low);
    case 0x3:
        if (marker != 0x33) failObject(ref, "unknown marker " + hexByte(marker));
        return needFixed(8);
    case 0x8:
        if (low > 7) failObject(ref, "UID of unsupported size (" + hexByte(marker) + ")");
        return needFixed(low + 1u);
    case 0x4:
    case 0x5:
    case 0x6:
    case 0xA:
    case 0xC:
    case 0xD:
        break;
    default:
        failObject(ref, "unknown marker " + hexByte(marker));
    }

    std::uint64_t count = low;
    if (low == 0xF) {
        if (pos >= end) failObject(ref, "truncated count");
        const std::uint8_t countMarker = bytes_[pos];
        if ((countMarker >> 4) != 0x1 || (countMarker & 0xFu) > 3)
            failObject(ref, "bad count marker " + hexByte(countMarker));
        const std::size_t size = std::size_t{1} << (countMarker & 0xFu);
        ++pos;
        if (end - pos < size) failObject(ref, "truncated count");
        count = readBigEndian(bytes_.data() + pos, size);
        pos += size;
        if (size == 8 && count > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            failObject(ref, "negative count");
    }

    // The elements must fit before the offset table: checked here, before any
    // caller sizes a buffer by COUNT.
    std::uint64_t unit = 1;
    if (type == 0x6) unit = 2;
    else if (type == 0xA || type == 0xC) unit = refSize_;
    else if (type == 0xD) unit = 2u * refSize_;
    if (count > (end - pos) / unit)
        failObject(ref, "count " + std::to_string(count) + " runs past the object area");
    return Object{marker, count, pos};
}

BinaryPlistReader::Kind BinaryPlistReader::kind(Ref ref) const {
    return kindOfMarker(object(ref).marker);
}

bool BinaryPlistReader::boolean(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Boolean);
    return o.marker == 0x09;
}

std::int64_t BinaryPlistReader::integer(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Integer);
    const std::uint8_t* p = bytes_.data() + o.payload;
    if (o.count <= 4) return static_cast<std::int64_t>(readBigEndian(p, o.count));
    if (o.count == 8) return static_cast<std::int64_t>(readBigEndian(p, 8));
    // 16 bytes: a two's-complement 128-bit value, kept only when the high half
    // is the sign extension of the low half.
    const std::uint64_t high = readBigEndian(p, 8);
    const std::uint64_t lowHalf = readBigEndian(p + 8, 8);
    const bool negative = (lowHalf >> 63) != 0;
    if (high != (negative ? ~std::uint64_t{0} : 0))
        failObject(ref, "integer does not fit in 64 bits");
    return static_cast<std::int64_t>(lowHalf);
}

double BinaryPlistReader::real(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Real);
    const std::uint8_t* p = bytes_.data() + o.payload;
    if (o.count == 4) return std::bit_cast<float>(static_cast<std::uint32_t>(readBigEndian(p, 4)));
    return std::bit_cast<double>(readBigEndian(p, 8));
}

Date BinaryPlistReader::date(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Date);
    return Date(std::bit_cast<double>(readBigEndian(bytes_.data() + o.payload, 8)));
}

PlistData BinaryPlistReader::data(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Data);
    const std::uint8_t* p = bytes_.data() + o.payload;
    return PlistData(p, p + o.count);
}

std::string BinaryPlistReader::string(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::String);
    const std::uint8_t* p = bytes_.data() + o.payload;
    std::string out;
    if ((o.marker >> 4) == 0x5) {
        out.reserve(o.count);
        // Bytes past 0x7F have no meaning in this form; they become U+FFFD so
        // that every string we hand out is valid UTF-8.
        for (std::uint64_t i = 0; i < o.count; ++i) {
            if (p[i] < 0x80) out.push_back(static_cast<char>(p[i]));
            else appendUtf8(out, 0xFFFD);
        }
        return out;
    }
    out.reserve(o.count * 2);
    for (std::uint64_t i = 0; i < o.count;) appendUtf16Unit(out, p, o.count, i);
    return out;
}

std::uint64_t BinaryPlistReader::uid(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Uid);
    return readBigEndian(bytes_.data() + o.payload, o.count);
}

std::vector<BinaryPlistReader::Ref> BinaryPlistReader::arrayRefs(Ref ref) const {
    const Object o = object(ref);
    const unsigned type = o.marker >> 4;
    if (type != 0xA && type != 0xC)
        failObject(ref, std::string("expected an array, found ") + kindName(kindOfMarker(o.marker)));
    std::vector<Ref> refs;
    refs.reserve(o.count);
    for (std::uint64_t i = 0; i < o.count; ++i) refs.push_back(checkedRef(ref, o.payload + i * refSize_));
    return refs;
}

std::vector<std::pair<BinaryPlistReader::Ref, BinaryPlistReader::Ref>>
BinaryPlistReader::dictionaryRefs(Ref ref) const {
    const Object o = object(ref);
    requireKind(ref, o.marker, Kind::Dictionary);
    std::vector<std::pair<Ref, Ref>> entries;
    entries.reserve(o.count);
    const std::size_t values = o.payload + o.count * refSize_;
    for (std::uint64_t i = 0; i < o.count; ++i)
        entries.emplace_back(checkedRef(ref, o.payload + i * refSize_),
                             checkedRef(ref, values + i * refSize_));
    return entries;
}

bool BinaryPlistReader::stringEquals(Ref ref, std::string_view text) const {
    if (ref >= objectCount_) return false;
    try {
        const Object o = object(ref);
        if ((o.marker >> 4) == 0x5) {
            // Pure ASCII, the common case, compares in place; other bytes only
            // match after string() has replaced them.
            const std::uint8_t* p = bytes_.data() + o.payload;
            if (std::none_of(p, p + o.count, [](std::uint8_t b) { return b >= 0x80; }))
                return o.count == text.size() &&
                       (text.empty() || std::memcmp(p, text.data(), text.size()) == 0);
            return string(ref) == text;
        }
        if ((o.marker >> 4) == 0x6) return string(ref) == text;
    } catch (const PlistError&) {
    }
    return false;
}

PlistValue BinaryPlistReader::toValue(Ref ref) const {
    // First measure what REF expands to, without making anything: the number of
    // values (a shared subtree counts every time it is reached), the nesting
    // depth and any cycle. Sizes are remembered per container, so a file that
    // shares references exponentially is measured in time linear in its size
    // and refused before a single value is made.
    struct Measure {
        std::uint64_t size = 0;
        std::uint64_t height = 0; // containers on the longest path down, this one included
        bool done = false;
    };
    struct Frame {
        Ref ref;
        std::size_t refsAt;
        std::uint64_t refCount;
        std::uint64_t next;
        std::uint64_t size;
        std::uint64_t height;
    };
    const std::uint64_t maxValues = limits_.maxValues;
    const std::uint64_t maxDepth = limits_.maxDepth;
    const auto weight = [](const Object& o) -> std::uint64_t {
        // Strings and data also count by length, so that one large string
        // shared a million times is refused too.
        switch (o.marker >> 4) {
        case 0x4:
        case 0x5: return 1 + o.count / 16;
        case 0x6: return 1 + o.count / 8;
        default: return 1;
        }
    };
    const auto refCountOf = [](const Object& o) {
        return (o.marker >> 4) == 0xD ? 2 * o.count : o.count;
    };
    const auto tooMany = [&]() {
        fail("object " + std::to_string(ref) + " expands to more than " + std::to_string(maxValues) +
             " values");
    };
    const auto tooDeep = [&]() {
        fail("object " + std::to_string(ref) + " is nested deeper than " + std::to_string(maxDepth) +
             " levels");
    };

    const Object rootObject = object(ref);
    if (weight(rootObject) > maxValues) tooMany();
    if (isContainerMarker(rootObject.marker)) {
        if (maxDepth < 1) tooDeep();
        std::unordered_map<Ref, Measure> measured;
        std::vector<Frame> stack;
        measured.emplace(ref, Measure{});
        stack.push_back(Frame{ref, rootObject.payload, refCountOf(rootObject), 0, 1, 1});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            std::uint64_t childSize = 0;
            std::uint64_t childHeight = 0;
            if (frame.next < frame.refCount) {
                const Ref child = checkedRef(frame.ref, frame.refsAt + frame.next * refSize_);
                ++frame.next;
                const auto found = measured.find(child);
                if (found != measured.end()) {
                    if (!found->second.done)
                        failObject(child, "contains itself (a reference cycle)");
                    childSize = found->second.size;
                    childHeight = found->second.height;
                } else {
                    const Object c = object(child);
                    if (isContainerMarker(c.marker)) {
                        if (stack.size() >= maxDepth) tooDeep();
                        measured.emplace(child, Measure{});
                        stack.push_back(Frame{child, c.payload, refCountOf(c), 0, 1, 1});
                        continue;
                    }
                    childSize = weight(c);
                }
            } else {
                const Measure m{frame.size, frame.height, true};
                const Ref done = frame.ref;
                stack.pop_back();
                measured[done] = m;
                if (stack.empty()) break;
                childSize = m.size;
                childHeight = m.height;
            }
            Frame& parent = stack.back();
            if (stack.size() + childHeight > maxDepth) tooDeep();
            if (childSize > maxValues - parent.size) tooMany();
            parent.size += childSize;
            parent.height = std::max(parent.height, childHeight + 1);
        }
    }

    // The measure bounds the recursion by maxDepth and the allocation by
    // maxValues; what is left to refuse are keys that are no strings and
    // duplicate keys.
    const auto build = [this](const auto& self, Ref at) -> PlistValue {
        const Object o = object(at);
        switch (kindOfMarker(o.marker)) {
        case Kind::Null: return PlistValue();
        case Kind::Boolean: return PlistValue(o.marker == 0x09);
        case Kind::Integer: return PlistValue(integer(at));
        case Kind::Real: return PlistValue(real(at));
        case Kind::Date: return PlistValue(date(at));
        case Kind::Data: return PlistValue(data(at));
        case Kind::String: return PlistValue(string(at));
        case Kind::Uid: return PlistValue(PlistUid{uid(at)});
        case Kind::Array:
        case Kind::Set: {
            PlistArray elements;
            elements.reserve(o.count);
            for (std::uint64_t i = 0; i < o.count; ++i)
                elements.push_back(self(self, checkedRef(at, o.payload + i * refSize_)));
            return PlistValue(std::move(elements));
        }
        case Kind::Dictionary: {
            PlistDictionary entries;
            entries.reserve(o.count);
            const std::size_t values = o.payload + o.count * refSize_;
            for (std::uint64_t i = 0; i < o.count; ++i) {
                const Ref key = checkedRef(at, o.payload + i * refSize_);
                if (kind(key) != Kind::String)
                    failObject(at, "dictionary key " + std::to_string(i) + " is " +
                                       kindName(kind(key)) + ", not a string");
                entries.emplace_back(string(key), self(self, checkedRef(at, values + i * refSize_)));
            }
            std::vector<const std::string*> keys;
            keys.reserve(entries.size());
            for (const auto& entry : entries) keys.push_back(&entry.first);
            std::sort(keys.begin(), keys.end(), [](auto* a, auto* b) { return *a < *b; });
            const auto duplicate =
                std::adjacent_find(keys.begin(), keys.end(), [](auto* a, auto* b) { return *a == *b; });
            if (duplicate != keys.end()) failObject(at, "duplicate dictionary key " + quotedForMessage(**duplicate));
            return PlistValue(std::move(entries));
        }
        }
        return PlistValue();
    };
    return build(build, ref);
}

PlistValue readBinaryPlist(std::span<const std::uint8_t> bytes) {
    const BinaryPlistReader reader(bytes);
    return reader.toValue(reader.topObject());
}

} // namespace cogbook
