// The shipped resources: the default template every new bike starts from,
// and the sample record. Both are made by tools/make_sample; these tests
// keep the committed files equal to what it makes, and check what they hold.
#include <spawn.h>
#include <sys/wait.h>

#include <map>
#include <set>

#include "app_test_support.h"
#include "foundation/xml_plist.h"
#include "model/record_file.h"

extern char** environ;

namespace cogbook {
namespace {

const std::vector<std::pair<std::string, std::vector<std::string>>> kExpectedParts = {
    {"Frame", {}},
    {"Fork", {}},
    {"Headset", {}},
    {"Front wheel", {"Hub", "Rim", "Spokes", "Tyre"}},
    {"Rear wheel", {"Hub", "Rim", "Spokes", "Tyre"}},
    {"Drivetrain",
     {"Chain", "Cassette", "Chainrings", "Crankset", "Bottom bracket", "Front derailleur",
      "Rear derailleur"}},
    {"Brakes", {"Front brake", "Rear brake"}},
    {"Cockpit", {"Handlebar", "Stem", "Bar tape"}},
    {"Saddle", {}},
    {"Seatpost", {}},
    {"Pedals", {}},
};

std::vector<std::uint8_t> bytesOf(const std::string& path) {
    const std::string text = test::readText(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

PlistValue templatePlist() { return readXmlPlist(bytesOf(test::resource("defaultBike.plist"))); }

ZRBicycleListPtr bikeFromTemplate() {
    auto bike = ZRBicycleList::create();
    bike->buildFromDictionary(templatePlist());
    return bike;
}

// The parts below NODE as (name, subpart names), leaving service entries out.
std::vector<std::pair<std::string, std::vector<std::string>>> partsOf(const ZRBicycleList& node) {
    std::vector<std::pair<std::string, std::vector<std::string>>> parts;
    for (std::size_t i = 0; i < node.numberOfChildren(); ++i) {
        const auto& part = *node.childAtIndex(i);
        if (!part.expandable()) continue;
        std::vector<std::string> subparts;
        for (std::size_t j = 0; j < part.numberOfChildren(); ++j) {
            const auto& sub = *part.childAtIndex(j);
            if (sub.expandable()) subparts.push_back(sub.partName());
            // Two levels are all the template has.
            for (std::size_t k = 0; k < sub.numberOfChildren(); ++k)
                EXPECT_FALSE(sub.childAtIndex(k)->expandable()) << sub.partName();
        }
        parts.emplace_back(part.partName(), std::move(subparts));
    }
    return parts;
}

TEST(appDefaultTemplate, LoadsAsABikeWithTheListedParts) {
    const auto bike = bikeFromTemplate();
    EXPECT_EQ(bike->partName(), "Bike");
    EXPECT_TRUE(bike->expandable());
    EXPECT_EQ(partsOf(*bike), kExpectedParts);
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    // Parts only, and nothing but structure: no entry, no text beyond names.
    for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());) {
        EXPECT_TRUE(node->expandable()) << node->partName();
        EXPECT_EQ(node->description(), "");
        EXPECT_EQ(node->notes(), "");
    }
}

TEST(appDefaultTemplate, KeepsOnlyTheTemplateKeysAndRoundTrips) {
    const PlistValue plist = templatePlist();
    EXPECT_EQ(bikeFromTemplate()->templateDictionary(), plist);
    const std::set<std::string> allowed = {"creationDate", "partName",      "expandable",
                                           "hasChildren",  "childKeyArray", "children"};
    std::vector<const PlistValue*> stack{&plist};
    while (!stack.empty()) {
        const PlistValue& part = *stack.back();
        stack.pop_back();
        ASSERT_TRUE(part.isDictionary());
        for (const auto& [key, value] : part.dictionary()) EXPECT_TRUE(allowed.count(key)) << key;
        EXPECT_TRUE(part.find("creationDate")->isString());
        if (const PlistValue* children = part.find("children"))
            for (const auto& [key, child] : children->dictionary()) stack.push_back(&child);
    }
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
    EXPECT_TRUE(bytesOf(folder.file("sample.cogbook")) == bytesOf(test::resource("sample.cogbook")))
        << "resources/sample.cogbook is stale: regenerate it with make_sample";
    ASSERT_EQ(runGenerator({"--template", folder.file("defaultBike.plist")}), 0);
    EXPECT_EQ(test::readText(folder.file("defaultBike.plist")), test::readText(test::resource("defaultBike.plist")))
        << "resources/defaultBike.plist is stale: regenerate it with make_sample --template";
}
#endif

TEST(appSampleRecord, HoldsTwoYearsOfServiceUnderTheTemplateParts) {
    const auto bike = readRecordFile(bytesOf(test::resource("sample.cogbook")));
    EXPECT_EQ(partsOf(*bike), kExpectedParts);

    // The parts are the template's very items: same keys, same order.
    const auto fresh = bikeFromTemplate();
    std::vector<std::string> sampleKeys, templateKeys;
    for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());)
        if (node->expandable()) sampleKeys.push_back(node->creationDate());
    for (auto node = fresh->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());)
        templateKeys.push_back(node->creationDate());
    EXPECT_EQ(sampleKeys, templateKeys);

    const Date first = *Date::fromISO8601("2024-11-01T00:00:00Z");
    const Date last = *Date::fromISO8601("2026-11-01T00:00:00Z");
    std::size_t entries = 0, multiLineNotes = 0, onTheBike = 0;
    std::set<std::string> descriptions;
    for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());) {
        if (node->expandable()) continue;
        ++entries;
        EXPECT_GE(node->date(), first) << node->description();
        EXPECT_LT(node->date(), last) << node->description();
        EXPECT_FALSE(node->description().empty());
        EXPECT_EQ(node->partName(), node->parent()->partName()) << node->description();
        if (node->notes().find('\n') != std::string::npos) ++multiLineNotes;
        if (node->parent() == bike) {
            ++onTheBike;
            descriptions.insert(node->description());
        }
    }
    EXPECT_GE(entries, 60u);
    EXPECT_LE(entries, 100u);
    EXPECT_GE(multiLineNotes, 5u);
    EXPECT_GE(onTheBike, 2u);
    EXPECT_TRUE(descriptions.count("Annual service"));

    // Every part is dated by the latest item below it.
    std::vector<const ZRBicycleList*> parts{bike.get()};
    for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());)
        if (node->expandable()) parts.push_back(node.get());
    for (const ZRBicycleList* part : parts) {
        std::optional<Date> latest;
        std::vector<const ZRBicycleList*> below{part};
        while (!below.empty()) {
            const ZRBicycleList* node = below.back();
            below.pop_back();
            for (std::size_t i = 0; i < node->numberOfChildren(); ++i) {
                const ZRBicycleList* child = node->childAtIndex(i).get();
                latest = latest ? latest->laterDate(child->date()) : child->date();
                below.push_back(child);
            }
        }
        if (latest) {
            EXPECT_EQ(part->date(), *latest) << part->partName();
        }
    }
}

} // namespace
} // namespace cogbook
