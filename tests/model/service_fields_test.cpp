// The service fields: kept where their kind allows, never written unset, unfit values refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "foundation/exceptions.h"
#include "model/item_payload.h"
#include "model/record_file.h"
#include "support/error_message.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;
using test_support::entry;
using test_support::part;

struct ServicedBike {
    ZRBicycleListPtr bike, chain, lube;
};

ServicedBike servicedBike() {
    ServicedBike b;
    b.lube = entry("Chain", "Lubed", 7e8);
    b.chain = part("Chain", {b.lube});
    b.bike = part("Bike", {part("Drivetrain", {b.chain})});
    b.bike->setDistanceUnit(DistanceUnit::miles);
    b.bike->setCurrency("EUR");
    b.chain->setServiceIntervalDays(90);
    b.chain->setServiceIntervalDistance(3000);
    b.lube->setCost(12.5);
    b.lube->setOdometer(1234.5);
    return b;
}

void expectServiceFields(const ZRBicycleList& bike, const ZRBicycleList& chain, const ZRBicycleList& lube) {
    EXPECT_EQ(bike.distanceUnit(), DistanceUnit::miles);
    EXPECT_EQ(bike.currency(), "EUR");
    EXPECT_EQ(chain.serviceIntervalDays(), 90);
    EXPECT_EQ(chain.serviceIntervalDistance(), 3000.0);
    EXPECT_EQ(lube.cost(), 12.5);
    EXPECT_EQ(lube.odometer(), 1234.5);
    EXPECT_FALSE(lube.serviceIntervalDays());
    EXPECT_FALSE(chain.cost());
}

TEST(ServiceFields, TravelThroughFileCopyAndPayload) {
    const auto b = servicedBike();
    const auto bytes = writeRecordFile(*b.bike);
    const auto read = readRecordFile(bytes);
    const auto chain = read->childAtIndex(0)->childAtIndex(0);
    expectServiceFields(*read, *chain, *chain->childAtIndex(0));
    EXPECT_EQ(writeRecordFile(*read), bytes);

    const auto copy = b.chain->copyWithZone();
    EXPECT_EQ(copy->serviceIntervalDays(), 90);
    EXPECT_EQ(b.lube->copyWithZone()->serviceReadings().odometer, 1234.5);
    const auto pasted = readItemsPayload(writeItemsPayload({b.chain}));
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(pasted[0]->serviceIntervalDistance(), 3000.0);
    EXPECT_EQ(pasted[0]->childAtIndex(0)->cost(), 12.5);
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ServiceFields, RecordsThatNeverSetThemWriteTheSameBytes) {
    // Files written before the fields existed come out byte for byte.
    for (const char* path : {COGBOOK_TEST_DATA_DIR "/fuzz/corpus/record_file/plain-sample",
                             COGBOOK_TEST_DATA_DIR "/fuzz/corpus/record_file/medium-tree",
                             COGBOOK_TEST_DATA_DIR "/fuzz/corpus/record_file/emptied-part"}) {
        SCOPED_TRACE(path);
        const auto bytes = fileBytes(path);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(writeRecordFile(*readRecordFile(bytes)), bytes);
    }
    // Set and then cleared leaves nothing behind.
    const auto b = servicedBike();
    for (const auto& node : {b.bike, b.chain, b.lube}) {
        node->setCost(std::nullopt);
        node->setOdometer(std::nullopt);
        node->setServiceIntervalDays(std::nullopt);
        node->setServiceIntervalDistance(std::nullopt);
        node->setDistanceUnit(std::nullopt);
        node->setCurrency(std::nullopt);
        EXPECT_EQ(node->otherFields(), PlistDictionary{});
    }
}

TEST(ServiceFields, KeepTheirPlaceAmongFieldsThisVersionDoesNotKnow) {
    // As a reader that does not know them holds them: among the other fields,
    // in the order read, written back unchanged. Ours edit in place.
    auto lube = entry("Chain", "Lubed");
    lube->setOtherFields({{"nickname", PlistValue("x")}, {"cost", PlistValue(std::int64_t{12})},
                          {"later", PlistValue(true)}});
    EXPECT_EQ(lube->cost(), 12.0);
    lube->setCost(13.0);
    lube->setOdometer(5.0);
    EXPECT_EQ(lube->otherFields(), (PlistDictionary{{"nickname", PlistValue("x")}, {"cost", PlistValue(13.0)},
                                                    {"later", PlistValue(true)}, {"odometer", PlistValue(5.0)}}));
}

TEST(ServiceFields, UnfitValuesAreRefusedOnSettingAndOnReading) {
    const auto b = servicedBike();
    EXPECT_THROW(b.lube->setCost(std::nan("")), InvalidArgumentException);
    EXPECT_THROW(b.lube->setOdometer(-1.0), InvalidArgumentException);
    EXPECT_THROW(b.chain->setServiceIntervalDays(0), InvalidArgumentException);
    EXPECT_THROW(b.chain->setServiceIntervalDistance(0.0), InvalidArgumentException);
    EXPECT_THROW(b.bike->setCurrency("eur"), InvalidArgumentException);
    EXPECT_THROW(b.bike->setCurrency("EURO"), InvalidArgumentException);
    expectServiceFields(*b.bike, *b.chain, *b.lube); // unchanged

    // What another program might have written, on the entry; the message names
    // the item and the key, and cuts a long value short.
    const std::vector<std::tuple<std::string, PlistValue, std::string>> cases = {
        {"cost", PlistValue("12"), "its “cost” is a string, not a number"},
        {"odometer", PlistValue(-5.0), "its “odometer” is -5, not a number at least 0"},
        {"serviceIntervalDays", PlistValue(2.5), "its “serviceIntervalDays” is 2.5, not a whole number"},
        {"serviceIntervalDays", PlistValue(std::int64_t{0}), "is 0, not a whole number of days from 1"},
        {"serviceIntervalDistance", PlistValue(true), "is a boolean, not a number above 0"},
        {"distanceUnit", PlistValue("furlongs"), "its “distanceUnit” is “furlongs”, not \"km\" or \"mi\""},
        {"currency", PlistValue(std::string(500, 'E')), "is “" + std::string(80, 'E') + "…” (500 characters)"},
    };
    for (const auto& [key, value, message] : cases) {
        SCOPED_TRACE(key);
        const auto bad = servicedBike();
        bad.lube->setCost(std::nullopt);
        bad.lube->setOdometer(std::nullopt);
        bad.lube->addOtherField(key, value);
        const auto bytes = writeRecordFile(*bad.bike);
        const std::string error =
            test_support::errorMessage<RecordFileError>([&] { readRecordFile(bytes); }, "accepted");
        EXPECT_THAT(error, HasSubstr("(“Chain”): "));
        EXPECT_THAT(error, HasSubstr(message));
    }
}

TEST(ServiceFields, TemplatesCarryIntervalsAndUnitsButNoCostsOrReadings) {
    const auto b = servicedBike();
    const PlistValue bikeTemplate = *b.bike->templateDictionary();
    auto made = ZRBicycleList::create();
    made->buildFromDictionary(bikeTemplate);
    EXPECT_EQ(made->distanceUnit(), DistanceUnit::miles);
    EXPECT_EQ(made->currency(), "EUR");
    EXPECT_EQ(made->childAtIndex(0)->childAtIndex(0)->serviceIntervalDistance(), 3000.0);

    // Even a dictionary that holds entries with costs builds none into a new bike.
    auto full = ZRBicycleList::create();
    full->buildFromDictionary(b.bike->plistConversion());
    const auto chain = full->childAtIndex(0)->childAtIndex(0);
    EXPECT_EQ(chain->serviceIntervalDays(), 90);
    EXPECT_EQ(chain->childAtIndex(0)->description(), "Lubed");
    EXPECT_FALSE(chain->childAtIndex(0)->cost());
    EXPECT_FALSE(chain->childAtIndex(0)->odometer());
    EXPECT_EQ(chain->childAtIndex(0)->otherFields(), PlistDictionary{});
}

} // namespace
} // namespace cogbook
