// Saving a large record over an old one survives the writer being killed at
// any moment: the file is always the whole old record or the whole new one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/file_io.h"
#include "model/record_file.h"
#include "tree_helpers.h"
#include "model/ZRBicycleList.h"

namespace cogbook {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Kills aimed at each run: each costs about half a second of a Debug build on
// a busy machine. COGBOOK_CRASH_KILLS asks for more (or fewer).
constexpr int kDefaultKills = 100;

std::vector<std::string> leftovers(const fs::path& folder, const std::string& name) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string entryName = entry.path().filename().string();
        if (entryName != name) found.push_back(entryName);
    }
    return found;
}

// A bike of 100,000 items: a hundred parts of 999 entries each, as a record
// kept for many years might hold.
ZRBicycleListPtr largeBike(const std::string& version) {
    auto bike = testing::part("Bike " + version);
    for (int p = 0; p < 100; ++p) {
        auto part = testing::part("Part " + std::to_string(p));
        bike->addChildPartOrEntry(part);
        std::vector<ZRBicycleListPtr> entries;
        for (int e = 0; e < 999; ++e) entries.push_back(testing::entry("Entry " + std::to_string(e), version, 1e8 + e));
        part->addChildrenPartsOrEntries(entries);
    }
    return bike;
}

// Starts a process that writes BYTES to PATH and exits.
pid_t startWriter(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        try {
            writeFileAtomically(path.string(), bytes);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    return child;
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

// Makes the leftovers of killed writes look a few minutes old, as they
// would be by the next save in real use.
void ageLeftovers(const fs::path& folder, const std::string& name) {
    for (const auto& leftover : leftovers(folder, name)) {
        const timespec past{::time(nullptr) - 300, 0};
        const timespec times[2] = {past, past};
        ::utimensat(AT_FDCWD, (folder / leftover).c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
}

TEST(modelCrashSafety, AKilledSaveLeavesTheOldOrTheNewRecordWhole) {
    const char* asked = std::getenv("COGBOOK_CRASH_KILLS");
    const int kills = asked ? std::max(1, std::atoi(asked)) : kDefaultKills;

    std::string pattern = ::testing::TempDir() + "cogbook-crash-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder(pattern);
    const fs::path file = folder / "bike.cogbook";
    const std::vector<std::uint8_t> records[2] = {writeRecordFile(*largeBike("old")),
                                                  writeRecordFile(*largeBike("new"))};
    ASSERT_NE(records[0], records[1]);
    writeFileAtomically(file.string(), records[0]);
    int current = 0;

    // How long a whole save takes here (the shortest of three): the kills
    // are spread over as long, so that most land inside a save.
    Clock::duration saveTime = Clock::duration::max();
    for (int save = 0; save < 3; ++save) {
        const auto started = Clock::now();
        ASSERT_EQ(waitFor(startWriter(file, records[1 - current])), 0);
        saveTime = std::min(saveTime, Clock::now() - started);
        current = 1 - current;
        ASSERT_EQ(readWholeFile(file.string()), records[current]);
    }
    // On a busy machine a save takes longer or shorter than measured: the
    // span follows, shrinking when writers finish before their kill and
    // growing when they are killed, so that the kills keep landing in saves.
    double span = static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count());

    std::mt19937 random(20261206);
    int keptOld = 0, becameNew = 0, finishedFirst = 0;
    std::size_t mostLeft = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const pid_t child = startWriter(file, records[1 - current]);
        const double moment = std::uniform_real_distribution<double>(0, span)(random);
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(moment)));
        ::kill(child, SIGKILL);
        const int status = waitFor(child);
        if (WIFEXITED(status)) {
            ASSERT_EQ(WEXITSTATUS(status), 0) << "the writer failed on its own";
            ++finishedFirst;
            span *= 0.9;
        } else {
            span *= 1.05;
        }
        const auto now = readWholeFile(file.string());
        if (now == records[current]) {
            ++keptOld;
        } else {
            ASSERT_TRUE(now == records[1 - current]) << "after kill " << kill << " the file is neither record ("
                                                     << now.size() << " bytes)";
            ++becameNew;
            current = 1 - current;
        }
        mostLeft = std::max(mostLeft, leftovers(folder, "bike.cogbook").size());
        ageLeftovers(folder, "bike.cogbook");
    }
    std::cout << "[ figures  ] " << kills << " kills over a save of " << records[0].size() << " bytes taking "
              << std::chrono::duration_cast<std::chrono::milliseconds>(saveTime).count() << " ms: " << keptOld
              << " kept the old record, " << becameNew << " had the new one (" << finishedFirst
              << " writers finished first); at most " << mostLeft << " temporaries at once\n";

    // The next save clears what killed writes left.
    writeFileAtomically(file.string(), records[0]);
    EXPECT_EQ(leftovers(folder, "bike.cogbook"), std::vector<std::string>{});
    EXPECT_EQ(readWholeFile(file.string()), records[0]);
    fs::remove_all(folder);
}

} // namespace
} // namespace cogbook
