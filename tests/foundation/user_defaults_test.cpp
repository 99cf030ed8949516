// The user's preferences: the two domains, the file, damaged files and the
// writes scheduled after changes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/hooks.h"
#include "foundation/user_defaults.h"
#include "foundation/xml_plist.h"

namespace cogbook {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PlistValue readBack(const fs::path& path) { return readXmlPlist(readWholeFile(path.string())); }

// Sets (or, given null, unsets) one environment variable and puts the old state back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

fs::path makeTemporaryFolder() {
    std::string pattern = ::testing::TempDir() + "cogbook-defaults-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

class UserDefaultsTest : public ::testing::Test {
protected:
    ~UserDefaultsTest() override {
        setLogHook(std::move(previousLog_));
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    const fs::path folder_ = makeTemporaryFolder(); // before file_, which is made from it
    const fs::path file_ = folder_ / "config" / "defaults.plist";
    std::string logged_;
    LogHook previousLog_ = setLogHook([this](std::string_view line) { logged_ += std::string(line) + "\n"; });
};

TEST_F(UserDefaultsTest, UserValuesOverrideRegisteredOnesAndOnlyTheyAreKept) {
    const PlistArray templates{PlistDictionary{{"name", "Chain"}, {"interval", 3000}}};
    {
        UserDefaults defaults(file_.string());
        defaults.registerDefaults({{"Units", "km"}, {"Interval", 30}});
        defaults.setObjectForKey("mi", "Units");
        defaults.setObjectForKey(1, "Interval");
        EXPECT_EQ(defaults.stringForKey("Units"), "mi");
        defaults.removeObjectForKey("Interval");
        EXPECT_EQ(defaults.unsignedIntForKey("Interval"), 30u);
        defaults.setObjectForKey(templates, "Templates");
        EXPECT_EQ(defaults.arrayForKey("Units"), nullptr);
        ASSERT_TRUE(defaults.synchronize());
    }
    EXPECT_EQ(readBack(file_), PlistValue(PlistDictionary{{"Units", "mi"}, {"Templates", templates}}));
    struct stat status {};
    ASSERT_EQ(::stat(file_.parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    UserDefaults again(file_.string());
    EXPECT_TRUE(again.arrayForKey("Templates") && *again.arrayForKey("Templates") == templates);
    EXPECT_EQ(again.objectForKey("Interval"), nullptr);
    EXPECT_TRUE(again.loadWarning().empty() && logged_.empty()) << logged_;
}

// Writing through links is the atomic write's; reading, and setting a damaged
// file aside, are the defaults' own.
TEST_F(UserDefaultsTest, ALinkedFileIsReadThroughAndSetAsideWhereItIsKept) {
    // As a dotfile manager leaves it: the file kept elsewhere, linked in.
    const fs::path kept = folder_ / "dotfiles" / "defaults.plist";
    fs::create_directories(kept.parent_path());
    fs::create_directories(file_.parent_path());
    std::ofstream(kept) << writeXmlPlist(PlistValue(PlistDictionary{{"Units", "mi"}}));
    fs::create_symlink(kept, file_);
    EXPECT_EQ(UserDefaults(file_.string()).stringForKey("Units"), "mi");

    std::ofstream(kept) << "damaged";
    UserDefaults defaults(file_.string());
    EXPECT_NE(defaults.loadWarning(), "");
    EXPECT_EQ(readText(kept.string() + ".damaged"), "damaged");
    defaults.setObjectForKey("km", "Units");
    ASSERT_TRUE(defaults.synchronize()) << logged_;
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(readBack(kept), PlistValue(PlistDictionary{{"Units", "km"}}));
}

TEST_F(UserDefaultsTest, UnsignedIntFollowsNumberConversions) {
    UserDefaults defaults("");
    const std::vector<std::pair<PlistValue, std::uint32_t>> cases{
        {2147483647, 2147483647u}, {std::int64_t{-1}, 4294967295u}, {std::int64_t{4294967301}, 5u},
        {3.99, 3u}, {-1.5, 4294967295u}, {1e30, 4294967295u}, {std::nan(""), 0u},
        {true, 1u}, {false, 0u}, {" 42 km", 42u}, {"-2", 4294967294u}, {"km", 0u},
        {"99999999999999999999", 4294967295u}, {PlistArray{1}, 0u}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        defaults.registerDefaults({{"Key" + std::to_string(i), cases[i].first}});
        EXPECT_EQ(defaults.unsignedIntForKey("Key" + std::to_string(i)), cases[i].second) << i;
    }
    EXPECT_EQ(defaults.unsignedIntForKey("Absent"), 0u);
}

TEST_F(UserDefaultsTest, UnusableFilesAreSetAsideWithoutReplacingEarlierOnes) {
    const std::string good = writeXmlPlist(PlistDictionary{{"Units", "mi"}});
    const std::vector<std::string> unusable{"\x01\x02 not a property list", writeXmlPlist(PlistArray{"Units"}),
                                            good.substr(0, good.size() / 2),
                                            std::string(kMaxUserDefaultsFileBytes + 1, ' ')};
    fs::create_directories(file_.parent_path());
    for (std::size_t i = 0; i < unusable.size(); ++i) {
        std::ofstream(file_, std::ios::binary) << unusable[i];
        {
            UserDefaults defaults(file_.string());
            defaults.registerDefaults({{"Units", "km"}});
            EXPECT_NE(defaults.loadWarning().find(file_.string()), std::string::npos) << defaults.loadWarning();
            EXPECT_NE(logged_.find(defaults.loadWarning()), std::string::npos);
            EXPECT_TRUE(defaults.stringForKey("Units") == "km" && !fs::exists(file_));
            defaults.setObjectForKey(7, "Interval");
            ASSERT_TRUE(defaults.synchronize());
        }
        UserDefaults again(file_.string());
        EXPECT_TRUE(again.loadWarning().empty()) << again.loadWarning();
        EXPECT_EQ(again.unsignedIntForKey("Interval"), 7u);
    }
    for (std::size_t i = 0; i < unusable.size(); ++i) {
        const std::string suffix = i == 0 ? "" : "-" + std::to_string(i + 1);
        EXPECT_TRUE(readText(file_.string() + ".damaged" + suffix) == unusable[i]) << i;
    }
}

TEST_F(UserDefaultsTest, ValuesTheFileCouldNotHoldAreRefused) {
    UserDefaults defaults(file_.string());
    defaults.setObjectForKey("km", "Units");
    const std::vector<std::pair<PlistValue, std::string>> refused{
        {"bell\x07", "Units"},
        {PlistDictionary{{"a", 1}, {"a", 2}}, "Units"},
        {PlistUid{3}, "Units"},
        {"km", "Key\x01"},
        {std::string(kMaxUserDefaultsFileBytes, 'x'), "Notes"}};
    for (const auto& [value, key] : refused) {
        EXPECT_FALSE(defaults.setObjectForKey(value, key));
        EXPECT_EQ(defaults.objectForKey(key) == nullptr, key != "Units");
    }
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(readBack(file_), PlistValue(PlistDictionary{{"Units", "km"}}));
}

TEST_F(UserDefaultsTest, AFailedWriteKeepsTheValuesForTheNextOne) {
    // A file where the folder should be stops even a privileged user.
    const fs::path blocked = folder_ / "blocked";
    std::ofstream(blocked) << "in the way";
    const fs::path path = blocked / "defaults.plist";
    UserDefaults defaults(path.string());
    defaults.setObjectForKey("mi", "Units");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_NE(logged_.find(path.string()), std::string::npos) << logged_;
    EXPECT_TRUE(defaults.stringForKey("Units") == "mi" && defaults.hasUnsavedChanges());

    fs::remove(blocked);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults(path.string()).stringForKey("Units"), "mi");
}

TEST_F(UserDefaultsTest, ChangesInOneEventMakeOneScheduledWrite) {
    std::vector<std::function<void()>> scheduled;
    DeferHook previous = setDeferHook([&](std::function<void()> action) { scheduled.push_back(std::move(action)); });
    UserDefaults defaults(file_.string());
    defaults.setObjectForKey("mi", "Units");
    defaults.setObjectForKey(30, "Interval");
    defaults.removeObjectForKey("Interval");
    EXPECT_EQ(scheduled.size(), 1u);
    EXPECT_FALSE(fs::exists(file_));
    scheduled.front()();
    EXPECT_EQ(readBack(file_), PlistValue(PlistDictionary{{"Units", "mi"}}));
    setDeferHook(std::move(previous));

    // A new period on the default queue, and a write scheduled by an object
    // gone before it runs.
    defaults.setObjectForKey(1, "Interval");
    const fs::path other = folder_ / "other.plist";
    UserDefaults(other.string()).setObjectForKey("km", "Units");
    runDeferredActions();
    EXPECT_EQ(UserDefaults(file_.string()).unsignedIntForKey("Interval"), 1u);
    EXPECT_FALSE(fs::exists(other));
}

TEST_F(UserDefaultsTest, StandardInstanceFollowsXdgRules) {
    const ScopedEnvironment home("HOME", "/home/rider");
    for (const char* config : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        const ScopedEnvironment xdg("XDG_CONFIG_HOME", config);
        EXPECT_EQ(UserDefaults::defaultPath(), "/home/rider/.config/cogbook/defaults.plist");
    }
    const ScopedEnvironment xdg("XDG_CONFIG_HOME", "/etc/rider");
    EXPECT_EQ(UserDefaults::defaultPath(), "/etc/rider/cogbook/defaults.plist");

    // Reset before first use, so that the test never reads the real file.
    UserDefaults::resetStandardUserDefaults(file_.string());
    UserDefaults& standard = UserDefaults::standardUserDefaults();
    standard.registerDefaults({{"Units", "km"}});
    standard.setObjectForKey(5, "Interval");
    ASSERT_TRUE(standard.synchronize());
    UserDefaults::resetStandardUserDefaults(file_.string());
    EXPECT_EQ(&UserDefaults::standardUserDefaults(), &standard);
    EXPECT_EQ(standard.unsignedIntForKey("Interval"), 5u);
    EXPECT_EQ(standard.objectForKey("Units"), nullptr);
}

TEST_F(UserDefaultsTest, AKeyIsTakenAgainFromWhatAnotherProcessWrote) {
    UserDefaults mine(file_.string());
    mine.setObjectForKey("kept", "Mine only");
    ASSERT_TRUE(mine.synchronize());
    UserDefaults other(file_.string());
    other.setObjectForKey("theirs", "Recent");
    ASSERT_TRUE(other.synchronize());
    mine.refreshObjectForKey("Recent");
    EXPECT_EQ(mine.stringForKey("Recent"), "theirs");
    EXPECT_EQ(mine.stringForKey("Mine only"), "kept");

    // A change here not yet written wins: it is written over the file soon.
    mine.setObjectForKey("unwritten", "Other");
    other.removeObjectForKey("Recent");
    ASSERT_TRUE(other.synchronize());
    mine.refreshObjectForKey("Recent");
    EXPECT_EQ(mine.stringForKey("Recent"), "theirs");
    ASSERT_TRUE(mine.synchronize());
    EXPECT_EQ(UserDefaults(file_.string()).stringForKey("Other"), "unwritten");
}

} // namespace
} // namespace cogbook
