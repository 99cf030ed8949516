// Writing keyed archives: objects, their classes and values, as a binary
// property list.
#include "foundation/keyed_archive.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "foundation/keyed_archive_shared.h"
#include "foundation/message_text.h"

namespace cogbook {

using namespace keyed_archive_detail;

namespace {

constexpr BRef kNoRef = std::numeric_limits<BRef>::max();
constexpr std::int64_t kArchiveVersion = 100000;

// Text to reference, for the archiver's strings, keys and class names. Open
// addressing over one arena: a record of 100,000 items stores hundreds of
// thousands of strings, and a node allocation for each would dominate the time
// it takes to archive it.
class StringTable {
public:
    // The reference stored for TEXT, made by MAKE and remembered when new.
    // MAKE must not use this table.
    template <typename Make>
    std::uint64_t findOrAdd(std::string_view text, Make make) {
        if (2 * (entries_.size() + 1) > slots_.size()) grow();
        const std::uint64_t hash = std::hash<std::string_view>{}(text);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.entry == 0) {
                const std::uint64_t value = make();
                entries_.push_back(Entry{arena_.size(), text.size(), hash, value});
                arena_.append(text);
                slot = Slot{tag, static_cast<std::uint32_t>(entries_.size())};
                return value;
            }
            if (slot.tag == tag) {
                const Entry& entry = entries_[slot.entry - 1];
                if (std::string_view(arena_).substr(entry.offset, entry.length) == text) return entry.value;
            }
        }
    }

private:
    // Slots are kept small: finding a string costs one visit to a random
    // slot, so the fewer cache lines and pages the table spans, the better.
    struct Slot {
        std::uint32_t tag = 0;   // high half of the hash
        std::uint32_t entry = 0; // index + 1 into entries_; 0 while empty
    };
    struct Entry {
        std::size_t offset;
        std::size_t length;
        std::uint64_t hash;
        std::uint64_t value;
    };

    void grow() {
        if (entries_.size() >= std::numeric_limits<std::uint32_t>::max() / 2)
            throw ArchiveError("too many distinct strings to archive");
        std::vector<Slot> slots(std::max<std::size_t>(64, 2 * slots_.size()));
        const std::size_t mask = slots.size() - 1;
        for (const Slot& slot : slots_) {
            if (slot.entry == 0) continue;
            std::size_t i = entries_[slot.entry - 1].hash & mask;
            while (slots[i].entry != 0) i = (i + 1) & mask;
            slots[i] = slot;
        }
        slots_ = std::move(slots);
    }

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
    std::string arena_;
};

} // namespace

// ---------------------------------------------------------------------------
// Archiver

struct KeyedArchiver::Impl {
    BinaryPlistWriter writer;
    std::vector<BRef> objects;       // the binary object of each archived object, by UID
    std::vector<std::uint8_t> unset; // 1 while a reserved object waits for its contents
    std::size_t unsetCount = 0;
    std::vector<BRef> uids;          // the binary UID object naming each object, once made
    StringTable strings;             // archived strings: UID by text
    StringTable keys;                // dictionary keys and class names: binary string by text
    StringTable classes;             // class entries: UID by class name
    BRef classKey = kNoRef;          // "$class", in every object
    // What every container and date needs, looked up once rather than per
    // object: a record of 100,000 items makes hundreds of thousands of them.
    BRef objectsKey = kNoRef, keysKey = kNoRef, timeKey = kNoRef;
    BRef arrayClass[2] = {kNoRef, kNoRef}, dictionaryClass[2] = {kNoRef, kNoRef}, dateClass = kNoRef;
    // The class and field names of the last general object, which the next
    // one usually repeats.
    std::string lastClassName;
    BRef lastClassUid = kNoRef;
    std::vector<std::pair<std::string, BRef>> fieldKeys;

    template <typename Make>
    BRef cached(BRef& slot, Make make) {
        if (slot == kNoRef) slot = make();
        return slot;
    }

    BRef fieldKey(const std::string& name) {
        for (const auto& [known, ref] : fieldKeys)
            if (known == name) return ref;
        const BRef ref = key(name);
        if (fieldKeys.size() < 16) fieldKeys.emplace_back(name, ref);
        return ref;
    }

    Ref append(BRef ref) {
        objects.push_back(ref);
        unset.push_back(0);
        uids.push_back(kNoRef);
        return objects.size() - 1;
    }

    void checkRef(Ref ref, const char* what) const {
        if (ref >= objects.size())
            throw ArchiveError(std::string(what) + " refers to object " + std::to_string(ref) +
                               ", which does not exist (" + std::to_string(objects.size()) + " objects)");
    }

    BRef uid(Ref ref, const char* what) {
        checkRef(ref, what);
        BRef& made = uids[ref];
        if (made == kNoRef) made = writer.addUid(ref);
        return made;
    }

    BRef key(std::string_view text) {
        return keys.findOrAdd(text, [&] { return writer.addString(text); });
    }

    BRef classKeyRef() {
        if (classKey == kNoRef) classKey = key("$class");
        return classKey;
    }

    template <typename Chain>
    Ref classEntry(std::string_view name, const Chain& chain) {
        return classes.findOrAdd(name, [&] {
            std::vector<BRef> names;
            for (const auto& c : chain) names.push_back(key(c));
            if (names.empty()) names.push_back(key(name));
            const BRef classnameKey = key("$classname");
            const BRef classesKey = key("$classes");
            const BRef nameRef = key(name);
            const BRef chainRef = writer.addArray(std::move(names));
            return append(writer.addDictionary({{classnameKey, nameRef}, {classesKey, chainRef}}));
        });
    }

    Ref classEntry(std::string_view name, std::initializer_list<std::string_view> chain) {
        return classEntry<std::initializer_list<std::string_view>>(name, chain);
    }

    void checkUnset(Ref ref) const {
        if (ref >= objects.size() || !unset[ref])
            throw ArchiveError(objectName(ref) + " is not a reserved object waiting to be set");
    }

    void set(Ref ref, std::vector<std::pair<BRef, BRef>> entries) {
        writer.setDictionary(objects[ref], std::move(entries));
        unset[ref] = 0;
        --unsetCount;
    }

    BRef uidArray(const std::vector<Ref>& elements, const char* what) {
        std::vector<BRef> refs;
        refs.reserve(elements.size());
        for (const Ref element : elements) refs.push_back(uid(element, what));
        return writer.addArray(std::move(refs));
    }
};

KeyedArchiver::KeyedArchiver() : impl_(std::make_unique<Impl>()) {
    impl_->append(impl_->writer.addString("$null"));
}

KeyedArchiver::~KeyedArchiver() = default;

KeyedArchiver::Ref KeyedArchiver::string(std::string_view utf8) {
    Impl& d = *impl_;
    return d.strings.findOrAdd(utf8, [&] { return d.append(d.writer.addString(utf8)); });
}

KeyedArchiver::Ref KeyedArchiver::boolean(bool value) {
    return impl_->append(impl_->writer.addBoolean(value));
}

KeyedArchiver::Ref KeyedArchiver::integer(std::int64_t value) {
    return impl_->append(impl_->writer.addInteger(value));
}

KeyedArchiver::Ref KeyedArchiver::real(double value) {
    return impl_->append(impl_->writer.addReal(value));
}

KeyedArchiver::Ref KeyedArchiver::data(PlistData value) {
    return impl_->append(impl_->writer.addData(std::move(value)));
}

KeyedArchiver::Ref KeyedArchiver::date(Date value) {
    Impl& d = *impl_;
    const BRef classKey = d.classKeyRef();
    const BRef classUid = d.cached(d.dateClass, [&] {
        return d.uid(d.classEntry("NSDate", {"NSDate", "NSObject"}), "a class");
    });
    const BRef timeKey = d.cached(d.timeKey, [&] { return d.key("NS.time"); });
    const BRef time = d.writer.addReal(value.timeIntervalSinceReferenceDate());
    return d.append(d.writer.addDictionary({{classKey, classUid}, {timeKey, time}}));
}

KeyedArchiver::Ref KeyedArchiver::reserve() {
    const Ref ref = impl_->append(impl_->writer.reserve());
    impl_->unset[ref] = 1;
    ++impl_->unsetCount;
    return ref;
}

void KeyedArchiver::setArray(Ref ref, const std::vector<Ref>& elements, bool isMutable) {
    Impl& d = *impl_;
    d.checkUnset(ref);
    const BRef classUid = d.cached(d.arrayClass[isMutable], [&] {
        const Ref cls = isMutable ? d.classEntry("NSMutableArray", {"NSMutableArray", "NSArray", "NSObject"})
                                  : d.classEntry("NSArray", {"NSArray", "NSObject"});
        return d.uid(cls, "a class");
    });
    const BRef classKey = d.classKeyRef();
    const BRef objectsKey = d.cached(d.objectsKey, [&] { return d.key("NS.objects"); });
    const BRef objectsRef = d.uidArray(elements, "an array element");
    d.set(ref, {{classKey, classUid}, {objectsKey, objectsRef}});
}

void KeyedArchiver::setDictionary(Ref ref, const std::vector<Ref>& keys, const std::vector<Ref>& values,
                                  bool isMutable) {
    Impl& d = *impl_;
    d.checkUnset(ref);
    if (keys.size() != values.size())
        throw ArchiveError(objectName(ref) + ": " + std::to_string(keys.size()) + " keys but " +
                           std::to_string(values.size()) + " values");
    const BRef classUid = d.cached(d.dictionaryClass[isMutable], [&] {
        const Ref cls = isMutable
                            ? d.classEntry("NSMutableDictionary", {"NSMutableDictionary", "NSDictionary", "NSObject"})
                            : d.classEntry("NSDictionary", {"NSDictionary", "NSObject"});
        return d.uid(cls, "a class");
    });
    const BRef classKey = d.classKeyRef();
    const BRef keysKey = d.cached(d.keysKey, [&] { return d.key("NS.keys"); });
    const BRef keysRef = d.uidArray(keys, "a dictionary key");
    const BRef objectsKey = d.cached(d.objectsKey, [&] { return d.key("NS.objects"); });
    const BRef objectsRef = d.uidArray(values, "a dictionary value");
    d.set(ref, {{classKey, classUid}, {keysKey, keysRef}, {objectsKey, objectsRef}});
}

void KeyedArchiver::setObject(Ref ref, std::string_view className, const std::vector<std::string>& classes,
                              const std::vector<std::pair<std::string, Ref>>& fields) {
    Impl& d = *impl_;
    d.checkUnset(ref);
    std::vector<std::pair<BRef, BRef>> entries;
    entries.reserve(fields.size() + 1);
    if (d.lastClassUid == kNoRef || d.lastClassName != className) {
        d.lastClassUid = d.uid(d.classEntry(className, classes), "a class");
        d.lastClassName = className;
    }
    entries.emplace_back(d.classKeyRef(), d.lastClassUid);
    for (const auto& [name, value] : fields) {
        if (name == "$class") throw ArchiveError(objectName(ref) + ": a field may not be named $class");
        entries.emplace_back(d.fieldKey(name), d.uid(value, "a field"));
    }
    // Keys are stored once, so equal names have equal references; a file with
    // the same key twice would be refused when read back.
    for (std::size_t i = 1; i < entries.size(); ++i)
        for (std::size_t j = 1; j < i; ++j)
            if (entries[i].first == entries[j].first)
                throw ArchiveError(objectName(ref) + ": field " + quotedForMessage(fields[i - 1].first) + " given twice");
    d.set(ref, std::move(entries));
}

KeyedArchiver::Ref KeyedArchiver::array(const std::vector<Ref>& elements, bool isMutable) {
    const Ref ref = reserve();
    setArray(ref, elements, isMutable);
    return ref;
}

KeyedArchiver::Ref KeyedArchiver::dictionary(const std::vector<Ref>& keys, const std::vector<Ref>& values,
                                             bool isMutable) {
    const Ref ref = reserve();
    setDictionary(ref, keys, values, isMutable);
    return ref;
}

std::vector<std::uint8_t> KeyedArchiver::finish(Ref root) {
    Impl& d = *impl_;
    if (d.unsetCount > 0) {
        const auto at = std::find(d.unset.begin(), d.unset.end(), 1) - d.unset.begin();
        throw ArchiveError(objectName(static_cast<Ref>(at)) + " was reserved but never set");
    }
    const BRef rootUid = d.uid(root, "the root");
    const BRef topRef = d.writer.addDictionary({{d.key("root"), rootUid}});
    const BRef objectsRef = d.writer.addArray(d.objects);
    const BRef envelope = d.writer.addDictionary({
        {d.key("$archiver"), d.key(kArchiverName)},
        {d.key("$version"), d.writer.addInteger(kArchiveVersion)},
        {d.key("$top"), topRef},
        {d.key("$objects"), objectsRef},
    });
    return d.writer.finish(envelope);
}

} // namespace cogbook
