// The service fields in the JSON form, and the command-line service log and
// due list.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "app/json_form.h"
#include "app_test_support.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using test::runCli;
using test::ScratchFolder;

constexpr double kDay = 86400.0;

ZRBicycleListPtr servicedBike(Date lastService) {
    auto bike = test::makeNode("1", "Bike", true, lastService);
    auto chain = test::makeNode("2", "Chain", true, lastService);
    auto lubed = test::makeNode("3", "Chain", false, lastService, "Lubed, waxed");
    lubed->setCost(12.5);
    lubed->setOdometer(1000.0);
    chain->addChildPartOrEntry(lubed);
    chain->setServiceIntervalDays(30);
    chain->setServiceIntervalDistance(2500);
    auto pads = test::makeNode("4", "Brake pads", true, lastService);
    pads->setServiceIntervalDays(365);
    bike->addChildPartOrEntry(chain);
    bike->addChildPartOrEntry(pads);
    bike->setDistanceUnit(DistanceUnit::miles);
    bike->setCurrency("CHF");
    return bike;
}

TEST(appServiceJson, FieldsRoundTripAndAreAbsentWhenUnset) {
    const auto bike = servicedBike(Date(7e8));
    const std::string json = exportJson(*bike);
    const auto document = nlohmann::json::parse(json);
    EXPECT_EQ(document["distanceUnit"], "mi");
    EXPECT_EQ(document["children"][0]["serviceIntervalDays"], 30);
    EXPECT_EQ(document["children"][0]["children"][0]["cost"], 12.5);
    EXPECT_FALSE(document["children"][1].contains("cost"));
    EXPECT_FALSE(document["children"][1].contains("serviceIntervalDistance"));
    const auto back = importJson(json);
    EXPECT_EQ(writeRecordFile(*back), writeRecordFile(*bike));
    EXPECT_EQ(exportJson(*back), json);
}

TEST(appServiceCommands, ExportCsvAndDueReadTheRecord) {
    ScratchFolder folder;
    const std::string file = folder.file("bike.cogbook");
    // Lubed 40 days ago: the chain is 10 days overdue, the pads are fine.
    test::writeFile(file, writeRecordFile(*servicedBike(Date(Date::now().timeIntervalSinceReferenceDate() - 40 * kDay))));

    const auto due = runCli({"due", file});
    EXPECT_EQ(due.status, 0);
    EXPECT_EQ(due.err, "");
    EXPECT_EQ(due.out, "Chain\toverdue by 10 days\nBrake pads\tnever serviced\n");

    const auto csv = runCli({"export-csv", file});
    EXPECT_EQ(csv.status, 0);
    EXPECT_THAT(csv.out, testing::StartsWith("Date,Part,Description,Cost,Odometer,Notes\r\n"));
    EXPECT_THAT(csv.out, testing::EndsWith(",Chain,\"Lubed, waxed\",12.5,1000,\r\n"));
}

} // namespace
} // namespace cogbook
