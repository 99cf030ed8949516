// Reading keyed archives: every object checked as it is reached, so that a
// damaged archive is refused with what is wrong and where.
#include "foundation/keyed_archive.h"
#include "foundation/message_text.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "foundation/keyed_archive_shared.h"

namespace cogbook {

using namespace keyed_archive_detail;

namespace {

using UKind = KeyedUnarchiver::Kind;

const char* kindName(UKind kind) {
    switch (kind) {
    case UKind::Null: return "null";
    case UKind::String: return "a string";
    case UKind::Integer: return "an integer";
    case UKind::Real: return "a real";
    case UKind::Boolean: return "a boolean";
    case UKind::Date: return "a date";
    case UKind::Data: return "data";
    case UKind::Array: return "an array";
    case UKind::Dictionary: return "a dictionary";
    case UKind::Object: return "an object";
    }
    return "something unknown";
}

[[noreturn]] void notAnArchive(const std::string& what) {
    throw ArchiveError("not a keyed archive: " + what);
}

BinaryPlistReader openReader(std::span<const std::uint8_t> bytes) {
    try {
        return BinaryPlistReader(bytes);
    } catch (const PlistError& e) {
        notAnArchive(e.what());
    }
}

constexpr std::uint8_t kKindMask = 0x7F;
constexpr std::uint8_t kStoredAsDictionary = 0x80;
constexpr std::uint32_t kKeyUnknown = 0;
constexpr std::uint32_t kKeyNotAString = std::numeric_limits<std::uint32_t>::max();

} // namespace

struct KeyedUnarchiver::Impl {
    struct ClassInfo {
        std::string name;
        Kind kind;
    };

    BinaryPlistReader reader;
    std::vector<BRef> objects; // the binary object of each archived object, by UID
    Ref rootRef = 0;

    // Caches filled as objects are first read. The model reads each object's
    // kind and several fields, so a lookup must cost a few comparisons, not a
    // string decode per key.
    mutable std::vector<std::uint8_t> kinds;   // Kind + 1 and kStoredAsDictionary, 0 while unknown
    mutable std::vector<std::uint32_t> keyIds; // per binary object: interned text of a key string
    mutable StringMap<std::uint32_t> interned;
    mutable std::unordered_map<Ref, ClassInfo> classInfos; // by UID of the class entry
    std::uint32_t classKey = 0, classnameKey = 0, classesKey = 0, stringKey = 0, timeKey = 0,
                  objectsKey = 0, keysKey = 0;

    explicit Impl(std::span<const std::uint8_t> bytes) : reader(openReader(bytes)) {
        try {
            readEnvelope();
        } catch (const PlistError& e) {
            notAnArchive(e.what());
        }
        kinds.assign(objects.size(), 0);
        keyIds.assign(reader.objectCount(), kKeyUnknown);
        classKey = intern("$class");
        classnameKey = intern("$classname");
        classesKey = intern("$classes");
        stringKey = intern("NS.string");
        timeKey = intern("NS.time");
        objectsKey = intern("NS.objects");
        keysKey = intern("NS.keys");
    }

    void readEnvelope() {
        using BKind = BinaryPlistReader::Kind;
        const BRef top = reader.topObject();
        if (reader.kind(top) != BKind::Dictionary) notAnArchive("the top object is not a dictionary");
        const auto entries = reader.dictionaryRefs(top);
        const auto find = [&](std::string_view key) -> std::optional<BRef> {
            for (const auto& [k, v] : entries)
                if (reader.stringEquals(k, key)) return v;
            return std::nullopt;
        };
        const auto archiver = find("$archiver");
        if (!archiver) notAnArchive("no $archiver");
        if (!reader.stringEquals(*archiver, kArchiverName)) notAnArchive("$archiver is not NSKeyedArchiver");
        const auto version = find("$version");
        if (!version || reader.kind(*version) != BKind::Integer) notAnArchive("no integer $version");
        const auto objectsArray = find("$objects");
        if (!objectsArray || reader.kind(*objectsArray) != BKind::Array) notAnArchive("no $objects array");
        objects = reader.arrayRefs(*objectsArray);
        if (objects.empty() || !reader.stringEquals(objects[0], "$null"))
            notAnArchive("$objects does not start with \"$null\"");
        const auto topEntry = find("$top");
        if (!topEntry || reader.kind(*topEntry) != BKind::Dictionary) notAnArchive("no $top dictionary");
        std::optional<BRef> rootUid;
        for (const auto& [k, v] : reader.dictionaryRefs(*topEntry))
            if (reader.stringEquals(k, "root")) rootUid = v;
        if (!rootUid || reader.kind(*rootUid) != BKind::Uid) notAnArchive("no root UID in $top");
        rootRef = reader.uid(*rootUid);
        if (rootRef >= objects.size())
            notAnArchive("the root refers to object " + std::to_string(rootRef) + ", out of range (" +
                         std::to_string(objects.size()) + " objects)");
    }

    std::uint32_t intern(std::string_view text) const {
        const auto found = interned.find(text);
        if (found != interned.end()) return found->second;
        const auto id = static_cast<std::uint32_t>(interned.size() + 1);
        interned.emplace(std::string(text), id);
        return id;
    }

    std::uint32_t keyId(BRef key) const {
        std::uint32_t& id = keyIds[key];
        if (id == kKeyUnknown)
            id = reader.kind(key) == BinaryPlistReader::Kind::String ? intern(reader.string(key)) : kKeyNotAString;
        return id;
    }

    // The value under KEY in binary dictionary DICT, read in place.
    std::optional<BRef> lookup(BRef dict, std::uint32_t key) const {
        const auto o = reader.object(dict);
        const std::size_t refSize = reader.refSize();
        for (std::uint64_t i = 0; i < o.count; ++i)
            if (keyId(reader.checkedRef(dict, o.payload + i * refSize)) == key)
                return reader.checkedRef(dict, o.payload + (o.count + i) * refSize);
        return std::nullopt;
    }

    void checkRange(Ref ref) const {
        if (ref >= objects.size())
            throw ArchiveError(objectName(ref) + ": out of range (the archive has " +
                               std::to_string(objects.size()) + " objects)");
    }

    // Whether REF is stored as a dictionary (an object, as opposed to a value
    // stored directly); known once kind(REF) has been read.
    bool isDictionary(Ref ref) const {
        kind(ref);
        return (kinds[ref] & kStoredAsDictionary) != 0;
    }

    // The UID stored at binary object VALUE, checked to name an archived object.
    Ref uidAt(Ref owner, BRef value, std::string_view what) const {
        // Read in place: this runs for every field the model reads.
        const auto o = reader.object(value);
        if ((o.marker >> 4) != 0x8)
            throw ArchiveError(objectName(owner) + ": " + std::string(what) + " is not a UID");
        Ref target = 0;
        for (std::uint64_t i = 0; i < o.count; ++i) target = (target << 8) | reader.bytes_[o.payload + i];
        if (target >= objects.size())
            throw ArchiveError(objectName(owner) + ": " + std::string(what) + " refers to object " +
                               std::to_string(target) + ", out of range (the archive has " +
                               std::to_string(objects.size()) + " objects)");
        return target;
    }

    const ClassInfo& classOf(Ref ref) const {
        const auto classRef = lookup(objects[ref], classKey);
        if (!classRef) throw ArchiveError(objectName(ref) + ": a dictionary without $class");
        const Ref entryRef = uidAt(ref, *classRef, "$class");
        if (const auto found = classInfos.find(entryRef); found != classInfos.end()) return found->second;

        using BKind = BinaryPlistReader::Kind;
        const std::string entryName = "its class entry (object " + std::to_string(entryRef) + ")";
        const BRef entry = objects[entryRef];
        if (reader.kind(entry) != BKind::Dictionary)
            throw ArchiveError(objectName(ref) + ": " + entryName + " is not a dictionary");
        const auto nameRef = lookup(entry, classnameKey);
        if (!nameRef || reader.kind(*nameRef) != BKind::String)
            throw ArchiveError(objectName(ref) + ": " + entryName + " has no $classname string");
        ClassInfo info{reader.string(*nameRef), Kind::Object};
        bool isDate = info.name == "NSDate";
        if (const auto chainRef = lookup(entry, classesKey)) {
            if (reader.kind(*chainRef) != BKind::Array)
                throw ArchiveError(objectName(ref) + ": " + entryName + " has a $classes that is not an array");
            for (const BRef c : reader.arrayRefs(*chainRef)) {
                if (reader.kind(c) != BKind::String)
                    throw ArchiveError(objectName(ref) + ": " + entryName + " lists a class that is not a string");
                isDate = isDate || reader.stringEquals(c, "NSDate");
            }
        }
        if (isDate) info.kind = Kind::Date;
        else if (info.name == "NSString" || info.name == "NSMutableString") info.kind = Kind::String;
        else if (info.name == "NSArray" || info.name == "NSMutableArray") info.kind = Kind::Array;
        else if (info.name == "NSDictionary" || info.name == "NSMutableDictionary") info.kind = Kind::Dictionary;
        return classInfos.emplace(entryRef, std::move(info)).first->second;
    }

    Kind classify(Ref ref) const {
        using BKind = BinaryPlistReader::Kind;
        switch (reader.kind(objects[ref])) {
        case BKind::Null: return Kind::Null;
        case BKind::Boolean: return Kind::Boolean;
        case BKind::Integer: return Kind::Integer;
        case BKind::Real: return Kind::Real;
        case BKind::Date: return Kind::Date;
        case BKind::Data: return Kind::Data;
        case BKind::String: return ref == 0 ? Kind::Null : Kind::String;
        case BKind::Dictionary: return classOf(ref).kind;
        case BKind::Uid: throw ArchiveError(objectName(ref) + ": a bare UID is not an archived object");
        case BKind::Array:
        case BKind::Set: break;
        }
        throw ArchiveError(objectName(ref) + ": a bare array is not an archived object");
    }

    Kind kind(Ref ref) const {
        checkRange(ref);
        std::uint8_t& cached = kinds[ref];
        if (cached == 0) {
            const Kind found = classify(ref);
            const bool dictionary = reader.kind(objects[ref]) == BinaryPlistReader::Kind::Dictionary;
            cached = static_cast<std::uint8_t>((static_cast<int>(found) + 1) | (dictionary ? kStoredAsDictionary : 0));
        }
        return static_cast<Kind>((cached & kKindMask) - 1);
    }

    [[noreturn]] void wrongKind(Ref ref, const char* expected, Kind found) const {
        std::string message = objectName(ref) + ": expected " + expected + ", found " + kindName(found);
        if (found == Kind::Object) message += " of class " + quotedForMessage(classOf(ref).name);
        throw ArchiveError(message);
    }

    void expect(Ref ref, Kind wanted) const {
        const Kind found = kind(ref);
        if (found != wanted) wrongKind(ref, kindName(wanted), found);
    }

    // A value that an object dictionary must hold under KEY.
    BRef member(Ref ref, std::uint32_t key, const char* name) const {
        const auto value = lookup(objects[ref], key);
        if (!value) throw ArchiveError(objectName(ref) + ": no " + name);
        return *value;
    }

    std::vector<Ref> uidList(Ref ref, BRef list, const char* name) const {
        const auto kindOfList = reader.kind(list);
        if (kindOfList != BinaryPlistReader::Kind::Array && kindOfList != BinaryPlistReader::Kind::Set)
            throw ArchiveError(objectName(ref) + ": " + name + " is not an array");
        std::vector<Ref> refs;
        const auto elements = reader.arrayRefs(list);
        refs.reserve(elements.size());
        const std::string what = std::string("an element of ") + name;
        for (const BRef element : elements) refs.push_back(uidAt(ref, element, what));
        return refs;
    }

    // Runs BODY, turning errors of the property list underneath into errors
    // that name the archived object.
    template <typename Body>
    auto guarded(Ref ref, Body&& body) const -> decltype(body()) {
        try {
            return body();
        } catch (const PlistError& e) {
            throw ArchiveError(objectName(ref) + ": " + e.what());
        }
    }
};

KeyedUnarchiver::KeyedUnarchiver(std::span<const std::uint8_t> bytes) : impl_(std::make_unique<Impl>(bytes)) {}

KeyedUnarchiver::~KeyedUnarchiver() = default;

KeyedUnarchiver::Ref KeyedUnarchiver::root() const {
    return impl_->rootRef;
}

std::uint64_t KeyedUnarchiver::objectCount() const {
    return impl_->objects.size();
}

KeyedUnarchiver::Kind KeyedUnarchiver::kind(Ref ref) const {
    return impl_->guarded(ref, [&] { return impl_->kind(ref); });
}

std::string KeyedUnarchiver::className(Ref ref) const {
    return impl_->guarded(ref, [&]() -> std::string {
        return impl_->isDictionary(ref) ? impl_->classOf(ref).name : std::string();
    });
}

std::string KeyedUnarchiver::string(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&]() -> std::string {
        d.expect(ref, Kind::String);
        using BKind = BinaryPlistReader::Kind;
        if (!d.isDictionary(ref)) return d.reader.string(d.objects[ref]);
        // An NSString object keeps its text under NS.string, usually in place.
        const BRef text = d.member(ref, d.stringKey, "NS.string");
        if (d.reader.kind(text) == BKind::String) return d.reader.string(text);
        const Ref target = d.uidAt(ref, text, "NS.string");
        if (target == 0 || d.reader.kind(d.objects[target]) != BKind::String)
            throw ArchiveError(objectName(ref) + ": NS.string is not a string");
        return d.reader.string(d.objects[target]);
    });
}

std::int64_t KeyedUnarchiver::integer(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&] {
        d.expect(ref, Kind::Integer);
        return d.reader.integer(d.objects[ref]);
    });
}

double KeyedUnarchiver::real(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&] {
        // A whole number may have been stored as an integer by another writer.
        const Kind found = d.kind(ref);
        if (found == Kind::Integer) return static_cast<double>(d.reader.integer(d.objects[ref]));
        if (found != Kind::Real) d.wrongKind(ref, "a real", found);
        return d.reader.real(d.objects[ref]);
    });
}

bool KeyedUnarchiver::boolean(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&] {
        d.expect(ref, Kind::Boolean);
        return d.reader.boolean(d.objects[ref]);
    });
}

Date KeyedUnarchiver::date(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&] {
        d.expect(ref, Kind::Date);
        using BKind = BinaryPlistReader::Kind;
        if (!d.isDictionary(ref)) return d.reader.date(d.objects[ref]);
        const BRef time = d.member(ref, d.timeKey, "NS.time");
        switch (d.reader.kind(time)) {
        case BKind::Real: return Date(d.reader.real(time));
        case BKind::Integer: return Date(static_cast<double>(d.reader.integer(time)));
        default: throw ArchiveError(objectName(ref) + ": NS.time is not a number");
        }
    });
}

std::vector<KeyedUnarchiver::Ref> KeyedUnarchiver::array(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&] {
        d.expect(ref, Kind::Array);
        return d.uidList(ref, d.member(ref, d.objectsKey, "NS.objects"), "NS.objects");
    });
}

std::vector<std::pair<KeyedUnarchiver::Ref, KeyedUnarchiver::Ref>> KeyedUnarchiver::dictionary(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&] {
        d.expect(ref, Kind::Dictionary);
        const auto keys = d.uidList(ref, d.member(ref, d.keysKey, "NS.keys"), "NS.keys");
        const auto values = d.uidList(ref, d.member(ref, d.objectsKey, "NS.objects"), "NS.objects");
        if (keys.size() != values.size())
            throw ArchiveError(objectName(ref) + ": " + std::to_string(keys.size()) + " keys but " +
                               std::to_string(values.size()) + " values");
        std::vector<std::pair<Ref, Ref>> entries;
        entries.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) entries.emplace_back(keys[i], values[i]);
        return entries;
    });
}

std::optional<KeyedUnarchiver::Ref> KeyedUnarchiver::field(Ref object, std::string_view key) const {
    const Impl& d = *impl_;
    return d.guarded(object, [&]() -> std::optional<Ref> {
        const Kind found = d.kind(object);
        if (!d.isDictionary(object)) d.wrongKind(object, "an object", found);
        const auto value = d.lookup(d.objects[object], d.intern(key));
        if (!value) return std::nullopt;
        return d.uidAt(object, *value, "field \"" + std::string(key) + "\"");
    });
}

PlistValue KeyedUnarchiver::scalar(Ref ref) const {
    const Impl& d = *impl_;
    return d.guarded(ref, [&]() -> PlistValue {
        const Kind found = d.kind(ref);
        switch (found) {
        case Kind::Null: return PlistValue();
        case Kind::String: return PlistValue(string(ref));
        case Kind::Integer: return PlistValue(d.reader.integer(d.objects[ref]));
        case Kind::Real: return PlistValue(d.reader.real(d.objects[ref]));
        case Kind::Boolean: return PlistValue(d.reader.boolean(d.objects[ref]));
        case Kind::Date: return PlistValue(date(ref));
        case Kind::Data: return PlistValue(d.reader.data(d.objects[ref]));
        case Kind::Array:
        case Kind::Dictionary:
        case Kind::Object: break;
        }
        d.wrongKind(ref, "a scalar", found);
    });
}

} // namespace cogbook
