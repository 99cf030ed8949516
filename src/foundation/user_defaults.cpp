#include "foundation/user_defaults.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "foundation/file_descriptor.h"
#include "foundation/file_io.h"
#include "foundation/hooks.h"
#include "foundation/xml_plist.h"

namespace cogbook {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Why the file could not hold ROOT, or could not read it back once written;
// empty when it can. The writer refuses what XML cannot express, and reading
// back catches what it writes but would not accept (a duplicate key), so
// that a value taken in now cannot make the whole file unreadable later.
std::string storageProblem(const PlistValue& root) {
    try {
        const std::string text = writeXmlPlist(root);
        if (text.size() > kMaxUserDefaultsFileBytes)
            return "the file would take " + std::to_string(text.size()) + " bytes, more than the limit of " +
                   std::to_string(kMaxUserDefaultsFileBytes);
        readXmlPlist(bytesOf(text));
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// Renames FROM to TO unless TO exists; sets errno to EEXIST when it does.
bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // The file system has no atomic form; looking first leaves a window only
    // for another program choosing the same unusual name at the same moment.
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Moves the file at PATH out of the way under a name no earlier damaged file
// holds, so that the user can still recover what it held. Answers the new name.
std::string setAside(const std::string& path) {
    constexpr int kMaxAttempts = 1000;
    for (int n = 1; n <= kMaxAttempts; ++n) {
        const std::string target = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (renameWithoutReplacing(path, target)) return target;
        if (errno != EEXIST) throw systemError("cannot rename it", errno);
    }
    throw std::runtime_error("too many damaged files beside it already");
}

// Creates FOLDER and any missing folder above it, readable by the user only:
// preferences are nobody else's business.
void createFolders(const std::filesystem::path& folder) {
    if (folder.empty()) return;
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode)) throw std::runtime_error(folder.string() + " is not a folder");
        return;
    }
    if (errno != ENOENT) throw systemError("cannot reach the folder " + folder.string(), errno);
    const std::filesystem::path parent = folder.parent_path();
    if (parent != folder) createFolders(parent);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw systemError("cannot create the folder " + folder.string(), errno);
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return {};
    return found->pw_dir;
}

// The low 32 bits, as a C conversion of the integer to unsigned int gives.
std::uint32_t low32(std::int64_t value) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value));
}

// Truncates toward zero; values beyond the 64-bit range stop at its ends
// instead of being undefined.
std::int64_t truncated(double value) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
    if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

// The integer a numeric string starts with: leading white space, a sign and
// digits, read up to the first other character and held at the 64-bit ends;
// 0 when there are no digits.
std::int64_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63; // the magnitude of the lowest value
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = magnitude > kLimit / 10 ? kLimit
                                            : std::min(kLimit, magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0'));
    if (negative) return magnitude == kLimit ? std::numeric_limits<std::int64_t>::min()
                                             : -static_cast<std::int64_t>(magnitude);
    return magnitude >= kLimit ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(magnitude);
}

std::unique_ptr<UserDefaults>& standardInstance() {
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

} // namespace

UserDefaults::UserDefaults(std::string path) {
    reload(std::move(path));
}

UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standardUserDefaults() {
    auto& instance = standardInstance();
    if (!instance) instance = std::make_unique<UserDefaults>(defaultPath());
    return *instance;
}

void UserDefaults::resetStandardUserDefaults(std::string path) {
    auto& instance = standardInstance();
    if (instance) instance->reload(std::move(path));
    else instance = std::make_unique<UserDefaults>(std::move(path));
}

std::string UserDefaults::defaultPath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const std::string home = homeFolder();
        if (home.empty()) return {};
        base = std::filesystem::path(home) / ".config";
    }
    return (base / "cogbook" / "defaults.plist").string();
}

void UserDefaults::reload(std::string path) {
    path_ = std::move(path);
    persistent_ = PlistValue(PlistDictionary{});
    registration_ = PlistValue(PlistDictionary{});
    loadWarning_.clear();
    dirty_ = false;
    scheduled_ = false;
    damagedFileInPlace_ = false;
    // A new token: writes scheduled for the previous contents find theirs gone.
    liveness_ = std::make_shared<UserDefaults*>(this);
    load();
}

void UserDefaults::load() {
    if (path_.empty()) return;
    struct stat status {};
    if (::stat(path_.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR)) return; // a first launch
    std::string reason;
    try {
        const std::vector<std::uint8_t> bytes = readWholeFile(path_, kMaxUserDefaultsFileBytes);
        PlistValue root = readPlist(bytes);
        if (!root.isDictionary()) {
            reason = std::string("it holds ") + PlistValue::typeName(root.type()) + " rather than a dictionary";
        } else if (const std::string problem = storageProblem(root); !problem.empty()) {
            reason = "it holds a value that cannot be kept: " + problem;
        } else {
            persistent_ = std::move(root);
            return;
        }
    } catch (const std::exception& e) {
        reason = e.what();
    }

    loadWarning_ = "The preferences file " + path_ + " could not be used (" + reason + "). ";
    try {
        loadWarning_ += "It has been renamed " + setAside(resolveWriteTarget(path_)) + ".";
    } catch (const std::exception& e) {
        // Writing over it would lose whatever the user might still recover.
        damagedFileInPlace_ = true;
        loadWarning_ += std::string("It could not be set aside (") + e.what() + ") and will not be overwritten.";
    }
    loadWarning_ += " Cogbook starts with its standard preferences.";
    log(loadWarning_);
}

void UserDefaults::registerDefaults(const PlistDictionary& defaults) {
    for (const auto& [key, value] : defaults) registration_.set(key, value);
}

const PlistValue* UserDefaults::objectForKey(std::string_view key) const {
    if (const PlistValue* value = persistent_.find(key)) return value;
    return registration_.find(key);
}

const PlistArray* UserDefaults::arrayForKey(std::string_view key) const {
    const PlistValue* value = objectForKey(key);
    return value != nullptr && value->isArray() ? &value->array() : nullptr;
}

std::string UserDefaults::stringForKey(std::string_view key) const {
    const PlistValue* value = objectForKey(key);
    return value != nullptr && value->isString() ? value->string() : std::string();
}

std::uint32_t UserDefaults::unsignedIntForKey(std::string_view key) const {
    const PlistValue* value = objectForKey(key);
    if (value == nullptr) return 0;
    switch (value->type()) {
    case PlistValue::Type::Integer: return low32(value->integer());
    case PlistValue::Type::Real: return low32(truncated(value->real()));
    case PlistValue::Type::Boolean: return value->boolean() ? 1 : 0;
    case PlistValue::Type::String: return low32(leadingInteger(value->string()));
    default: return 0;
    }
}

bool UserDefaults::setObjectForKey(PlistValue value, std::string_view key) {
    if (value.isNull()) {
        removeObjectForKey(key);
        return true;
    }
    auto& entries = persistent_.dictionary();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == key; });
    if (entry != entries.end() && entry->second == value) return true;

    // Tried in place and put back on refusal, which spares copying the value.
    std::optional<PlistValue> previous;
    if (entry != entries.end()) {
        previous = std::exchange(entry->second, std::move(value));
    } else {
        entries.emplace_back(std::string(key), std::move(value));
    }
    if (const std::string problem = storageProblem(persistent_); !problem.empty()) {
        if (previous) entry->second = std::move(*previous);
        else entries.pop_back();
        log("The preference \"" + std::string(key) + "\" was not changed: " + problem);
        return false;
    }
    changed();
    return true;
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    auto& entries = persistent_.dictionary();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == key; });
    if (entry == entries.end()) return;
    entries.erase(entry);
    changed();
}

void UserDefaults::refreshObjectForKey(std::string_view key) {
    if (path_.empty() || dirty_ || damagedFileInPlace_) return;
    PlistValue root;
    try {
        root = readPlist(readWholeFile(path_, kMaxUserDefaultsFileBytes));
    } catch (const std::exception&) {
        return; // missing or unreadable now: what was read at launch stays
    }
    if (!root.isDictionary() || !storageProblem(root).empty()) return;
    auto& entries = persistent_.dictionary();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == key; });
    const PlistValue* fresh = root.find(key);
    if (fresh == nullptr) {
        if (entry != entries.end()) entries.erase(entry);
    } else if (entry != entries.end()) {
        entry->second = *fresh;
    } else {
        entries.emplace_back(std::string(key), *fresh);
    }
}

void UserDefaults::changed() {
    dirty_ = true;
    if (scheduled_) return;
    // Marked first: a deferral hook that runs the action at once must find
    // the mark to clear.
    scheduled_ = true;
    try {
        performDeferred([token = std::weak_ptr<UserDefaults*>(liveness_)] {
            if (const auto self = token.lock()) (*self)->runScheduledSynchronize();
        });
    } catch (const std::exception& e) {
        // The change stays in memory; the next change or the write at quit saves it.
        scheduled_ = false;
        log(std::string("Cannot schedule saving the preferences: ") + e.what());
    }
}

void UserDefaults::runScheduledSynchronize() {
    scheduled_ = false;
    synchronize();
}

bool UserDefaults::synchronize() {
    if (!dirty_) return true;
    try {
        if (path_.empty()) throw std::runtime_error("there is no home folder to keep them in");
        struct stat status {};
        if (damagedFileInPlace_ && ::lstat(path_.c_str(), &status) != 0 && errno == ENOENT)
            damagedFileInPlace_ = false; // the user has moved it away since
        if (damagedFileInPlace_) {
            try {
                setAside(resolveWriteTarget(path_));
            } catch (const std::exception& e) {
                throw std::runtime_error(std::string("the unusable file there cannot be set aside: ") + e.what());
            }
            damagedFileInPlace_ = false;
        }
        const std::string text = writeXmlPlist(persistent_);
        createFolders(std::filesystem::path(path_).parent_path());
        writeFileAtomically(path_, std::vector<std::uint8_t>(text.begin(), text.end()));
    } catch (const std::exception& e) {
        log("Cannot save the preferences to " + path_ + ": " + e.what());
        return false;
    }
    dirty_ = false;
    return true;
}

} // namespace cogbook
