#include "platform/file_states.h"

#include <algorithm>
#include <string>

#include "foundation/user_defaults.h"

namespace cogbook {
namespace {

constexpr std::string_view kFileKey = "File";
constexpr std::string_view kValueKey = "Value";

// The file an entry is for; null for an entry that is not well formed.
const std::string* fileOf(const PlistValue& entry) {
    const PlistValue* file = entry.isDictionary() ? entry.find(kFileKey) : nullptr;
    return file != nullptr && file->isString() ? &file->string() : nullptr;
}

} // namespace

void setValueForFile(std::string_view key, const QString& path, PlistValue value, std::size_t limit) {
    if (path.isEmpty() || limit == 0) return;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    // Another run of the program may have kept files since this one read them.
    defaults.refreshObjectForKey(key);
    const std::string file = path.toStdString();
    PlistArray entries;
    PlistDictionary newest;
    newest.emplace_back(std::string(kFileKey), PlistValue(file));
    newest.emplace_back(std::string(kValueKey), std::move(value));
    entries.emplace_back(std::move(newest));
    if (const PlistArray* kept = defaults.arrayForKey(key)) {
        for (const PlistValue& entry : *kept) {
            if (entries.size() >= limit) break;
            if (const std::string* other = fileOf(entry); other != nullptr && *other != file) entries.push_back(entry);
        }
    }
    // Refused when too large: the oldest go until it fits.
    while (!defaults.setObjectForKey(PlistValue(entries), key) && entries.size() > 1) entries.pop_back();
}

std::optional<PlistValue> valueForFile(std::string_view key, const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const PlistArray* kept = UserDefaults::standardUserDefaults().arrayForKey(key);
    if (kept == nullptr) return std::nullopt;
    const std::string file = path.toStdString();
    const auto it = std::find_if(kept->begin(), kept->end(), [&](const PlistValue& entry) {
        const std::string* other = fileOf(entry);
        return other != nullptr && *other == file;
    });
    if (it == kept->end()) return std::nullopt;
    const PlistValue* value = it->find(kValueKey);
    return value != nullptr ? std::optional<PlistValue>(*value) : std::nullopt;
}

} // namespace cogbook
