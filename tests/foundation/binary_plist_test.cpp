// Binary property lists: the layout we write, and what the reader refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/binary_plist.h"
#include "support/error_message.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;
using Refs = std::vector<BinaryPlistWriter::Ref>;

void putBigEndian(Bytes& out, std::uint64_t value, std::size_t n) {
    for (std::size_t i = n; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Lays OBJECTS (marker and payload each, references already encoded) out as a
// file, so that tests can say exactly which bytes the reader gets.
Bytes rawPlist(const std::vector<Bytes>& objects) {
    Bytes out = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(out.size());
        out.insert(out.end(), object.begin(), object.end());
    }
    const std::uint64_t table = out.size();
    const std::uint8_t offsetSize = table > 0xFF ? 8 : 1;
    for (const auto offset : offsets) putBigEndian(out, offset, offsetSize);
    out.insert(out.end(), 6, 0); // five unused bytes and the sort version
    out.push_back(offsetSize);
    out.push_back(1); // reference size
    putBigEndian(out, objects.size(), 8);
    putBigEndian(out, 0, 8); // top object
    putBigEndian(out, table, 8);
    return out;
}

// Trailer fields, counted back from the end of the file.
enum TrailerField : std::size_t { kOffsetSize = 26, kRefSize = 25, kNumObjects = 24, kTop = 16, kTableOffset = 8 };

void patchTrailer(Bytes& bytes, TrailerField field, std::uint64_t value) {
    const std::size_t width = field == kOffsetSize || field == kRefSize ? 1 : 8;
    for (std::size_t i = 0; i < width; ++i)
        bytes[bytes.size() - field + i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

std::string errorOf(const Bytes& bytes) {
    return test_support::errorMessage<PlistError>(
        [&] { const BinaryPlistReader reader(bytes); reader.toValue(reader.topObject()); }, "no error");
}

PlistValue roundTrip(const PlistValue& value) { return readBinaryPlist(writeBinaryPlist(value)); }

TEST(BinaryPlistRoundTrip, EveryTypeAndTheExactBytesOfASmallArray) {
    const PlistValue value(PlistArray{
        PlistValue(), true, false, 0, 255, 256, 65535, 65536, std::int64_t{4294967295}, std::int64_t{4294967296},
        -1, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), 0.1, -2.5e300,
        Date(-123456.5), PlistData{}, PlistData(300, 0xAB), "", "chain ring", std::string(40, 'x'),
        "Dérailleur 🚲", PlistUid{0}, PlistUid{0x1234567890},
        PlistDictionary{{"name", "Brompton"}, {"empty", PlistArray{}}}, PlistArray(20, PlistValue("spoke"))});
    EXPECT_EQ(roundTrip(value), value);

    EXPECT_EQ(writeBinaryPlist(PlistValue(PlistArray{1, "a"})),
              (Bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0',
                     0x10, 0x01, 0x51, 'a', 0xA2, 0x00, 0x01, // at 8, 10, 12: integer 1, "a", array of both
                     0x08, 0x0A, 0x0C,                        // offset table at 15
                     0, 0, 0, 0, 0, 0, 1, 1,                  // unused, sort version, offset and ref sizes
                     0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 15})); // count, top, table
}

TEST(BinaryPlistWriter, UsesTheSmallestFormsAndSharesEqualStrings) {
    // Only the 8-byte integer form is signed.
    for (const auto& [value, marker] : std::vector<std::pair<std::int64_t, int>>{
             {255, 0x10}, {256, 0x11}, {65535, 0x11}, {65536, 0x12}, {std::int64_t{1} << 32, 0x13}, {-1, 0x13}})
        EXPECT_EQ(writeBinaryPlist(PlistValue(value))[8], marker) << value;
    // Non-ASCII text is UTF-16 counted in units: a surrogate pair counts 2.
    const Bytes pair = writeBinaryPlist(PlistValue("é🚲"));
    EXPECT_EQ(Bytes(pair.begin() + 8, pair.begin() + 15), (Bytes{0x63, 0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0xB2}));
    // A count of 15 or more follows the marker as an integer object.
    const Bytes longer = writeBinaryPlist(PlistValue(std::string(15, 'a')));
    EXPECT_EQ(Bytes(longer.begin() + 8, longer.begin() + 11), (Bytes{0x5F, 0x10, 0x0F}));
    // Invalid UTF-8 is written as U+FFFD rather than refused.
    EXPECT_EQ(roundTrip(PlistValue("a\xC3")).string(), "a\xEF\xBF\xBD");
    EXPECT_EQ(roundTrip(PlistValue("\xED\xA0\x80")).string(), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");

    BinaryPlistWriter writer;
    writer.add(PlistValue(PlistArray{"x", "x", PlistDictionary{{"x", "x"}}}));
    EXPECT_EQ(writer.objectCount(), 3u); // "x", the dictionary, the array
    const Bytes wide = writeBinaryPlist(PlistValue(PlistArray(300, PlistValue(PlistArray{}))));
    EXPECT_EQ(wide[wide.size() - kRefSize], 2); // 301 objects need two-byte references
    EXPECT_EQ(wide[wide.size() - kOffsetSize], 2);
    EXPECT_EQ(readBinaryPlist(wide).array().size(), 300u);
}

TEST(BinaryPlistWriter, PlaceholdersMakeCyclesAndCopiesAreIndependent) {
    BinaryPlistWriter writer;
    const auto outer = writer.reserve();
    const auto inner = writer.addArray({outer});
    EXPECT_THROW(writer.finish(outer), PlistError);
    writer.setArray(outer, {inner, writer.addString("tyre")});
    EXPECT_THROW(writer.setArray(outer, {}), PlistError); // set once only
    EXPECT_THROW(writer.setArray(inner, {}), PlistError); // not a placeholder
    const Bytes bytes = writer.finish(outer);
    const BinaryPlistReader reader(bytes);
    EXPECT_EQ(reader.arrayRefs(reader.arrayRefs(outer)[0]), Refs{outer});
    EXPECT_THAT(errorOf(bytes), HasSubstr("contains itself"));
    BinaryPlistWriter dangling;
    EXPECT_THROW(dangling.finish(dangling.addArray({7})), PlistError);
    EXPECT_THROW(dangling.finish(5), PlistError);

    BinaryPlistWriter original;
    const auto shared = original.addString("hub");
    BinaryPlistWriter copy = original;
    const auto top = original.addArray({shared, original.addInteger(1)});
    const auto copyTop = copy.addArray({shared, copy.addString(std::string(100, 's'))});
    EXPECT_EQ(readBinaryPlist(original.finish(top)), PlistValue(PlistArray{"hub", 1}));
    EXPECT_EQ(readBinaryPlist(copy.finish(copyTop)), PlistValue(PlistArray{"hub", std::string(100, 's')}));
}

TEST(BinaryPlistReader, RandomAccessWithoutMaterialising) {
    const Bytes bytes = writeBinaryPlist(PlistValue(PlistDictionary{{"gear", 11}, {"name", "Front"}}));
    const BinaryPlistReader reader(bytes);
    const auto entries = reader.dictionaryRefs(reader.topObject());
    ASSERT_EQ(entries.size(), 2u);
    const auto gear = entries[0].second;
    EXPECT_TRUE(reader.stringEquals(entries[0].first, "gear"));
    // A prefix, an integer, and an object out of range are never equal.
    EXPECT_FALSE(reader.stringEquals(entries[0].first, "gea") || reader.stringEquals(gear, "11") ||
                 reader.stringEquals(999, "gear"));
    EXPECT_EQ(reader.integer(gear), 11);
    EXPECT_EQ(reader.string(entries[1].second), "Front");
    EXPECT_THAT([&] { reader.string(gear); },
                ::testing::ThrowsMessage<PlistError>(HasSubstr("expected a string, found an integer")));
    EXPECT_THROW(reader.real(gear), PlistError); // integers are not converted
    EXPECT_THROW(reader.kind(reader.objectCount()), PlistError);
}

TEST(BinaryPlistReader, ReadsFormsOnlyOtherWritersUse) {
    // 16-byte integers that fit, 4-byte reals, sets, "bplist01".
    Bytes bytes = rawPlist({{0xC3, 1, 2, 3},
                            {0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                             0xFF, 0xFE},
                            {0x22, 0x3F, 0xC0, 0x00, 0x00},
                            {0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}});
    bytes[7] = '1';
    EXPECT_EQ(readBinaryPlist(bytes), PlistValue(PlistArray{-2, 1.5, 7}));

    // UTF-16 with lone surrogates, and bytes past 0x7F in the ASCII form,
    // come back as valid UTF-8.
    const auto utf16 = [](Bytes units) {
        units.insert(units.begin(), static_cast<std::uint8_t>(0x60 | (units.size() / 2)));
        return readBinaryPlist(rawPlist({units})).string();
    };
    EXPECT_EQ(utf16({0xD8, 0x3D, 0xDE, 0xB2}), "🚲");
    EXPECT_EQ(utf16({0x00, 0x41, 0xD8, 0x3D}), "A\xEF\xBF\xBD");       // high surrogate at the end
    EXPECT_EQ(utf16({0xDE, 0xB2, 0x00, 0x42}), "\xEF\xBF\xBD" "B");    // low surrogate first
    EXPECT_EQ(utf16({0xD8, 0x3D, 0x00, 0x43}), "\xEF\xBF\xBD" "C");    // high surrogate, no low one
    EXPECT_EQ(readBinaryPlist(rawPlist({{0x52, 'a', 0xE9}})).string(), "a\xEF\xBF\xBD");
}

TEST(BinaryPlistReader, RefusesBadHeadersTrailersAndObjects) {
    const Bytes good = writeBinaryPlist(PlistValue(PlistArray{1, 2}));
    ASSERT_EQ(errorOf(good), "no error");
    const auto broken = [&](auto change) {
        Bytes bytes = good;
        change(bytes);
        return errorOf(bytes);
    };
    EXPECT_THAT(broken([](Bytes& b) { b[0] = 'x'; }), HasSubstr("bad header"));
    EXPECT_THAT(broken([](Bytes& b) { b[6] = '1'; }), HasSubstr("bad header"));
    const std::vector<std::tuple<TrailerField, std::uint64_t, const char*>> trailers = {
        {kOffsetSize, 0, "offset size 0"}, {kOffsetSize, 9, "offset size 9"}, {kRefSize, 0, "reference size 0"},
        {kNumObjects, 0, "no objects"}, {kNumObjects, 4, "does not fit"},
        {kNumObjects, ~std::uint64_t{0} / 2, "more than the limit"}, {kTop, 3, "top object 3 out of range"},
        {kTableOffset, 1u << 30, "outside the file"}, {kTableOffset, 4, "outside the file"}};
    for (const auto& [field, value, message] : trailers) {
        const TrailerField f = field;  // clang 14 cannot capture structured bindings in a lambda
        const std::uint64_t v = value;
        EXPECT_THAT(broken([&](Bytes& b) { patchTrailer(b, f, v); }), HasSubstr(message)) << message;
    }
    // An offset into the header, and one into the offset table itself.
    EXPECT_THAT(broken([](Bytes& b) { b[b.size() - 35] = 3; }), HasSubstr("outside the object area"));
    EXPECT_THAT(broken([](Bytes& b) { b[b.size() - 33] = 0x10; }), HasSubstr("outside the object area"));

    const std::vector<std::pair<std::vector<Bytes>, const char*>> objects = {
        {{{0x0F}}, "fill byte"},
        {{{0x70}}, "unknown marker 0x70"},
        {{{0x15, 0}}, "unsupported size"},
        {{{0x88, 0}}, "UID of unsupported size"},
        {{{0x13, 0, 0}}, "truncated"},
        // 16-byte integers whose high half is more than the sign of the low one.
        {{{0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}}, "does not fit in 64 bits"},
        {{{0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}}, "does not fit in 64 bits"},
        {{{0xA1, 5}}, "refers to object 5, out of range"},
        {{{0xD1, 1, 1}, {0x10, 1}}, "not a string"}, // keys must be strings, and occur once
        {{{0xD2, 1, 1, 2, 2}, {0x51, 'k'}, {0x10, 1}}, "duplicate dictionary key “k”"},
        // Counts of 2^62 elements in files of a few dozen bytes, refused before allocating.
        {{{0xAF, 0x13, 0xFF, 0, 0, 0, 0, 0, 0, 0}}, "negative count"},
        {{{0xAF, 0x23, 0, 0, 0, 0, 0, 0, 0, 0}}, "bad count marker"},
    };
    for (const auto& [objectBytes, message] : objects)
        EXPECT_THAT(errorOf(rawPlist(objectBytes)), HasSubstr(message)) << message;
    for (const std::uint8_t marker : {0x4F, 0x5F, 0x6F, 0xAF, 0xCF, 0xDF})
        EXPECT_THAT(errorOf(rawPlist({{marker, 0x13, 0x40, 0, 0, 0, 0, 0, 0, 0}})),
                    HasSubstr("runs past the object area"))
            << int(marker);
}

TEST(BinaryPlistReader, EveryTruncationAndCorruptByteIsRefusedCleanly) {
    const Bytes bytes = writeBinaryPlist(PlistValue(PlistDictionary{
        {"parts", PlistArray{"chain", "ßprocket", 1.5, Date(3.0), PlistData{1, 2}}}, {"n", -7}, {"m", 1234567}}));
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(readBinaryPlist(prefix), PlistError) << "prefix of " << length << " bytes";
    }
    // Any other exception, or a crash under the sanitizers, is a fault.
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (const std::uint8_t value : {0x00, 0x0F, 0x7F, 0xFF}) {
            Bytes corrupt = bytes;
            corrupt[at] = value;
            try {
                readBinaryPlist(corrupt);
            } catch (const PlistError&) {
            } catch (const std::exception& e) {
                ADD_FAILURE() << "byte " << at << " = " << int(value) << ": " << e.what();
            }
        }
    }
}

TEST(BinaryPlistReader, SharedReferencesCannotExpandWithoutBound) {
    // Eleven arrays, each of ten references to the next: 10^10 values from a
    // file of about 150 bytes.
    BinaryPlistWriter writer;
    auto ref = writer.addString("lol");
    for (int level = 0; level < 11; ++level) ref = writer.addArray(Refs(10, ref));
    const Bytes bytes = writer.finish(ref);
    EXPECT_LT(bytes.size(), 200u);
    EXPECT_THAT(errorOf(bytes), HasSubstr("expands to more than"));

    // Long data counts by its length, so sharing it is bounded too.
    BinaryPlistWriter data;
    const auto array = data.addArray(Refs(10, data.addData(PlistData(1600, 0))));
    const Bytes dataBytes = data.finish(array);
    BinaryPlistReader::Limits limits;
    limits.maxValues = 500; // far more than the 11 values, far less than the bytes
    EXPECT_THROW(BinaryPlistReader(dataBytes, limits).toValue(array), PlistError);
    limits.maxValues = 5000;
    EXPECT_EQ(BinaryPlistReader(dataBytes, limits).toValue(array).array().size(), 10u);
}

TEST(BinaryPlist, DepthIsLimitedWithoutRecursingOnTheInput) {
    const auto nested = [](int levels) {
        BinaryPlistWriter writer;
        auto ref = writer.addInteger(1);
        for (int i = 0; i < levels; ++i) ref = writer.addArray({ref});
        return writer.finish(ref);
    };
    EXPECT_THAT(errorOf(nested(100000)), HasSubstr("nested deeper than 512"));
    EXPECT_THAT(errorOf(nested(513)), HasSubstr("nested deeper than 512"));
    EXPECT_EQ(errorOf(nested(512)), "no error");

    // A deep chain reached again through a shallow path is still too deep.
    BinaryPlistWriter writer;
    auto deep = writer.addInteger(1);
    for (int i = 0; i < 500; ++i) deep = writer.addArray({deep});
    auto wrapper = writer.addArray({deep});
    for (int i = 0; i < 20; ++i) wrapper = writer.addArray({wrapper});
    EXPECT_THAT(errorOf(writer.finish(writer.addArray({deep, wrapper}))), HasSubstr("nested deeper"));

    // The writer refuses what the reader would.
    PlistValue value("leaf");
    for (int i = 0; i < 600; ++i) {
        PlistArray level(1);
        level[0] = std::move(value);
        value = std::move(level);
    }
    EXPECT_THROW(writeBinaryPlist(value), PlistError);
}

} // namespace
} // namespace cogbook
