// What the file functions share: an open file descriptor closed when it goes
// out of scope, and the exception for a system call that failed.
#pragma once

#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace cogbook {

inline std::runtime_error systemError(const std::string& what, int error) {
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

private:
    int fd_;
};

} // namespace cogbook
