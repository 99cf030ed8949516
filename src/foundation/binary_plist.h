// Binary property lists ("bplist00"), read with random access to the object
// table and written from an object table.
//
// The reader never expands shared references on its own and has explicit
// limits, so that no input, however malformed, makes it crash, recurse without
// bound or allocate without bound. Every accessor checks the type and the
// bounds of the object it reads and throws PlistError otherwise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/plist.h"

namespace cogbook {

class BinaryPlistReader {
public:
    using Ref = std::uint64_t; // index into the object table

    struct Limits {
        std::uint64_t maxObjects = 64u * 1024u * 1024u;
        // For toValue(): nesting depth, and the number of values it may make in
        // all (shared references count each time they are reached).
        std::size_t maxDepth = 512;
        std::size_t maxValues = 16u * 1024u * 1024u;
    };

    enum class Kind { Null, Boolean, Integer, Real, Date, Data, String, Uid, Array, Set, Dictionary };

    // Checks the header, the trailer and the offset table (every offset inside
    // the object area). Keeps a view of BYTES: they must outlive the reader.
    explicit BinaryPlistReader(std::span<const std::uint8_t> bytes);
    BinaryPlistReader(std::span<const std::uint8_t> bytes, Limits limits);

    std::uint64_t objectCount() const { return objectCount_; }
    Ref topObject() const { return top_; }

    Kind kind(Ref ref) const;
    bool boolean(Ref ref) const;
    std::int64_t integer(Ref ref) const;
    double real(Ref ref) const;              // integers are not converted
    Date date(Ref ref) const;
    PlistData data(Ref ref) const;
    std::string string(Ref ref) const;       // UTF-8, from ASCII or UTF-16BE
    std::uint64_t uid(Ref ref) const;
    std::vector<Ref> arrayRefs(Ref ref) const; // elements of an array (or set)
    std::vector<std::pair<Ref, Ref>> dictionaryRefs(Ref ref) const; // (key, value)

    // True when REF is a string equal to TEXT; never throws for a non-string.
    bool stringEquals(Ref ref, std::string_view text) const;

    // Materialises the value at REF under the limits; a reference cycle or a
    // value over the limits throws PlistError.
    PlistValue toValue(Ref ref) const;

private:
    // The keyed-archive reader looks keys up in many small dictionaries; it
    // reads their references in place instead of copying them.
    friend class KeyedUnarchiver;

    struct Object {
        std::uint8_t marker;
        std::uint64_t count;      // elements or bytes (length for strings/data)
        std::size_t payload;      // offset of the first byte after the marker and count
    };
    Object object(Ref ref) const;
    std::uint64_t readRef(std::size_t offset) const;
    // The reference at OFFSET, checked to name an object of the table.
    Ref checkedRef(Ref container, std::size_t offset) const;
    std::size_t offsetOf(Ref ref) const;
    std::size_t refSize() const { return refSize_; }

    std::span<const std::uint8_t> bytes_;
    Limits limits_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    Ref top_ = 0;
    std::uint64_t offsetTable_ = 0;
};

// Builds a binary property list one object at a time. Containers name their
// elements by reference, so an object may be referred to from several places
// and containers may be filled after they were added (reserve, then set).
class BinaryPlistWriter {
public:
    using Ref = std::uint64_t;

    Ref addNull();
    Ref addBoolean(bool value);
    Ref addInteger(std::int64_t value);
    Ref addReal(double value);
    Ref addDate(Date value);
    Ref addData(PlistData value);
    Ref addString(std::string_view utf8); // ASCII form when it can, else UTF-16BE
    Ref addUid(std::uint64_t value);
    Ref addArray(std::vector<Ref> elements);
    Ref addDictionary(std::vector<std::pair<Ref, Ref>> entries);

    // A placeholder for a container whose elements are not known yet. It must
    // be set before finish().
    Ref reserve();
    void setArray(Ref ref, std::vector<Ref> elements);
    void setDictionary(Ref ref, std::vector<std::pair<Ref, Ref>> entries);

    std::size_t objectCount() const { return objects_.size(); }

    // The file, with TOP as its top object. Throws PlistError for a reference
    // out of range or a placeholder never set.
    std::vector<std::uint8_t> finish(Ref top) const;

    // Adds VALUE and everything in it; equal strings are stored once.
    Ref add(const PlistValue& value);

private:
    // Representation is the writer's own business; keep it compact (a record
    // of 100,000 items is about a million objects).
    struct Entry {
        std::uint8_t kind;         // scalar, array, dictionary or reserved placeholder
        std::uint32_t first;       // scalars: offset into scalarBytes_; containers: into refs_
        std::uint32_t count;
    };
    // A growable array of plain values that grows with realloc: the system
    // can then move a large table by remapping its pages instead of copying it
    // and touching every page twice, which is most of the cost of the tables
    // of a million objects.
    template <typename T>
    class Table {
        static_assert(std::is_trivially_copyable_v<T>);

    public:
        Table() = default;
        Table(const Table& other) { append(other.data_, other.size_); }
        Table(Table&& other) noexcept
            : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
              capacity_(std::exchange(other.capacity_, 0)) {}
        Table& operator=(Table other) noexcept {
            std::swap(data_, other.data_);
            std::swap(size_, other.size_);
            std::swap(capacity_, other.capacity_);
            return *this;
        }
        ~Table() { std::free(data_); }

        std::size_t size() const { return size_; }
        T* data() { return data_; }
        const T* data() const { return data_; }
        T& operator[](std::size_t i) { return data_[i]; }
        const T& operator[](std::size_t i) const { return data_[i]; }
        void push_back(const T& value) {
            if (size_ == capacity_) grow(size_ + 1);
            data_[size_++] = value;
        }
        // Makes room for N more values, left uninitialised, and returns them.
        T* extend(std::size_t n) {
            if (n > capacity_ - size_) grow(size_ + n);
            T* at = data_ + size_;
            size_ += n;
            return at;
        }
        void append(const T* values, std::size_t n) {
            if (n > 0) std::memcpy(extend(n), values, n * sizeof(T));
        }

    private:
        void grow(std::size_t needed) {
            std::size_t capacity = std::max({needed, 2 * capacity_, std::size_t{64}});
            if (needed < size_ || capacity > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
            void* grown = std::realloc(data_, capacity * sizeof(T));
            if (grown == nullptr) throw std::bad_alloc();
            data_ = static_cast<T*>(grown);
            capacity_ = capacity;
        }

        T* data_ = nullptr;
        std::size_t size_ = 0;
        std::size_t capacity_ = 0;
    };

    Table<Entry> objects_;
    Table<std::uint8_t> scalarBytes_; // encoded scalar objects, marker included
    Table<std::uint32_t> refs_;       // container elements (dictionaries: keys, then values)
    std::unordered_map<std::string, Ref> addedStrings_; // add(): equal strings stored once

    Ref addScalar(std::size_t begin);
    void appendRef(Ref ref);
    void checkPlaceholder(Ref ref) const;
    Ref add(const PlistValue& value, std::size_t depth);
};

std::vector<std::uint8_t> writeBinaryPlist(const PlistValue& value);
PlistValue readBinaryPlist(std::span<const std::uint8_t> bytes);

} // namespace cogbook
