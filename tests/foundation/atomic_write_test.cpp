// Replacing files whole: links written through, targets that are no files
// refused, permissions kept, and the leftovers of killed writes cleared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/atomic_write.h"
#include "support/error_message.h"

namespace cogbook {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t permissionsOf(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::string writeError(const fs::path& path) {
    return test_support::errorMessage<std::runtime_error>([&] { writeFileAtomically(path.string(), bytesOf("x")); }, "");
}

// Moves the last change of PATH SECONDS into the past.
void age(const fs::path& path, int seconds) {
    const timespec now{::time(nullptr) - seconds, 0};
    const timespec times[2] = {now, now};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

class AtomicWriteTest : public testing::Test {
protected:
    ~AtomicWriteTest() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    // The names in FOLDER (default: the scratch folder), sorted.
    std::vector<std::string> names(const fs::path& folder = {}) const {
        std::vector<std::string> result;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? folder_ : folder))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }

    const fs::path folder_ = [] {
        std::string pattern = testing::TempDir() + "cogbook-write-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        return fs::path(pattern);
    }();
};

TEST_F(AtomicWriteTest, LinksAreWrittenThroughAndStayLinks) {
    // A chain of two links, relative and absolute, into another folder.
    const fs::path real = folder_ / "real" / "bike.cogbook";
    fs::create_directory(folder_ / "real");
    fs::create_directory(folder_ / "links");
    std::ofstream(real) << "old";
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("../real/bike.cogbook", folder_ / "links" / "middle");
    fs::create_symlink(folder_ / "links" / "middle", folder_ / "links" / "bike.cogbook");

    writeFileAtomically((folder_ / "links" / "bike.cogbook").string(), bytesOf("new"));
    EXPECT_EQ(readText(real), "new");
    EXPECT_EQ(permissionsOf(real), 0640u);
    EXPECT_TRUE(fs::is_symlink(folder_ / "links" / "bike.cogbook"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "links" / "middle"));
    // The temporary was made beside the file replaced, and is gone.
    EXPECT_EQ(names(folder_ / "links"), (std::vector<std::string>{"bike.cogbook", "middle"}));
    EXPECT_EQ(names(folder_ / "real"), (std::vector<std::string>{"bike.cogbook"}));

    // A link to nothing yet makes the file it names.
    fs::create_symlink("made-later", folder_ / "dangling");
    writeFileAtomically((folder_ / "dangling").string(), bytesOf("first"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "dangling"));
    EXPECT_EQ(readText(folder_ / "made-later"), "first");

    // Links in a loop are refused, naming where they start.
    fs::create_symlink("loop-b", folder_ / "loop-a");
    fs::create_symlink("loop-a", folder_ / "loop-b");
    EXPECT_THAT(writeError(folder_ / "loop-a"),
                HasSubstr("cannot follow the links from " + (folder_ / "loop-a").string()));
    EXPECT_TRUE(fs::is_symlink(folder_ / "loop-a"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "loop-b"));
}

TEST_F(AtomicWriteTest, TargetsThatAreNoFilesAreRefusedUntouched) {
    const fs::path pipe = folder_ / "pipe", socketPath = folder_ / "socket", sub = folder_ / "sub";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(sub);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("pipe", folder_ / "to-pipe");

    EXPECT_EQ(writeError(pipe), "is a named pipe, not a file to save into");
    EXPECT_EQ(writeError(socketPath), "is a socket, not a file to save into");
    EXPECT_EQ(writeError(sub), "is a folder, not a file to save into");
    EXPECT_EQ(writeError(folder_ / "to-pipe"),
              "leads to " + pipe.string() + ", which is a named pipe, not a file to save into");
    ::close(listener);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_TRUE(fs::is_socket(socketPath));
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_EQ(names(), (std::vector<std::string>{"pipe", "socket", "sub", "to-pipe"}));

    // A device of its own (made where allowed), not the machine's.
    const fs::path full = folder_ / "full";
    if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "devices cannot be made here (" << std::strerror(errno) << "); the device case is untested";
    }
    EXPECT_EQ(writeError(full), "is a character device, not a file to save into");
    EXPECT_TRUE(fs::is_character_file(full));
}

TEST_F(AtomicWriteTest, NewFilesFollowTheUmaskAndOldOnesKeepTheirPermissions) {
    const fs::path fresh = folder_ / "fresh", kept = folder_ / "kept";
    const mode_t previous = ::umask(027);
    writeFileAtomically(fresh.string(), bytesOf("a"));
    ::umask(previous);
    EXPECT_EQ(permissionsOf(fresh), 0640u);

    std::ofstream(kept) << "old";
    ASSERT_EQ(::chmod(kept.c_str(), 0604), 0);
    writeFileAtomically(kept.string(), bytesOf("new"));
    EXPECT_EQ(permissionsOf(kept), 0604u);
    EXPECT_EQ(readText(kept), "new");
}

TEST_F(AtomicWriteTest, LeftoversOfKilledWritesAreRemoved) {
    const fs::path target = folder_ / "bike.cogbook";
    const auto leftover = [&](const std::string& name, int secondsOld) {
        const fs::path path = folder_ / name;
        std::ofstream(path) << "partial";
        age(path, secondsOld);
        return path;
    };
    leftover(".bike.cogbook.Ab3xYz", 120);   // a killed write's
    leftover(".bike.cogbook.Qq1111", 120);   // another
    leftover(".bike.cogbook.fresh1", 5);     // maybe a write just starting
    leftover(".bike.cogbook.backup7", 120);  // not of the pattern
    leftover(".bike.cogbook.backup", 120);   // nor a name a person would choose
    leftover(".other.cogbook.Ab3xYz", 120);  // another file's
    const fs::path held = leftover(".bike.cogbook.Held00", 120);
    // A write that runs slowly still holds its lock.
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    writeFileAtomically(target.string(), bytesOf("saved"));
    ::close(holder);
    EXPECT_EQ(names(), (std::vector<std::string>{".bike.cogbook.Held00", ".bike.cogbook.backup", ".bike.cogbook.backup7",
                                                  ".bike.cogbook.fresh1", ".other.cogbook.Ab3xYz", "bike.cogbook"}));
    EXPECT_EQ(readText(target), "saved");
}

TEST_F(AtomicWriteTest, AFailedWriteLeavesNothingAndSaysWhere) {
    const fs::path missing = folder_ / "no" / "such" / "file";
    EXPECT_EQ(writeError(missing),
              "cannot create a file in " + (folder_ / "no" / "such").string() + ": No such file or directory");
    EXPECT_EQ(writeError(folder_ / ""), "not a file name");
    // Through a link, the message names the file the link leads to.
    fs::create_symlink("no/such/file", folder_ / "link");
    EXPECT_THAT(writeError(folder_ / "link"), HasSubstr("cannot create a file in " + (folder_ / "no/such").string()));
    EXPECT_EQ(names(), (std::vector<std::string>{"link"}));
}

} // namespace
} // namespace cogbook
