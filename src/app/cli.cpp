#include "app/cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string_view>

#include "app/json_form.h"
#include "model/record_file.h"

#ifndef COGBOOK_VERSION
#define COGBOOK_VERSION "unknown"
#endif

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

namespace {

// A failure to report as "cogbook: FILE: MESSAGE", exit status 1.
struct FileFailure {
    std::string file;
    std::string message;
};

std::vector<std::uint8_t> readInput(const std::string& path) {
    try {
        return readWholeFile(path);
    } catch (const std::runtime_error& error) {
        throw FileFailure{path, error.what()};
    }
}

ZRBicycleListPtr readRecord(const std::string& path) {
    const auto bytes = readInput(path);
    try {
        return readRecordFile(bytes);
    } catch (const RecordFileError& error) {
        throw FileFailure{path, std::string("not a valid record: ") + error.what()};
    }
}

int usageError(std::ostream& err, const std::string& problem) {
    if (!problem.empty()) err << "cogbook: " << problem << '\n';
    err << kUsageLine << '\n';
    return 2;
}

// Output that went nowhere (a full disk, a closed pipe) must not pass for success.
int finishOutput(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) return 0;
    err << "cogbook: standard output: write error\n";
    return 1;
}

int print(const std::string& file, std::ostream& out, std::ostream& err) {
    const auto bike = readRecord(file);
    if (const auto text = bike->stringFromBicycleList()) out << *text;
    return finishOutput(out, err);
}

int exportCommand(const std::string& file, std::ostream& out, std::ostream& err) {
    const auto bike = readRecord(file);
    out << exportJson(*bike);
    return finishOutput(out, err);
}

int importCommand(const std::string& jsonFile, const std::string& outFile) {
    const auto bytes = readInput(jsonFile);
    ZRBicycleListPtr bike;
    try {
        bike = importJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const JsonFormError& error) {
        throw FileFailure{jsonFile, error.what()};
    }
    const auto record = writeRecordFile(*bike);
    try {
        writeFileAtomically(outFile, record);
    } catch (const std::runtime_error& error) {
        throw FileFailure{outFile, error.what()};
    }
    return 0;
}

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err, "");
    const std::string& command = args[0];
    const std::size_t operands = args.size() - 1;
    if (command == "--help" || command == "-h") {
        if (operands != 0) return usageError(err, command + " takes no arguments");
        out << kUsageLine << '\n'
            << "\n"
               "  cogbook FILE...              open records (needs the windowed build)\n"
               "  cogbook print FILE           the record as plain text\n"
               "  cogbook export-json FILE     the record as JSON\n"
               "  cogbook import-json JSON OUT a record file made from JSON\n"
               "\n"
               "Exit status: 0 on success, 1 when a file cannot be read or written\n"
               "or holds no valid record or JSON, 2 on bad usage.\n";
        return finishOutput(out, err);
    }
    if (command == "--version") {
        if (operands != 0) return usageError(err, command + " takes no arguments");
        out << "cogbook " << COGBOOK_VERSION << '\n';
        return finishOutput(out, err);
    }
    if (command == "print" || command == "export-json") {
        if (operands != 1) return usageError(err, command + " takes one FILE");
        return command == "print" ? print(args[1], out, err) : exportCommand(args[1], out, err);
    }
    if (command == "import-json") {
        if (operands != 2) return usageError(err, command + " takes a JSON file and an OUT file");
        return importCommand(args[1], args[2]);
    }
    if (!command.empty() && command[0] == '-') return usageError(err, "unknown option " + command);
    return usageError(err, "this build has no windows to open records in; use a command");
}

} // namespace

int runCommandLine(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    try {
        return dispatch(args, out, err);
    } catch (const FileFailure& failure) {
        err << "cogbook: " << failure.file << ": " << failure.message << '\n';
    } catch (const std::bad_alloc&) {
        err << "cogbook: out of memory\n";
    } catch (const std::exception& error) {
        err << "cogbook: " << error.what() << '\n';
    }
    return 1;
}

} // namespace cogbook
