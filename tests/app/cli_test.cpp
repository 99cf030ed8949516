// The command line: exit statuses, messages that name the file, the plain
// text form, and imports that either write a whole record or nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>


#include "app/json_form.h"
#include "app_test_support.h"
#include "support/scoped_time_zone.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using test::makeNode;
using test::runCli;
using test::ScratchFolder;

const std::string kUsage = std::string(kUsageLine) + "\n";

TEST(appCommandLine, UsageErrorsExitWithTwoAndHelpWithZero) {
    const std::vector<std::vector<std::string>> bad = {
        {}, {"print"}, {"print", "a.cogbook", "b.cogbook"}, {"export-json"}, {"import-json", "in.json"},
        {"due"}, {"export-csv"},
        {"import-json", "in.json", "out.cogbook", "extra"}, {"--frobnicate"}, {"--help", "print"},
        {"bike.cogbook"}, // opening records needs the windows
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto result = runCli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, testing::EndsWith(kUsage));
    }
    EXPECT_EQ(runCli({"--frobnicate"}).err, "cogbook: unknown option --frobnicate\n" + kUsage);

    const auto help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, testing::StartsWith(kUsage));
    EXPECT_EQ(help.err, "");
    const auto version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, testing::MatchesRegex("cogbook [0-9]+\\.[0-9]+\\.[0-9]+\n"));

    // Every form the usage names runs on its own; a file name opens windows.
    std::istringstream usage(kUsageLine);
    for (std::string word; usage >> word;) {
        if (word.front() != '|') continue;
        usage >> word;
        SCOPED_TRACE(word);
        EXPECT_TRUE(isCommandLineForm({word, "bike.cogbook"}));
    }
    EXPECT_FALSE(isCommandLineForm({"bike.cogbook"}));
    EXPECT_FALSE(isCommandLineForm({}));
}

TEST(appCommandLine, UnreadableInputsExitWithOneNamingTheFile) {
    ScratchFolder folder;
    const std::string missing = folder.file("missing.cogbook"), garbage = folder.file("garbage.cogbook"),
                      directory = folder.file(""), huge = folder.file("huge.json");
    test::writeFile(garbage, std::string("this is not a record"));
    // Sparse: costs no disk, and a reader that read it would still take 512 MiB.
    test::writeFile(huge, std::string("{"));
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxInputBytes + 1)), 0);

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"print", missing}, missing + ": cannot open: No such file or directory\n"},
        {{"export-json", missing}, missing + ": cannot open: No such file or directory\n"},
        {{"due", missing}, missing + ": cannot open: No such file or directory\n"},
        {{"export-csv", missing}, missing + ": cannot open: No such file or directory\n"},
        {{"import-json", missing, folder.file("out")}, missing + ": cannot open: No such file or directory\n"},
        {{"print", garbage}, garbage + ": not a valid record: "},
        {{"export-json", garbage}, garbage + ": not a valid record: "},
        {{"print", directory}, directory + ": is a directory, not a file\n"},
        {{"export-json", directory}, directory + ": is a directory, not a file\n"},
        {{"import-json", huge, folder.file("out")}, huge + ": larger than 512 MiB; refused\n"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto result = runCli(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, testing::StartsWith("cogbook: " + message));
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"garbage.cogbook", "huge.json"}));

    const std::string small = folder.file("small");
    test::writeFile(small, std::string("0123456789A"));
    EXPECT_EQ(readWholeFile(small, 11).size(), 11u);
    EXPECT_THROW(readWholeFile(small, 10), std::runtime_error);
}

TEST(appCommandLine, ExportWritesTheJsonFormAndReportsWriteErrors) {
    const std::string sample = test::resource("sample.cogbook");
    const auto result = runCli({"export-json", sample});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, exportJson(*readRecordFile(test::readBytes(sample))));

    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(runCommandLine({"export-json", sample}, out, err), 1);
    EXPECT_EQ(err.str(), "cogbook: standard output: write error\n");
}

using test_support::ScopedTimeZone;

TEST(appCommandLine, PrintsEveryItemBelowTheBikeInLocalTime) {
    // Late on 1 March in UTC is 2 March in Berlin.
    ScopedTimeZone berlin("Europe/Berlin");
    const Date march = *Date::fromISO8601("2025-03-01T23:30:00Z");
    const Date april = *Date::fromISO8601("2025-04-12T08:00:00Z");
    auto bike = makeNode("1", "Bike", true, april, "Commuter", "not printed");
    auto drivetrain = makeNode("2", "Drivetrain", true, april);
    drivetrain->addChildPartOrEntry(makeNode("3", "Chain", false, march, "Replaced chain", "KMC X11\n112 links"));
    drivetrain->addChildPartOrEntry(makeNode("4", "Cassette", false, april));
    bike->addChildPartOrEntry(drivetrain);
    bike->addChildPartOrEntry(makeNode("5", "Bike", false, april, "Spring service"));

    ScratchFolder folder;
    const std::string file = folder.file("bike.cogbook");
    test::writeFile(file, writeRecordFile(*bike));
    const auto result = runCli({"print", file});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "2025-04-12\tDrivetrain\n"
              "2025-03-02\tChain\tReplaced chain\n"
              "KMC X11\n112 links\n\n"
              "2025-04-12\tCassette\n"
              "2025-04-12\tBike\tSpring service\n");
    // A bike with nothing filed under it prints nothing, successfully.
    test::writeFile(file, writeRecordFile(*makeNode("1", "Bike", true, april)));
    const auto empty = runCli({"print", file});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

mode_t permissionsOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_mode & 0777;
}

TEST(appCommandLine, ImportWritesAWholeRecordOrNothing) {
    ScratchFolder folder;
    const std::string bad = folder.file("bad.json"), good = folder.file("good.json"), out = folder.file("out");
    // A bad date in the third child.
    auto bike = makeNode("1", "Bike", true, Date(0));
    for (int i = 2; i < 5; ++i) bike->addChildPartOrEntry(makeNode(std::to_string(i), "Tyre", false, Date(0)));
    std::string text = exportJson(*bike);
    const std::string date = "2001-01-01T00:00:00.000000Z";
    test::writeFile(bad, text.replace(text.rfind(date), date.size(), "last Tuesday"));
    test::writeFile(good, runCli({"export-json", test::resource("sample.cogbook")}).out);

    auto result = runCli({"import-json", bad, out});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + bad + ": $.children[2].date: not an ISO 8601 date\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.json", "good.json"}));

    // A refused import leaves an existing output alone; a good one replaces
    // it whole, keeps its permissions, and leaves nothing else beside it.
    test::writeFile(out, std::string("the user's precious record"));
    ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
    EXPECT_EQ(runCli({"import-json", bad, out}).status, 1);
    EXPECT_EQ(test::readText(out), "the user's precious record");
    result = runCli({"import-json", good, out});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err + result.out, "");
    EXPECT_EQ(runCli({"export-json", out}).out, test::readText(good));
    EXPECT_EQ(permissionsOf(out), 0640u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.json", "good.json", "out"}));
    // A new file gets the usual permissions.
    EXPECT_EQ(runCli({"import-json", good, folder.file("new")}).status, 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(permissionsOf(folder.file("new")), 0666 & ~mask);

    // Outputs that cannot be created are named too, and leave nothing.
    const std::string inMissingFolder = folder.file("no/such/out"), aFolder = folder.file("sub");
    ASSERT_EQ(::mkdir(aFolder.c_str(), 0755), 0);
    result = runCli({"import-json", good, inMissingFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, testing::StartsWith("cogbook: " + inMissingFolder + ": cannot create a file in "));
    result = runCli({"import-json", good, aFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + aFolder + ": is a folder, not a file to save into\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.json", "good.json", "new", "out", "sub"}));
}

} // namespace
} // namespace cogbook
