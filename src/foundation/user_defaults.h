// The user's preferences: values the user chose, kept in a property-list file
// between launches, over defaults the program registers at each launch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/plist.h"

namespace cogbook {

// A defaults file larger than this is not read: real preferences stay far
// below it, and a larger file is damaged or not ours. A change that would make
// the file grow past it is refused, so that it can always be read back.
inline constexpr std::size_t kMaxUserDefaultsFileBytes = std::size_t{4} * 1024 * 1024;

// Two domains answer a lookup, in this order:
//  - the persistent domain: the user's own values, read from the file at
//    construction and written back by synchronize();
//  - the registration domain: defaults registered by the program, in memory
//    only and never written to the file.
//
// Changes are written back once per event: the first change after a write
// schedules synchronize() through performDeferred(). The destructor does not
// write; the application calls synchronize() when it quits.
//
// Not thread-safe: use it from the thread that runs the deferred actions.
class UserDefaults {
public:
    // Loads the persistent domain from PATH. A missing file gives an empty
    // domain. A file that cannot be used (unreadable, damaged, not a
    // dictionary, larger than kMaxUserDefaultsFileBytes) is renamed beside
    // itself, "<name>.damaged" or "<name>.damaged-N" so that no earlier one is
    // replaced, the reason is logged and kept in loadWarning(), and the
    // registered defaults alone are in force. Never throws for a bad file.
    // An empty PATH keeps everything in memory; synchronize() then fails.
    explicit UserDefaults(std::string path);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The process-wide instance, over defaultPath() unless reset. Created on
    // first use.
    static UserDefaults& standardUserDefaults();
    // Reloads the process-wide instance from PATH, as at launch: changes not
    // yet synchronized are dropped, and so is the registration domain.
    // References to the instance stay valid.
    static void resetStandardUserDefaults(std::string path);
    static void resetStandardUserDefaults() { resetStandardUserDefaults(defaultPath()); }
    // $XDG_CONFIG_HOME/cogbook/defaults.plist, or ~/.config/cogbook/defaults.plist
    // when XDG_CONFIG_HOME is unset, empty or relative. Empty when no home
    // folder can be found.
    static std::string defaultPath();

    const std::string& path() const { return path_; }
    // Why the file could not be used at load, for the user to see; empty
    // when it loaded (or was missing).
    const std::string& loadWarning() const { return loadWarning_; }

    // Merges DEFAULTS into the registration domain, replacing equal keys.
    void registerDefaults(const PlistDictionary& defaults);

    // Pointers into the domains stay valid until the next change of either.
    const PlistValue* objectForKey(std::string_view key) const;
    // Null when absent or not an array.
    const PlistArray* arrayForKey(std::string_view key) const;
    // Empty when absent or not a string.
    std::string stringForKey(std::string_view key) const;
    // As a number's unsigned int value: the low 32 bits of an integer (so -1
    // gives 4294967295), a real truncated toward zero, 0 or 1 for a boolean,
    // the leading integer of a string ("12 km" gives 12), and 0 otherwise.
    std::uint32_t unsignedIntForKey(std::string_view key) const;

    // Sets KEY in the persistent domain; a null VALUE removes it. A value
    // the file could not hold or read back (control characters, duplicate
    // keys, nesting too deep, a UID) or one that would make the file too
    // large is refused with a log message: answers false and changes nothing.
    bool setObjectForKey(PlistValue value, std::string_view key);
    // Removes KEY from the persistent domain, so the registered default (if
    // any) shows again.
    void removeObjectForKey(std::string_view key);
    // Takes KEY's value from the file again, where another process of the
    // user's may have written it since it was read. Does nothing while this
    // one has changes the file does not hold yet (they win when written), or
    // when the file cannot be used.
    void refreshObjectForKey(std::string_view key);

    // Writes the persistent domain to the file when it has changed, creating
    // missing folders (private to the user). On failure logs the file and the
    // reason, keeps the values and the need to write, and answers false.
    bool synchronize();
    // True while there are changes the file does not hold yet.
    bool hasUnsavedChanges() const { return dirty_; }

private:
    void reload(std::string path);
    void load();
    void changed();
    void runScheduledSynchronize();

    std::string path_;
    PlistValue persistent_{PlistDictionary{}};
    PlistValue registration_{PlistDictionary{}};
    std::string loadWarning_;
    bool dirty_ = false;
    bool scheduled_ = false;
    // The file at path_ was unusable and could not be set aside: it must not
    // be replaced until it has been.
    bool damagedFileInPlace_ = false;
    // Scheduled writes hold a weak reference: one that outlives this object,
    // or a reload, finds it gone and does nothing.
    std::shared_ptr<UserDefaults*> liveness_;
};

} // namespace cogbook
