#include "foundation/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "foundation/file_descriptor.h"

namespace cogbook {
namespace {

std::string describeLimit(std::size_t limit) {
    constexpr std::size_t kMiB = 1024 * 1024;
    if (limit >= kMiB && limit % kMiB == 0) return std::to_string(limit / kMiB) + " MiB";
    return std::to_string(limit) + " bytes";
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

} // namespace cogbook
