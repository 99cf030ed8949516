// Values kept per file in the user defaults, for the files used last only.
#include <gtest/gtest.h>

#include "foundation/user_defaults.h"
#include "platform/file_states.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

constexpr std::string_view kKey = "States";

QString file(int n) { return QStringLiteral("/records/bike %1.cogbook").arg(n); }

TEST(FileStates, TheLastFilesUsedAreKept) {
    test_support::ScratchDefaults defaults;
    for (int n = 0; n < 50; ++n) setValueForFile(kKey, file(n), PlistValue(n), 50);
    // Used again, the first becomes the most recent, and keeps one entry.
    setValueForFile(kKey, file(0), PlistValue("again"), 50);
    setValueForFile(kKey, file(50), PlistValue(50), 50);
    EXPECT_EQ(UserDefaults::standardUserDefaults().arrayForKey(kKey)->size(), 50u);
    EXPECT_EQ(valueForFile(kKey, file(0)), PlistValue("again"));
    EXPECT_EQ(valueForFile(kKey, file(1)), std::nullopt);
    EXPECT_EQ(valueForFile(kKey, file(2)), PlistValue(2));
    EXPECT_EQ(valueForFile(kKey, file(50)), PlistValue(50));

    // What is kept comes back from the file in the next session; damaged
    // entries are passed over.
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    UserDefaults::resetStandardUserDefaults(defaults.defaultsPath().toStdString());
    EXPECT_EQ(valueForFile(kKey, file(2)), PlistValue(2));
    UserDefaults::standardUserDefaults().setObjectForKey(
        PlistValue(PlistArray{PlistValue("junk"), PlistValue(PlistDictionary{{"File", PlistValue(7)}})}), kKey);
    EXPECT_EQ(valueForFile(kKey, file(2)), std::nullopt);
    setValueForFile(kKey, file(3), PlistValue(3), 50);
    EXPECT_EQ(UserDefaults::standardUserDefaults().arrayForKey(kKey)->size(), 1u);
}

} // namespace
} // namespace cogbook
