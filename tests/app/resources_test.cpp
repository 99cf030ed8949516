// The default template and sample record: equal to what tools/make_sample makes, and sound.
#include <spawn.h>
#include <sys/wait.h>

#include "app_test_support.h"
#include "foundation/xml_plist.h"
#include "model/record_file.h"

extern char** environ;

namespace cogbook {
namespace {

// The parts of BIKE in display order, each name indented by its depth below
// the bike, followed by its key when WITHKEYS is set. Entries are left out.
std::vector<std::string> outline(const ZRBicycleListPtr& bike, bool withKeys) {
    std::vector<std::string> result;
    for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());) {
        if (!node->expandable()) continue;
        std::string line = node->partName() + (withKeys ? " " + node->creationDate() : "");
        for (auto up = node->parent(); up != bike; up = up->parent()) line.insert(0, " ");
        result.push_back(line);
    }
    return result;
}

ZRBicycleListPtr bikeFromTemplate(const PlistValue& plist) {
    auto bike = ZRBicycleList::create();
    bike->buildFromDictionary(plist);
    return bike;
}

PlistValue templatePlist() { return readXmlPlist(test::readBytes(test::resource("defaultBike.plist"))); }

TEST(appDefaultTemplate, IsABikeOfPartsAndNothingElse) {
    const PlistValue plist = templatePlist();
    const auto bike = bikeFromTemplate(plist);
    EXPECT_EQ(bike->partName(), "Bike");
    EXPECT_TRUE(bike->expandable());
    EXPECT_EQ(outline(bike, false),
              (std::vector<std::string>{"Frame", "Fork", "Headset", "Front wheel", " Hub", " Rim", " Spokes",
                                        " Tyre", "Rear wheel", " Hub", " Rim", " Spokes", " Tyre", "Drivetrain",
                                        " Chain", " Cassette", " Chainrings", " Crankset", " Bottom bracket",
                                        " Front derailleur", " Rear derailleur", "Brakes", " Front brake",
                                        " Rear brake", "Cockpit", " Handlebar", " Stem", " Bar tape", "Saddle",
                                        "Seatpost", "Pedals"}));
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    // The model writes parts only, with structure keys only: the file must be
    // exactly that, with no service entry, text or date beyond the names.
    EXPECT_EQ(bike->templateDictionary(), plist);
}

#ifdef COGBOOK_MAKE_SAMPLE
int runGenerator(std::vector<std::string> args) {
    args.insert(args.begin(), COGBOOK_MAKE_SAMPLE);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(appShippedResources, AreWhatTheGeneratorMakes) {
    test::ScratchFolder folder;
    ASSERT_EQ(runGenerator({folder.file("sample.cogbook")}), 0);
    EXPECT_TRUE(test::readText(folder.file("sample.cogbook")) == test::readText(test::resource("sample.cogbook")))
        << "resources/sample.cogbook is stale: regenerate it with make_sample";
    ASSERT_EQ(runGenerator({"--template", folder.file("defaultBike.plist")}), 0);
    EXPECT_EQ(test::readText(folder.file("defaultBike.plist")), test::readText(test::resource("defaultBike.plist")))
        << "resources/defaultBike.plist is stale: regenerate it with make_sample --template";
}
#endif

TEST(appSampleRecord, HoldsTwoYearsOfServiceUnderTheTemplateParts) {
    const auto bike = readRecordFile(test::readBytes(test::resource("sample.cogbook")));
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    // The parts are the template's very items: same keys, same order.
    EXPECT_EQ(outline(bike, true), outline(bikeFromTemplate(templatePlist()), true));

    // Two years of dated, described service, filed under the parts they name.
    const Date first = *Date::fromISO8601("2024-11-01T00:00:00Z"), last = *Date::fromISO8601("2026-11-01T00:00:00Z");
    std::size_t entries = 0;
    for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());) {
        if (node->expandable()) continue;
        ++entries;
        EXPECT_TRUE(node->date() >= first && node->date() < last && !node->description().empty()) << entries;
        EXPECT_EQ(node->partName(), node->parent()->partName()) << node->description();
    }
    EXPECT_TRUE(entries >= 60 && entries <= 100) << entries;
}

} // namespace
} // namespace cogbook
