// Record files this version did not write: fields it does not know come back
// out unchanged, and names of any length make short messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/keyed_archive.h"
#include "model/record_file.h"
#include "support/error_message.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;
using Ref = KeyedArchiver::Ref;
using Fields = std::vector<std::pair<std::string, Ref>>;

// A bike (creation date "1") holding one entry ("2"); EXTRA adds fields to
// the entry's field dictionary, made with the same archiver.
std::vector<std::uint8_t> bikeWithEntry(const std::function<Fields(KeyedArchiver&, Ref bike)>& extra,
                                        const std::string& bikeClass = "ZRBicycleList",
                                        const std::string& entryName = "Lubed") {
    KeyedArchiver ar;
    const Ref bike = ar.reserve(), entry = ar.reserve();
    const auto node = [&](Ref self, Fields fields) {
        std::vector<Ref> keys, values;
        for (const auto& [name, value] : fields) {
            keys.push_back(ar.string(name));
            values.push_back(value);
        }
        ar.setObject(self, self == bike ? bikeClass : "ZRBicycleList", {"ZRBicycleList", "NSObject"},
                     {{"bicycleList1", ar.dictionary(keys, values)}});
    };
    const Ref entryKey = ar.string("2");
    node(bike, {{"creationDate", ar.string("1")},
                {"partName", ar.string("Bike")},
                {"date", ar.date(Date(0))},
                {"expandable", ar.boolean(true)},
                {"hasChildren", ar.boolean(true)},
                {"childKeyArray", ar.array({entryKey})},
                {"children", ar.dictionary({entryKey}, {entry})}});
    Fields entryFields = {{"creationDate", entryKey},     {"partName", ar.string(entryName)},
                          {"date", ar.date(Date(1e8))},  {"parent", bike},
                          {"expandable", ar.boolean(false)}, {"hasChildren", ar.boolean(false)}};
    for (auto& field : extra(ar, bike)) entryFields.push_back(std::move(field));
    node(entry, entryFields);
    return ar.finish(bike);
}

std::string refusal(const std::vector<std::uint8_t>& bytes) {
    return test_support::errorMessage<RecordFileError>([&] { readRecordFile(bytes); }, "accepted");
}

TEST(RecordFileForeign, UnknownFieldsComeBackUnchanged) {
    const PlistDictionary expected = {
        {"nickname", PlistValue("Ünïcode ✓ name")},
        {"wheelSize", PlistValue(std::int64_t{-700})},
        {"ratio", PlistValue(2.5)},
        {"serviced", PlistValue(Date(123456789.25))},
        {"retired", PlistValue(false)},
        {"photo", PlistValue(PlistData{0, 1, 2, 255})},
        {"nothing", PlistValue()},
        {"tags", PlistValue(PlistArray{PlistValue("a"), PlistValue(std::int64_t{1}), PlistValue(PlistArray{})})},
        {"meta", PlistValue(PlistDictionary{{"shared", PlistValue("x")}, {"again", PlistValue("x")}})},
    };
    const auto bytes = bikeWithEntry([](KeyedArchiver& ar, Ref bike) {
        const Ref shared = ar.string("x"); // one object, used twice
        return Fields{
            {"nickname", ar.string("Ünïcode ✓ name")},
            {"wheelSize", ar.integer(-700)},
            {"ratio", ar.real(2.5)},
            {"serviced", ar.date(Date(123456789.25))},
            {"retired", ar.boolean(false)},
            {"photo", ar.data({0, 1, 2, 255})},
            {"nothing", KeyedArchiver::kNullRef},
            {"tags", ar.array({ar.string("a"), ar.integer(1), ar.array({})})},
            {"meta", ar.dictionary({ar.string("shared"), ar.string("again")}, {shared, shared})},
            // What a property list cannot hold is not kept: another object
            // (here the bike itself), and a dictionary with keys of numbers.
            {"owner", bike},
            {"byNumber", ar.dictionary({ar.integer(1)}, {ar.string("one")})},
        };
    });

    const auto read = readRecordFile(bytes);
    const auto entry = read->childAtIndex(0);
    EXPECT_EQ(entry->otherFields(), expected);
    EXPECT_EQ(read->otherFields(), PlistDictionary{});
    // Written back and read again, and through a copy too.
    const auto again = readRecordFile(writeRecordFile(*read));
    EXPECT_EQ(again->childAtIndex(0)->otherFields(), expected);
    EXPECT_EQ(again->childAtIndex(0)->copyWithZone()->otherFields(), expected);
    EXPECT_EQ(testing::treeDifference(*read, *again), "");
    // Once written by this version the file stays the same.
    EXPECT_EQ(writeRecordFile(*again), writeRecordFile(*read));
}

TEST(RecordFileForeign, UnknownFieldsCannotUnfoldWithoutBound) {
    // Each level an array holding the level below twice: 2^40 values if
    // unfolded. The field is left out; the record still reads.
    const auto bytes = bikeWithEntry([](KeyedArchiver& ar, Ref) {
        Ref level = ar.string("leaf");
        for (int i = 0; i < 40; ++i) level = ar.array({level, level});
        return Fields{{"bomb", level}, {"kept", ar.integer(1)}};
    });
    const auto read = readRecordFile(bytes);
    EXPECT_EQ(read->childAtIndex(0)->otherFields(), (PlistDictionary{{"kept", PlistValue(std::int64_t{1})}}));
}

TEST(RecordFileForeign, HugeNamesMakeShortMessages) {
    const auto none = [](KeyedArchiver&, Ref) { return Fields{}; };
    const std::string className(20 * 1024 * 1024, 'C');
    std::string message = refusal(bikeWithEntry(none, className));
    EXPECT_LT(message.size(), 300u) << message.substr(0, 300);
    EXPECT_THAT(message, HasSubstr("“" + std::string(80, 'C') + "…” (20971520 characters)"));

    // A damaged item quoted by its name.
    const std::string partName(5 * 1024 * 1024, 'P');
    message = refusal(bikeWithEntry([](KeyedArchiver& ar, Ref) { return Fields{{"notes", ar.integer(3)}}; },
                                    "ZRBicycleList", partName));
    EXPECT_LT(message.size(), 300u) << message.substr(0, 300);
    EXPECT_THAT(message, HasSubstr("(5242880 characters)"));
}

} // namespace
} // namespace cogbook
