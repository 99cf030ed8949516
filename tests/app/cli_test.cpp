// The command line: exit statuses, messages that name the file, the plain
// text form, and imports that either write a whole record or nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <ctime>
#include <optional>

#include "app/json_form.h"
#include "app_test_support.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using test::makeNode;
using test::runCli;
using test::ScratchFolder;

const std::string kUsage = std::string(kUsageLine) + "\n";

TEST(appCommandLineUsage, BadUsageExitsWithTwoAndTheUsageLine) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"print"},
        {"print", "a.cogbook", "b.cogbook"},
        {"export-json"},
        {"import-json", "in.json"},
        {"import-json", "in.json", "out.cogbook", "extra"},
        {"--frobnicate"},
        {"--help", "print"},
        {"bike.cogbook"}, // opening records needs the windows
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto result = runCli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        ASSERT_GE(result.err.size(), kUsage.size());
        EXPECT_EQ(result.err.substr(result.err.size() - kUsage.size()), kUsage);
    }
    EXPECT_EQ(runCli({"--frobnicate"}).err, "cogbook: unknown option --frobnicate\n" + kUsage);
}

TEST(appCommandLineUsage, HelpAndVersionGoToStandardOutput) {
    const auto help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(kUsage, 0), 0u);
    EXPECT_EQ(help.err, "");
    const auto version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, ::testing::MatchesRegex("cogbook [0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

TEST(appCommandLineFiles, UnreadableInputsExitWithOneNamingTheFile) {
    ScratchFolder folder;
    const std::string missing = folder.file("missing.cogbook");
    const std::string garbage = folder.file("garbage.cogbook");
    test::writeText(garbage, "this is not a record");
    const std::string folderItself = folder.file("");

    for (const char* command : {"print", "export-json"}) {
        SCOPED_TRACE(command);
        auto result = runCli({command, missing});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "cogbook: " + missing + ": cannot open: No such file or directory\n");
        EXPECT_EQ(result.out, "");

        result = runCli({command, garbage});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.rfind("cogbook: " + garbage + ": not a valid record: ", 0), 0u) << result.err;

        result = runCli({command, folderItself});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "cogbook: " + folderItself + ": is a directory, not a file\n");
    }
    const auto result = runCli({"import-json", missing, folder.file("out.cogbook")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + missing + ": cannot open: No such file or directory\n");
}

TEST(appCommandLineFiles, OversizedInputIsRefusedUnread) {
    ScratchFolder folder;
    const std::string huge = folder.file("huge.json");
    // Sparse: costs no disk, and a reader that read it would still take 512 MiB.
    test::writeText(huge, "{");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxInputBytes + 1)), 0);
    const auto result = runCli({"import-json", huge, folder.file("out.cogbook")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + huge + ": larger than 512 MiB; refused\n");

    const std::string small = folder.file("small");
    test::writeText(small, "0123456789A");
    EXPECT_EQ(readWholeFile(small, 11).size(), 11u);
    EXPECT_THROW(readWholeFile(small, 10), std::runtime_error);
}

TEST(appCommandLineFiles, ExportWritesTheJsonFormOfTheRecord) {
    const std::string sample = test::resource("sample.cogbook");
    const auto result = runCli({"export-json", sample});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const auto text = test::readText(sample);
    const auto bike = readRecordFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    EXPECT_EQ(result.out, exportJson(*bike));
}

TEST(appCommandLineFiles, OutputThatCannotBeWrittenIsAFailure) {
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(runCommandLine({"export-json", test::resource("sample.cogbook")}, out, err), 1);
    EXPECT_EQ(err.str(), "cogbook: standard output: write error\n");
}

// Sets a time zone for one test and puts the old one back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> old_;
};

TEST(appCommandLinePrint, PrintsEveryItemBelowTheBikeWithItsNotes) {
    ScopedTimeZone utc("UTC");
    const Date march = *Date::fromISO8601("2025-03-01T23:30:00Z");
    const Date april = *Date::fromISO8601("2025-04-12T08:00:00Z");
    auto bike = makeNode("1", "Bike", true, april, "Commuter", "not printed");
    auto drivetrain = makeNode("2", "Drivetrain", true, april);
    auto chain = makeNode("3", "Chain", false, march, "Replaced chain", "KMC X11\n112 links");
    auto cassette = makeNode("4", "Cassette", false, april, "", "");
    auto service = makeNode("5", "Bike", false, april, "Spring service", "");
    drivetrain->addChildPartOrEntry(chain);
    drivetrain->addChildPartOrEntry(cassette);
    bike->addChildPartOrEntry(drivetrain);
    bike->addChildPartOrEntry(service);

    ScratchFolder folder;
    const std::string file = folder.file("bike.cogbook");
    test::writeBytes(file, writeRecordFile(*bike));
    const auto result = runCli({"print", file});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "2025-04-12\tDrivetrain\n"
              "2025-03-01\tChain\tReplaced chain\n"
              "KMC X11\n112 links\n\n"
              "2025-04-12\tCassette\n"
              "2025-04-12\tBike\tSpring service\n");

    // A bike with nothing filed under it prints nothing, successfully.
    test::writeBytes(file, writeRecordFile(*makeNode("1", "Bike", true, april)));
    const auto empty = runCli({"print", file});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

// A JSON document with a bad date in the third child.
std::string badJson() {
    auto bike = makeNode("1", "Bike", true, Date(0));
    for (int i = 0; i < 3; ++i) bike->addChildPartOrEntry(makeNode(std::to_string(i + 2), "Tyre", false, Date(0)));
    std::string text = exportJson(*bike);
    const std::string good = "\"date\": \"2001-01-01T00:00:00.000000Z\"";
    auto at = text.rfind(good);
    text.replace(at, good.size(), "\"date\": \"last Tuesday\"");
    return text;
}

TEST(appCommandLineImport, WritesARecordThatReadsBackAsTheJson) {
    ScratchFolder folder;
    const std::string json = folder.file("bike.json");
    const std::string out = folder.file("bike.cogbook");
    ASSERT_EQ(runCli({"export-json", test::resource("sample.cogbook")}).status, 0);
    test::writeText(json, runCli({"export-json", test::resource("sample.cogbook")}).out);

    const auto result = runCli({"import-json", json, out});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(runCli({"export-json", out}).out, test::readText(json));
    // Nothing else is left beside it.
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bike.cogbook", "bike.json"}));
    struct stat status {};
    ASSERT_EQ(::stat(out.c_str(), &status), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

TEST(appCommandLineImport, RefusedImportWritesNothing) {
    ScratchFolder folder;
    const std::string json = folder.file("bad.json");
    const std::string out = folder.file("bike.cogbook");
    test::writeText(json, badJson());

    const auto result = runCli({"import-json", json, out});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + json + ": $.children[2].date: not an ISO 8601 date\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"bad.json"});
}

TEST(appCommandLineImport, RefusedImportLeavesAnExistingOutputAlone) {
    ScratchFolder folder;
    const std::string json = folder.file("bad.json");
    const std::string out = folder.file("bike.cogbook");
    test::writeText(json, badJson());
    test::writeText(out, "the user's precious record");
    ASSERT_EQ(::chmod(out.c_str(), 0640), 0);

    EXPECT_EQ(runCli({"import-json", json, out}).status, 1);
    EXPECT_EQ(test::readText(out), "the user's precious record");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.json", "bike.cogbook"}));

    // A good import replaces it whole and keeps its permissions.
    test::writeText(json, exportJson(*makeNode("1", "Bike", true, Date(0))));
    EXPECT_EQ(runCli({"import-json", json, out}).status, 0);
    EXPECT_EQ(runCli({"export-json", out}).out, test::readText(json));
    struct stat status {};
    ASSERT_EQ(::stat(out.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.json", "bike.cogbook"}));
}

TEST(appCommandLineImport, UnwritableOutputExitsWithOneNamingIt) {
    ScratchFolder folder;
    const std::string json = folder.file("bike.json");
    test::writeText(json, exportJson(*makeNode("1", "Bike", true, Date(0))));

    const std::string inMissingFolder = folder.file("no/such/folder/bike.cogbook");
    auto result = runCli({"import-json", json, inMissingFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("cogbook: " + inMissingFolder + ": cannot create a file in ", 0), 0u)
        << result.err;

    const std::string aFolder = folder.file("sub");
    ASSERT_EQ(::mkdir(aFolder.c_str(), 0755), 0);
    result = runCli({"import-json", json, aFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cogbook: " + aFolder + ": is a directory, not a file\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bike.json", "sub"}));
}

} // namespace
} // namespace cogbook
