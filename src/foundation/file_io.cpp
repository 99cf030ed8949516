#include "foundation/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace cogbook {
namespace {

std::runtime_error systemError(const std::string& what, int error) {
    return std::runtime_error(what + ": " + std::strerror(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close (a full disk seen late) is reported.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::string describeLimit(std::size_t limit) {
    constexpr std::size_t kMiB = 1024 * 1024;
    if (limit >= kMiB && limit % kMiB == 0) return std::to_string(limit / kMiB) + " MiB";
    return std::to_string(limit) + " bytes";
}

// A new file's permissions: what the user's umask allows of read and write
// for all, as for any file a program creates.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::vector<std::uint8_t> readWholeFile(const std::string& path, std::size_t limit) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw systemError("cannot open", errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) throw systemError("cannot read", errno);
    if (S_ISDIR(status.st_mode)) throw std::runtime_error("is a directory, not a file");
    const std::string tooLarge = "larger than " + describeLimit(limit) + "; refused";
    std::vector<std::uint8_t> bytes;
    if (S_ISREG(status.st_mode)) {
        if (static_cast<std::uintmax_t>(status.st_size) > limit) throw std::runtime_error(tooLarge);
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    // Read to the end rather than trusting the size: the file may be a pipe,
    // or may grow while we read it.
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            throw systemError("cannot read", errno);
        }
        if (count == 0) break;
        if (bytes.size() + static_cast<std::size_t>(count) > limit) throw std::runtime_error(tooLarge);
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    return bytes;
}

void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path target(path);
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..") throw std::runtime_error("not a file name");
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";

    mode_t mode = 0;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) throw std::runtime_error("is a directory, not a file");
        mode = existing.st_mode & 07777;
    } else {
        mode = newFileMode();
    }

    // A hidden name beside the target: the same file system, so the rename is
    // atomic, and out of the way of anyone listing the folder meanwhile.
    std::string temporary = (folder / ("." + name + ".XXXXXX")).string();
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) throw systemError("cannot create a file in " + folder.string(), errno);
    bool renamed = false;
    struct Cleanup {
        const std::string& file;
        const bool& done;
        ~Cleanup() {
            if (!done) ::unlink(file.c_str());
        }
    } cleanup{temporary, renamed};

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            throw systemError("cannot write", errno);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fchmod(fd.get(), mode) != 0) throw systemError("cannot set permissions", errno);
    if (::fsync(fd.get()) != 0) throw systemError("cannot write", errno);
    if (fd.close() != 0) throw systemError("cannot write", errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) throw systemError("cannot replace", errno);
    renamed = true;

    // Makes the new name itself durable; the data is already in place, so a
    // failure here is no reason to report the write as failed.
    FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() >= 0) ::fsync(folderFd.get());
}

} // namespace cogbook
