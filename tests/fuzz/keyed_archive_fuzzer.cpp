// Opens any bytes as a keyed archive and reads every object reachable from the
// root with every accessor. ArchiveError and PlistError are the only outcomes
// allowed besides success: a crash, a hang, unbounded memory or any other
// exception is a fault.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/binary_plist.h"
#include "foundation/keyed_archive.h"

namespace {

using cogbook::ArchiveError;
using cogbook::BinaryPlistReader;
using cogbook::KeyedUnarchiver;
using cogbook::PlistError;

template <typename Call>
void attempt(Call call) {
    try {
        call();
    } catch (const ArchiveError&) {
    } catch (const PlistError&) {
    }
}

// The binary object behind each archived object, so that the walk can ask for
// every field an object dictionary holds.
std::vector<BinaryPlistReader::Ref> archivedObjects(const BinaryPlistReader& reader) {
    std::vector<BinaryPlistReader::Ref> objects;
    attempt([&] {
        for (const auto& [key, value] : reader.dictionaryRefs(reader.topObject()))
            if (reader.stringEquals(key, "$objects")) objects = reader.arrayRefs(value);
    });
    return objects;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    // The plain reader on its own, with limits small enough to keep each run quick.
    attempt([&] {
        BinaryPlistReader::Limits limits;
        limits.maxValues = 100000;
        const BinaryPlistReader reader(bytes, limits);
        reader.toValue(reader.topObject());
    });

    std::optional<KeyedUnarchiver> opened;
    try {
        opened.emplace(bytes);
    } catch (const ArchiveError&) {
        return 0;
    }
    const KeyedUnarchiver& u = *opened;
    const BinaryPlistReader reader(bytes); // cannot throw: the unarchiver opened the same bytes
    const auto binaryObjects = archivedObjects(reader);

    std::vector<bool> seen(u.objectCount(), false);
    std::unordered_set<BinaryPlistReader::Ref> enumerated;
    std::vector<KeyedUnarchiver::Ref> pending = {u.root()};
    seen[u.root()] = true;
    const auto visit = [&](KeyedUnarchiver::Ref ref) {
        // Out-of-range references must have been refused by the accessors.
        if (ref >= seen.size()) __builtin_trap();
        if (!seen[ref]) {
            seen[ref] = true;
            pending.push_back(ref);
        }
    };
    while (!pending.empty()) {
        const auto ref = pending.back();
        pending.pop_back();
        attempt([&] { u.kind(ref); });
        attempt([&] { u.className(ref); });
        attempt([&] { u.string(ref); });
        attempt([&] { u.integer(ref); });
        attempt([&] { u.real(ref); });
        attempt([&] { u.boolean(ref); });
        attempt([&] { u.date(ref); });
        attempt([&] { u.scalar(ref); });
        attempt([&] {
            for (const auto element : u.array(ref)) visit(element);
        });
        attempt([&] {
            for (const auto& [key, value] : u.dictionary(ref)) {
                visit(key);
                visit(value);
            }
        });
        attempt([&] { u.field(ref, "$class"); });
        attempt([&] { u.field(ref, "no such field"); });
        // Many archived objects may share one binary dictionary; asking for
        // its fields once keeps the walk linear in the input.
        if (ref < binaryObjects.size() && enumerated.insert(binaryObjects[ref]).second) {
            attempt([&] {
                for (const auto& entry : reader.dictionaryRefs(binaryObjects[ref])) {
                    std::string name;
                    attempt([&] { name = reader.string(entry.first); });
                    attempt([&] {
                        if (const auto target = u.field(ref, name)) visit(*target);
                    });
                }
            });
        }
    }
    return 0;
}
