#include "foundation/keyed_archive_values.h"

#include <utility>
#include <vector>

namespace cogbook {
namespace {

// Deeper than any field a program of the format stores, and shallow enough
// for the recursion below.
constexpr int kMaxValueDepth = 64;

using Ref = KeyedUnarchiver::Ref;
using Kind = KeyedUnarchiver::Kind;

std::optional<PlistValue> unfold(const KeyedUnarchiver& archive, Ref ref, std::size_t& budget, int depth) {
    if (budget == 0 || depth > kMaxValueDepth) return std::nullopt;
    --budget;
    switch (archive.kind(ref)) {
    case Kind::Null:
    case Kind::String:
    case Kind::Integer:
    case Kind::Real:
    case Kind::Boolean:
    case Kind::Date:
    case Kind::Data: return archive.scalar(ref);
    case Kind::Array: {
        PlistArray elements;
        for (const Ref element : archive.array(ref)) {
            auto value = unfold(archive, element, budget, depth + 1);
            if (!value) return std::nullopt;
            elements.push_back(std::move(*value));
        }
        return PlistValue(std::move(elements));
    }
    case Kind::Dictionary: {
        PlistDictionary entries;
        for (const auto& [key, member] : archive.dictionary(ref)) {
            if (archive.kind(key) != Kind::String) return std::nullopt;
            auto value = unfold(archive, member, budget, depth + 1);
            if (!value) return std::nullopt;
            entries.emplace_back(archive.string(key), std::move(*value));
        }
        return PlistValue(std::move(entries));
    }
    case Kind::Object: break;
    }
    return std::nullopt;
}

} // namespace

std::optional<PlistValue> archivedPlistValue(const KeyedUnarchiver& archive, Ref ref, std::size_t& budget) {
    try {
        return unfold(archive, ref, budget, 0);
    } catch (const ArchiveError&) {
        // Damage inside a value nobody here reads: it is left out, as it would
        // be by a reader that does not keep such values at all.
        return std::nullopt;
    }
}

KeyedArchiver::Ref archivePlistValue(KeyedArchiver& archiver, const PlistValue& value) {
    switch (value.type()) {
    case PlistValue::Type::Null: return KeyedArchiver::kNullRef;
    case PlistValue::Type::String: return archiver.string(value.string());
    case PlistValue::Type::Integer: return archiver.integer(value.integer());
    case PlistValue::Type::Real: return archiver.real(value.real());
    case PlistValue::Type::Boolean: return archiver.boolean(value.boolean());
    case PlistValue::Type::Date: return archiver.date(value.date());
    case PlistValue::Type::Data: return archiver.data(value.data());
    case PlistValue::Type::Array: {
        std::vector<KeyedArchiver::Ref> elements;
        elements.reserve(value.array().size());
        for (const auto& element : value.array()) elements.push_back(archivePlistValue(archiver, element));
        return archiver.array(elements);
    }
    case PlistValue::Type::Dictionary: {
        std::vector<KeyedArchiver::Ref> keys, values;
        for (const auto& [key, member] : value.dictionary()) {
            keys.push_back(archiver.string(key));
            values.push_back(archivePlistValue(archiver, member));
        }
        return archiver.dictionary(keys, values);
    }
    case PlistValue::Type::Uid: break;
    }
    // A reference means something only in the archive it came from.
    return KeyedArchiver::kNullRef;
}

} // namespace cogbook
