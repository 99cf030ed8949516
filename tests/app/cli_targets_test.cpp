// Where the command line writes: never into a device, and on a full or
// read-only disk not at all, naming the file.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "app/json_form.h"
#include "app_test_support.h"
#include "model/tree_helpers.h"

namespace cogbook {
namespace {

using test::runCli;
using test::ScratchFolder;

// A small file system of its own, mounted for the test when allowed (as root).
class ScratchMount {
public:
    ScratchMount(const std::string& where, const char* options) : where_(where) {
        ::mkdir(where.c_str(), 0755);
        if (::mount("tmpfs", where.c_str(), "tmpfs", 0, options) == 0) {
            mounted_ = true;
        } else {
            reason_ = std::strerror(errno);
        }
    }
    ~ScratchMount() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& reason() const { return reason_; }
    bool makeReadOnly() {
        return ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::string where_;
    bool mounted_ = false;
    std::string reason_;
};

TEST(appCommandLineTargets, ADeviceAsTheOutputIsRefusedUntouched) {
    // A device like the machine's /dev/full, made here so that a fault could
    // not replace the machine's own.
    ScratchFolder folder;
    const std::string json = folder.file("bike.json"), device = folder.file("full");
    test::writeFile(json, exportJson(*testing::randomTree(3, 20)));
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "devices cannot be made here (" << std::strerror(errno) << ")";
    const auto result = runCli({"import-json", json, device});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + device + ": is a character device, not a file to save into\n");
    struct stat status {};
    ASSERT_EQ(::lstat(device.c_str(), &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bike.json", "full"}));
}

TEST(appCommandLineTargets, AFullOrReadOnlyDiskLeavesTheOldFileAndNothingElse) {
    ScratchFolder folder;
    const std::string disk = folder.file("disk");
    ScratchMount mount(disk, "size=256k,mode=0755");
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a small file system here (" << mount.reason() << ")";
    const std::string json = folder.file("big.json"), small = folder.file("small.json"), out = disk + "/out.cogbook";
    const std::string bigJson = exportJson(*testing::randomTree(4, 3000));
    test::writeFile(json, bigJson);
    test::writeFile(small, exportJson(*testing::randomTree(5, 3)));
    ASSERT_EQ(runCli({"import-json", small, out}).status, 0);
    const std::string old = test::readText(out);
    const auto names = [&] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(disk))
            found.push_back(entry.path().filename().string());
        return found;
    };

    auto result = runCli({"import-json", json, out});
    std::cout << "[ figures  ] a record of " << bigJson.size() << " bytes of JSON onto a 256 KiB disk holding "
              << old.size() << " bytes: " << result.err;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + out + ": cannot write: No space left on device\n");
    EXPECT_EQ(test::readText(out), old);
    EXPECT_EQ(names(), std::vector<std::string>{"out.cogbook"});

    ASSERT_TRUE(mount.makeReadOnly()) << std::strerror(errno);
    result = runCli({"import-json", small, out});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + out + ": cannot create a file in " + disk + ": Read-only file system\n");
    EXPECT_EQ(test::readText(out), old);
    EXPECT_EQ(names(), std::vector<std::string>{"out.cogbook"});
}

} // namespace
} // namespace cogbook
