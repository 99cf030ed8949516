// Keyed archives: the object graphs that record files and the clipboard carry,
// in the keyed-archive format, a binary property list
//   {"$archiver": "NSKeyedArchiver", "$version": 100000,
//    "$top": {"root": UID}, "$objects": ["$null", ...]}
// in which every object is stored once and referred to by UID.
//
// Strings and numbers are stored directly in "$objects"; dates as
// {"NS.time": seconds since 2001, "$class": UID}; arrays as {"NS.objects": [UID...]};
// dictionaries as {"NS.keys": [UID...], "NS.objects": [UID...]}; every other
// object as a dictionary of its own keys with a "$class" entry naming a class
// entry {"$classname": NAME, "$classes": [NAME, superclasses..., "NSObject"]}.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/binary_plist.h"
#include "foundation/date.h"

namespace cogbook {

// Raised for data that is not a keyed archive, or whose objects are not what
// the reader asks for. The message says what is wrong, naming the object.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class KeyedArchiver {
public:
    using Ref = std::uint64_t;         // a UID: index into "$objects"
    static constexpr Ref kNullRef = 0; // "$null"

    KeyedArchiver();
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    // Scalars, stored directly. Equal strings are stored once.
    Ref string(std::string_view utf8);
    Ref boolean(bool value);
    Ref integer(std::int64_t value);
    Ref real(double value);
    Ref data(PlistData value);
    // {"NS.time": ..., "$class": NSDate}
    Ref date(Date value);

    // A UID for an object whose contents come later (so that cycles can be
    // stored). Each reserved object must be set exactly once before finish().
    Ref reserve();
    // {"NS.objects": [...], "$class": NSMutableArray or NSArray}
    void setArray(Ref ref, const std::vector<Ref>& elements, bool isMutable = true);
    // {"NS.keys": [...], "NS.objects": [...], "$class": NSMutableDictionary or NSDictionary}
    void setDictionary(Ref ref, const std::vector<Ref>& keys, const std::vector<Ref>& values,
                       bool isMutable = true);
    // {KEY: UID, ..., "$class": CLASSNAME}; CLASSES lists the class and its
    // superclasses, ending with "NSObject". Field values are stored as UIDs.
    void setObject(Ref ref, std::string_view className, const std::vector<std::string>& classes,
                   const std::vector<std::pair<std::string, Ref>>& fields);

    Ref array(const std::vector<Ref>& elements, bool isMutable = true);
    Ref dictionary(const std::vector<Ref>& keys, const std::vector<Ref>& values,
                   bool isMutable = true);

    // The archive bytes with ROOT under "$top"/"root".
    std::vector<std::uint8_t> finish(Ref root);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class KeyedUnarchiver {
public:
    using Ref = std::uint64_t;

    enum class Kind {
        Null,       // "$null"
        String,     // a stored string, or an NSString/NSMutableString object
        Integer,
        Real,
        Boolean,
        Date,       // an object whose class chain includes NSDate
        Data,
        Array,      // NSArray / NSMutableArray
        Dictionary, // NSDictionary / NSMutableDictionary
        Object,     // any other object with a "$class"
    };

    // Checks the envelope ($archiver, $version, $top/root, $objects) and keeps
    // a view of BYTES, which must outlive the unarchiver. Throws ArchiveError
    // with "not a keyed archive: ..." for data that is not one.
    explicit KeyedUnarchiver(std::span<const std::uint8_t> bytes);
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    Ref root() const;
    std::uint64_t objectCount() const;

    Kind kind(Ref ref) const;
    // The "$classname" of an object (Date, Array, Dictionary, Object, or a
    // String stored as an object); empty for directly stored values.
    std::string className(Ref ref) const;

    // Typed reads; each throws ArchiveError naming the object when REF has
    // another kind or is out of range.
    std::string string(Ref ref) const;
    std::int64_t integer(Ref ref) const;
    double real(Ref ref) const;
    bool boolean(Ref ref) const;
    Date date(Ref ref) const;
    std::vector<Ref> array(Ref ref) const;
    // Pairs (key, value), in stored order; "NS.keys" and "NS.objects" must have
    // the same length.
    std::vector<std::pair<Ref, Ref>> dictionary(Ref ref) const;
    // For an Object: the UID stored under KEY, or nothing when the key is
    // absent. A value under KEY that is not a UID throws.
    std::optional<Ref> field(Ref object, std::string_view key) const;
    // A scalar (string, number, boolean, date, data, null) as a plain value,
    // for comparing keys of any kind. Containers and objects throw.
    PlistValue scalar(Ref ref) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace cogbook
