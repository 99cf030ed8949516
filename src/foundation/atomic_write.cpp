#include "foundation/atomic_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "foundation/file_descriptor.h"

namespace cogbook {
namespace {

// Links followed before giving up, as the system itself does.
constexpr int kMaxLinks = 40;
// A temporary this much older than its last write, and not locked, belongs to
// a write that was killed. Younger ones may be a write between creating its
// temporary and locking it.
constexpr std::time_t kStaleAfterSeconds = 60;
constexpr std::size_t kTemporarySuffixLength = 6; // mkstemp's XXXXXX
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

// The process's umask, read without changing it: umask() both reads and sets,
// which races with other threads creating files meanwhile.
mode_t currentUmask() {
    constexpr mode_t kUsual = 022;
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) return kUsual;
    mode_t mask = kUsual;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value & 0777);
            break;
        }
    }
    std::fclose(status);
    return mask;
}

std::string kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Whether ENTRY has the form of a temporary of ours: PREFIX and six random
// letters and digits. A suffix of lower-case letters only, or of digits only,
// is left alone: it is more likely a person's ".bike.cogbook.backup" or
// ".bike.cogbook.202401" than one of the few random names of that form.
bool isTemporaryOf(std::string_view entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kTemporarySuffixLength || !entry.starts_with(prefix)) return false;
    bool lowerOnly = true, digitsOnly = true;
    for (const char c : entry.substr(prefix.size())) {
        const bool digit = c >= '0' && c <= '9', lower = c >= 'a' && c <= 'z', upper = c >= 'A' && c <= 'Z';
        if (!digit && !lower && !upper) return false;
        lowerOnly = lowerOnly && lower;
        digitsOnly = digitsOnly && digit;
    }
    return !lowerOnly && !digitsOnly;
}

// Removes the temporaries (PREFIX + six characters) in FOLDER that killed
// writes left behind. A running write holds a lock on its temporary, which a
// killed one lost with its process. Best effort: whatever fails stays.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) return;
    const int folderFd = ::dirfd(directory);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(directory)) {
        if (!isTemporaryOf(entry->d_name, prefix)) continue;
        struct stat named {};
        if (::fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(named.st_mode) || named.st_uid != ::geteuid()) continue;
        if (now - named.st_mtime < kStaleAfterSeconds) continue;
        FileDescriptor fd(::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        struct stat opened {};
        // Still the file examined, not one made under the name since.
        if (::fstat(fd.get(), &opened) != 0 || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
            continue;
        ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(directory);
}

void writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t chunk = std::min(kWriteChunk, bytes.size() - written);
        const ssize_t count = ::write(fd, bytes.data() + written, chunk);
        if (count < 0) {
            if (errno == EINTR) continue;
            throw systemError("cannot write", errno);
        }
        written += static_cast<std::size_t>(count);
    }
}

} // namespace

std::string resolveWriteTarget(const std::string& path) {
    std::string current = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat status {};
        // Anything but a link ends the chain; a missing file is made, and
        // other failures are met (and reported) by the write itself.
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        std::string target(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) throw systemError("cannot read the link " + current, errno);
        if (static_cast<std::size_t>(length) >= target.size()) {
            throw std::runtime_error("cannot read the link " + current + ": it changed while being read");
        }
        target.resize(static_cast<std::size_t>(length));
        const std::filesystem::path next(target);
        current = next.is_absolute() ? next.string() : (std::filesystem::path(current).parent_path() / next).string();
    }
    throw systemError("cannot follow the links from " + path, ELOOP);
}

void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string target = resolveWriteTarget(path);
    const std::filesystem::path targetPath(target);
    const std::string name = targetPath.filename().string();
    if (name.empty() || name == "." || name == "..") throw std::runtime_error("not a file name");
    const std::string folder = targetPath.has_parent_path() ? targetPath.parent_path().string() : ".";
    // The caller names PATH; a file reached through links is named here.
    const std::string via = target == path ? "" : " " + target;

    mode_t mode = 0666 & ~currentUmask();
    struct stat existing {};
    bool replacing = false;
    if (::lstat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            throw std::runtime_error(via.empty() ? "is " + kindOfFile(existing.st_mode) + ", not a file to save into"
                                                 : "leads to" + via + ", which is " + kindOfFile(existing.st_mode) +
                                                       ", not a file to save into");
        }
        mode = existing.st_mode & 07777;
        replacing = true;
    } else if (errno != ENOENT) {
        throw systemError("cannot examine" + (via.empty() ? std::string() : " the file it leads to," + via), errno);
    }

    const std::string prefix = "." + name + ".";
    removeStaleTemporaries(folder, prefix);

    // A hidden name beside the target: the same file system, so the rename is
    // atomic, and out of the way of anyone listing the folder meanwhile.
    const std::string pattern = (std::filesystem::path(folder) / (prefix + "XXXXXX")).string();
    std::string temporary;
    int made = -1;
    // Names that the clearing of leftovers would take for a person's are
    // not used (one in about two hundred).
    do {
        if (made >= 0) {
            ::unlink(temporary.c_str());
            ::close(made);
        }
        temporary = pattern;
        made = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (made < 0) throw systemError("cannot create a file in " + folder, errno);
    } while (!isTemporaryOf(std::filesystem::path(temporary).filename().string(), prefix));
    FileDescriptor fd(made);
    bool renamed = false;
    struct Cleanup {
        const std::string& file;
        const bool& done;
        ~Cleanup() {
            if (!done) ::unlink(file.c_str());
        }
    } cleanup{temporary, renamed};
    // Held until the temporary has its final name: tells a write that comes
    // across it that it is in use. Just made, nobody else can hold it.
    ::flock(fd.get(), LOCK_EX);

    writeAll(fd.get(), bytes);
    if (replacing && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Only an administrator may give a file away; anyone else keeps the
        // file as theirs, as any editor saving it would.
        if (::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0 &&
            ::fchown(fd.get(), static_cast<uid_t>(-1), existing.st_gid) != 0) {
            // Not a member of its group either: the file becomes the user's own.
        }
    }
    if (::fchmod(fd.get(), mode) != 0) throw systemError("cannot set permissions", errno);
    if (::fsync(fd.get()) != 0) throw systemError("cannot write", errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        throw systemError("cannot replace" + (via.empty() ? std::string() : via), errno);
    }
    renamed = true;

    // Makes the new name itself durable; the data is already in place, so a
    // failure here is no reason to report the write as failed.
    FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() >= 0) ::fsync(folderFd.get());
}

} // namespace cogbook
