// Writing binary property lists: objects added one by one (or from a value),
// then laid out with offsets and references as small as they can be.
#include "foundation/binary_plist.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace cogbook {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;
// The writer refuses to nest deeper than the readers will read back.
constexpr std::size_t kMaxWriteDepth = 512;

void writeBigEndian(std::uint8_t* p, std::uint64_t value, std::size_t n) {
    for (std::size_t i = n; i-- > 0;) {
        p[i] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

// Bytes needed to hold VALUE, at least one.
std::size_t bytesFor(std::uint64_t value) {
    std::size_t n = 1;
    while (n < 8 && (value >> (8 * n)) != 0) ++n;
    return n;
}

[[noreturn]] void fail(const std::string& what) {
    throw PlistError("binary property list: " + what);
}

[[noreturn]] void failObject(std::uint64_t ref, const std::string& what) {
    fail("object " + std::to_string(ref) + ": " + what);
}

enum EntryKind : std::uint8_t { kScalarEntry, kArrayEntry, kDictionaryEntry, kReservedEntry };

template <typename Bytes>
void appendBigEndian(Bytes& out, std::uint64_t value, std::size_t n) {
    writeBigEndian(out.extend(n), value, n);
}

// Smallest unsigned integer object: 1, 2, 4 or 8 bytes.
std::size_t intSizeFor(std::uint64_t value) {
    if (value <= 0xFF) return 1;
    if (value <= 0xFFFF) return 2;
    if (value <= 0xFFFFFFFFu) return 4;
    return 8;
}

std::uint8_t intMarker(std::size_t size) {
    return static_cast<std::uint8_t>(0x10 | std::countr_zero(size));
}

std::size_t writeMarkerAndCount(std::uint8_t* p, unsigned type, std::uint64_t count) {
    if (count < 15) {
        *p = static_cast<std::uint8_t>((type << 4) | count);
        return 1;
    }
    p[0] = static_cast<std::uint8_t>((type << 4) | 0xF);
    const std::size_t size = intSizeFor(count);
    p[1] = intMarker(size);
    writeBigEndian(p + 2, count, size);
    return 2 + size;
}

template <typename Bytes>
void appendMarkerAndCount(Bytes& out, unsigned type, std::uint64_t count) {
    std::uint8_t header[10];
    out.append(header, writeMarkerAndCount(header, type, count));
}

[[noreturn]] void failTooLarge() {
    throw PlistError("binary property list: too large to write");
}

std::uint32_t narrow32(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max()) failTooLarge();
    return static_cast<std::uint32_t>(value);
}

} // namespace

BinaryPlistWriter::Ref BinaryPlistWriter::addScalar(std::size_t begin) {
    objects_.push_back(Entry{kScalarEntry, narrow32(begin), narrow32(scalarBytes_.size() - begin)});
    return objects_.size() - 1;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addNull() {
    const std::size_t begin = scalarBytes_.size();
    scalarBytes_.push_back(0x00);
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addBoolean(bool value) {
    const std::size_t begin = scalarBytes_.size();
    scalarBytes_.push_back(value ? 0x09 : 0x08);
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addInteger(std::int64_t value) {
    const std::size_t begin = scalarBytes_.size();
    // Negative values take the 8-byte form, the only signed one.
    const std::size_t size = value < 0 ? 8 : intSizeFor(static_cast<std::uint64_t>(value));
    scalarBytes_.push_back(intMarker(size));
    appendBigEndian(scalarBytes_, static_cast<std::uint64_t>(value), size);
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addReal(double value) {
    const std::size_t begin = scalarBytes_.size();
    scalarBytes_.push_back(0x23);
    appendBigEndian(scalarBytes_, std::bit_cast<std::uint64_t>(value), 8);
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addDate(Date value) {
    const std::size_t begin = scalarBytes_.size();
    scalarBytes_.push_back(0x33);
    appendBigEndian(scalarBytes_, std::bit_cast<std::uint64_t>(value.timeIntervalSinceReferenceDate()), 8);
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addData(PlistData value) {
    const std::size_t begin = scalarBytes_.size();
    appendMarkerAndCount(scalarBytes_, 0x4, value.size());
    scalarBytes_.append(value.data(), value.size());
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addString(std::string_view utf8) {
    const std::size_t begin = scalarBytes_.size();
    const bool ascii = std::none_of(utf8.begin(), utf8.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (ascii) {
        appendMarkerAndCount(scalarBytes_, 0x5, utf8.size());
        scalarBytes_.append(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size());
        return addScalar(begin);
    }
    // Count the UTF-16 units first: the count precedes them.
    std::uint64_t units = 0;
    for (std::size_t pos = 0; pos < utf8.size();) units += nextCodePoint(utf8, pos) >= 0x10000 ? 2 : 1;
    appendMarkerAndCount(scalarBytes_, 0x6, units);
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, pos);
        if (cp >= 0x10000) {
            appendBigEndian(scalarBytes_, 0xD800 + ((cp - 0x10000) >> 10), 2);
            appendBigEndian(scalarBytes_, 0xDC00 + ((cp - 0x10000) & 0x3FF), 2);
        } else {
            appendBigEndian(scalarBytes_, cp, 2);
        }
    }
    return addScalar(begin);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addUid(std::uint64_t value) {
    const std::size_t begin = scalarBytes_.size();
    const std::size_t size = bytesFor(value);
    scalarBytes_.push_back(static_cast<std::uint8_t>(0x80 | (size - 1)));
    appendBigEndian(scalarBytes_, value, size);
    return addScalar(begin);
}

void BinaryPlistWriter::appendRef(Ref ref) {
    // References are kept in 32 bits; the table could not hold more objects.
    if (ref >= std::numeric_limits<std::uint32_t>::max())
        fail("reference " + std::to_string(ref) + " out of range");
    refs_.push_back(static_cast<std::uint32_t>(ref));
}

BinaryPlistWriter::Ref BinaryPlistWriter::addArray(std::vector<Ref> elements) {
    const std::size_t first = refs_.size();
    for (const Ref element : elements) appendRef(element);
    objects_.push_back(Entry{kArrayEntry, narrow32(first), narrow32(elements.size())});
    return objects_.size() - 1;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addDictionary(std::vector<std::pair<Ref, Ref>> entries) {
    const Ref ref = reserve();
    setDictionary(ref, std::move(entries));
    return ref;
}

BinaryPlistWriter::Ref BinaryPlistWriter::reserve() {
    objects_.push_back(Entry{kReservedEntry, 0, 0});
    return objects_.size() - 1;
}

void BinaryPlistWriter::checkPlaceholder(Ref ref) const {
    if (ref >= objects_.size() || objects_[ref].kind != kReservedEntry)
        fail("object " + std::to_string(ref) + " is not a placeholder waiting to be set");
}

void BinaryPlistWriter::setArray(Ref ref, std::vector<Ref> elements) {
    checkPlaceholder(ref);
    const std::size_t first = refs_.size();
    for (const Ref element : elements) appendRef(element);
    objects_[ref] = Entry{kArrayEntry, narrow32(first), narrow32(elements.size())};
}

void BinaryPlistWriter::setDictionary(Ref ref, std::vector<std::pair<Ref, Ref>> entries) {
    checkPlaceholder(ref);
    // Dictionaries are stored with all keys first, then all values.
    const std::size_t first = refs_.size();
    for (const auto& entry : entries) appendRef(entry.first);
    for (const auto& entry : entries) appendRef(entry.second);
    objects_[ref] = Entry{kDictionaryEntry, narrow32(first), narrow32(entries.size())};
}

std::vector<std::uint8_t> BinaryPlistWriter::finish(Ref top) const {
    const std::size_t n = objects_.size();
    if (top >= n)
        fail("top object " + std::to_string(top) + " out of range (" + std::to_string(n) + " objects)");
    const std::size_t refSize = bytesFor(n - 1);
    const auto refCount = [](const Entry& e) {
        return e.kind == kDictionaryEntry ? 2 * std::size_t{e.count} : std::size_t{e.count};
    };

    // First the layout, so that the offset size is known before writing and
    // the file is made at its final size.
    std::size_t pos = kHeaderSize;
    std::size_t lastOffset = pos;
    for (std::size_t i = 0; i < n; ++i) {
        const Entry& e = objects_[i];
        lastOffset = pos;
        if (e.kind == kScalarEntry) {
            pos += e.count;
        } else if (e.kind == kReservedEntry) {
            failObject(i, "was reserved but never set");
        } else {
            pos += (e.count < 15 ? 1 : 2 + intSizeFor(e.count)) + refCount(e) * refSize;
        }
    }
    const std::size_t offsetTable = pos;
    const std::size_t offsetSize = bytesFor(lastOffset);

    std::vector<std::uint8_t> out(offsetTable + n * offsetSize + kTrailerSize);
    std::uint8_t* const p = out.data();
    std::uint8_t* table = p + offsetTable;
    std::memcpy(p, "bplist00", kHeaderSize);
    pos = kHeaderSize;
    for (std::size_t i = 0; i < n; ++i) {
        writeBigEndian(table, pos, offsetSize);
        table += offsetSize;
        const Entry& e = objects_[i];
        if (e.kind == kScalarEntry) {
            std::memcpy(p + pos, scalarBytes_.data() + e.first, e.count);
            pos += e.count;
            continue;
        }
        pos += writeMarkerAndCount(p + pos, e.kind == kArrayEntry ? 0xA : 0xD, e.count);
        const std::uint32_t* refs = refs_.data() + e.first;
        const std::size_t total = refCount(e);
        for (std::size_t j = 0; j < total; ++j) {
            if (refs[j] >= n)
                failObject(i, "refers to object " + std::to_string(refs[j]) + ", out of range (" +
                                  std::to_string(n) + " objects)");
            writeBigEndian(p + pos, refs[j], refSize);
            pos += refSize;
        }
    }
    std::uint8_t* trailer = p + offsetTable + n * offsetSize;
    // Five unused bytes and the sort version stay zero.
    trailer[6] = static_cast<std::uint8_t>(offsetSize);
    trailer[7] = static_cast<std::uint8_t>(refSize);
    writeBigEndian(trailer + 8, n, 8);
    writeBigEndian(trailer + 16, top, 8);
    writeBigEndian(trailer + 24, offsetTable, 8);
    return out;
}

BinaryPlistWriter::Ref BinaryPlistWriter::add(const PlistValue& value) {
    return add(value, 0);
}

BinaryPlistWriter::Ref BinaryPlistWriter::add(const PlistValue& value, std::size_t depth) {
    if (depth >= kMaxWriteDepth)
        fail("value nested deeper than " + std::to_string(kMaxWriteDepth) + " levels");
    const auto addSharedString = [this](const std::string& s) {
        const auto found = addedStrings_.find(s);
        if (found != addedStrings_.end()) return found->second;
        const Ref ref = addString(s);
        addedStrings_.emplace(s, ref);
        return ref;
    };
    switch (value.type()) {
    case PlistValue::Type::Null: return addNull();
    case PlistValue::Type::String: return addSharedString(value.string());
    case PlistValue::Type::Integer: return addInteger(value.integer());
    case PlistValue::Type::Real: return addReal(value.real());
    case PlistValue::Type::Boolean: return addBoolean(value.boolean());
    case PlistValue::Type::Date: return addDate(value.date());
    case PlistValue::Type::Data: return addData(value.data());
    case PlistValue::Type::Uid: return addUid(value.uid().value);
    case PlistValue::Type::Array: {
        std::vector<Ref> elements;
        elements.reserve(value.array().size());
        for (const auto& element : value.array()) elements.push_back(add(element, depth + 1));
        return addArray(std::move(elements));
    }
    case PlistValue::Type::Dictionary: {
        std::vector<std::pair<Ref, Ref>> entries;
        entries.reserve(value.dictionary().size());
        for (const auto& [key, element] : value.dictionary()) {
            const Ref keyRef = addSharedString(key);
            entries.emplace_back(keyRef, add(element, depth + 1));
        }
        return addDictionary(std::move(entries));
    }
    }
    return addNull();
}

std::vector<std::uint8_t> writeBinaryPlist(const PlistValue& value) {
    BinaryPlistWriter writer;
    const auto top = writer.add(value);
    return writer.finish(top);
}

} // namespace cogbook
