// The service log as CSV and the plan for importing it: parts made by path,
// entries filed under them, bad rows listed by line and nothing else lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/service_csv.h"
#include "model/service_log.h"
#include "support/scoped_time_zone.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::part;

ZRBicycleListPtr sampleBike() {
    auto patched = entry("Tyre", "Patched, again", *Date::fromISO8601("2025-03-01T23:30:00Z"), "Valve \"Presta\"\nleaks");
    patched->setCost(4.5);
    patched->setOdometer(1200.0);
    auto trued = entry("Rear wheel", "Trued", *Date::fromISO8601("2025-04-12T08:00:00Z"));
    return part("Bike", {part("Rear wheel", {part("Tyre", {patched}), trued})});
}

TEST(ServiceCsv, ExportsOneRowPerEntryInLocalDays) {
    test_support::ScopedTimeZone berlin("Europe/Berlin");
    EXPECT_EQ(serviceLogCsv(*sampleBike()),
              "Date,Part,Description,Cost,Odometer,Notes\r\n"
              "2025-04-12,Rear wheel,Trued,,,\r\n"
              "2025-03-02,Rear wheel › Tyre,\"Patched, again\",4.5,1200,\"Valve \"\"Presta\"\"\nleaks\"\r\n");
}

// Files every insertion, as the window will in one step.
void apply(const std::vector<ServiceImportInsertion>& insertions) {
    for (const auto& insertion : insertions) insertion.parent->addChildPartOrEntry(insertion.child);
}

TEST(ServiceCsv, ExportThenImportIntoAnEmptyBikeGivesTheSameLog) {
    test_support::ScopedTimeZone berlin("Europe/Berlin");
    const auto original = sampleBike();
    const std::string csv = serviceLogCsv(*original);
    auto bike = part("Bike");
    const auto plan = planServiceImport(*bike, csv);
    EXPECT_TRUE(plan.badRows.empty());
    EXPECT_EQ(plan.partsToCreate, (std::vector<std::vector<std::string>>{{"Rear wheel"}, {"Rear wheel", "Tyre"}}));
    EXPECT_EQ(bike->numberOfChildren(), 0u); // planning changes nothing
    const auto insertions = serviceImportInsertions(bike, plan);
    EXPECT_EQ(insertions.size(), 1u); // the new wheel, holding all the rest
    apply(insertions);
    EXPECT_EQ(serviceLogCsv(*bike), csv);
    EXPECT_EQ(findInvariantViolation(*bike), std::nullopt);
    const auto tyre = bike->childAtIndex(0)->childAtIndex(1); // after the newer entry
    EXPECT_EQ(tyre->childAtIndex(0)->partName(), "Tyre");
    EXPECT_EQ(tyre->childAtIndex(0)->cost(), 4.5);
}

TEST(ServiceCsv, PlansAgainstTheExistingPartsAndListsBadRows) {
    auto bike = sampleBike();
    const std::string csv =
        "Part,Date,Cost\n"                          // columns in any order, some left out
        "Rear wheel › Tyre,2025-05-01,3\n"          // an existing part
        "Rear wheel › Spokes,2025-05-02,\n"         // a new part under an existing one
        "Rear wheel › Spokes,2025-05-03,1e1\n"      // made once for both rows
        ",2025-05-04,\n"                            // under the bike itself
        "\n"                                        // blank: skipped
        "Tyre,2025-02-30,\n"                        // no such day
        "Tyre,yesterday,\n"
        "Tyre,2025-05-05,cheap\n"
        "Tyre,2025-05-05\n"                         // a field short
        "Rear wheel ›  › Tyre,2025-05-05,\n"        // an empty name
        "\"Front\nwheel\",2025-05-06,\"1,5\"\n";    // a bad cost on a row of two lines
    const auto plan = planServiceImport(*bike, csv);
    std::vector<std::string> bad;
    for (const auto& row : plan.badRows) bad.push_back(std::to_string(row.line) + ": " + row.message);
    EXPECT_EQ(bad, (std::vector<std::string>{
                       "7: the date “2025-02-30” is not a day written YYYY-MM-DD",
                       "8: the date “yesterday” is not a day written YYYY-MM-DD",
                       "9: the cost “cheap” is not a number",
                       "10: the row has 2 fields, the header 3",
                       "11: the part path “Rear wheel ›  › Tyre” has an empty name in it",
                       "12: the cost “1,5” is not a number",
                   }));
    EXPECT_EQ(plan.partsToCreate, (std::vector<std::vector<std::string>>{{"Rear wheel", "Spokes"}}));
    ASSERT_EQ(plan.entries.size(), 4u);
    EXPECT_EQ(plan.entries[2].cost, 10.0);

    const auto before = bike->numberOfChildren();
    apply(serviceImportInsertions(bike, plan));
    const auto wheel = bike->childAtIndex(0);
    EXPECT_EQ(wheel->childAtIndex(0)->numberOfChildren(), 2u); // the tyre's new entry
    EXPECT_EQ(wheel->childAtIndex(2)->partName(), "Spokes");
    EXPECT_EQ(wheel->childAtIndex(2)->numberOfChildren(), 2u);
    EXPECT_EQ(bike->numberOfChildren(), before + 1);
    EXPECT_EQ(bike->childAtIndex(before)->partName(), "Bike");
}

TEST(ServiceCsv, TextThatIsNoLogIsOneBadRowAndNoEntries) {
    const auto bike = sampleBike();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "1: there is no header row"},
        {"Date,Part,Price\n", "1: the header names the column “Price”, which is not one of Date, Part, "
                              "Description, Cost, Odometer and Notes"},
        {"Date,Date,Part\n", "1: the header names the column “Date” twice"},
        {"Date,Notes\n", "1: the header must name the Date and Part columns"},
        {"Date,Part\n2025-01-01,\"open\n", "2: a quoted field is never closed"},
    };
    for (const auto& [csv, message] : cases) {
        SCOPED_TRACE(csv);
        const auto plan = planServiceImport(*bike, csv);
        ASSERT_EQ(plan.badRows.size(), 1u);
        EXPECT_EQ(std::to_string(plan.badRows[0].line) + ": " + plan.badRows[0].message, message);
        EXPECT_TRUE(plan.entries.empty());
    }
}

} // namespace
} // namespace cogbook
