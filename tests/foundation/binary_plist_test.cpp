// Binary property lists: the layout we write, and what the reader refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "foundation/binary_plist.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, std::uint64_t value, std::size_t n) {
    for (std::size_t i = n; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Lays OBJECTS (marker and payload each, references already encoded) out as a
// file, so that tests can say exactly which bytes the reader gets.
Bytes rawPlist(const std::vector<Bytes>& objects, std::uint8_t refSize = 1, std::uint64_t top = 0) {
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
    out.push_back(refSize);
    putBigEndian(out, objects.size(), 8);
    putBigEndian(out, top, 8);
    putBigEndian(out, table, 8);
    return out;
}

// Trailer fields, counted back from the end of the file.
enum TrailerField : std::size_t { kOffsetSize = 26, kRefSize = 25, kNumObjects = 24, kTop = 16, kTableOffset = 8 };

void patchTrailer(Bytes& bytes, TrailerField field, std::uint64_t value) {
    const std::size_t at = bytes.size() - field;
    if (field == kOffsetSize || field == kRefSize) {
        bytes[at] = static_cast<std::uint8_t>(value);
        return;
    }
    for (std::size_t i = 0; i < 8; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (7 - i)));
}

std::string errorOf(const Bytes& bytes) {
    try {
        const BinaryPlistReader reader(bytes);
        reader.toValue(reader.topObject());
    } catch (const PlistError& e) {
        return e.what();
    }
    return "no error";
}

PlistValue roundTrip(const PlistValue& value) {
    const Bytes bytes = writeBinaryPlist(value);
    return readBinaryPlist(bytes);
}

TEST(BinaryPlistRoundTrip, EveryType) {
    PlistDictionary inner = {{"name", "Brompton"}, {"empty", PlistArray{}}};
    const PlistValue value(PlistArray{
        PlistValue(), true, false, 0, 255, 256, 65535, 65536, std::int64_t{4294967295}, std::int64_t{4294967296},
        -1, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), 0.1, -2.5e300,
        Date(-123456.5), PlistData{}, PlistData(300, 0xAB), "", "chain ring", std::string(40, 'x'),
        "Dérailleur 🚲", PlistUid{0}, PlistUid{0x1234567890}, PlistValue(std::move(inner)),
        PlistValue(PlistArray(20, PlistValue("spoke")))});
    EXPECT_EQ(roundTrip(value), value);
}

TEST(BinaryPlistRoundTrip, ExactBytesOfASmallArray) {
    const Bytes bytes = writeBinaryPlist(PlistValue(PlistArray{1, "a"}));
    const Bytes expected = {
        'b', 'p', 'l', 'i', 's', 't', '0', '0',
        0x10, 0x01,       // object 0 at 8: integer 1
        0x51, 'a',        // object 1 at 10: ASCII string
        0xA2, 0x00, 0x01, // object 2 at 12: array of objects 0 and 1
        0x08, 0x0A, 0x0C, // offset table at 15
        0, 0, 0, 0, 0, 0, // unused, sort version
        1, 1,             // offset size, reference size
        0, 0, 0, 0, 0, 0, 0, 3,  // objects
        0, 0, 0, 0, 0, 0, 0, 2,  // top
        0, 0, 0, 0, 0, 0, 0, 15, // offset table offset
    };
    EXPECT_EQ(bytes, expected);
}

TEST(BinaryPlistWriter, IntegersTakeTheSmallestForm) {
    const auto markerOf = [](std::int64_t v) { return writeBinaryPlist(PlistValue(v))[8]; };
    EXPECT_EQ(markerOf(255), 0x10);
    EXPECT_EQ(markerOf(256), 0x11);
    EXPECT_EQ(markerOf(65536), 0x12);
    EXPECT_EQ(markerOf(std::int64_t{1} << 32), 0x13);
    EXPECT_EQ(markerOf(-1), 0x13); // only the 8-byte form is signed
}

TEST(BinaryPlistWriter, StringFormsAndCounts) {
    // Non-ASCII text is UTF-16 counted in units: a surrogate pair counts 2.
    const Bytes pair = writeBinaryPlist(PlistValue("é🚲"));
    EXPECT_EQ(Bytes(pair.begin() + 8, pair.begin() + 15), (Bytes{0x63, 0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0xB2}));
    // A count of 15 or more follows the marker as an integer object.
    const Bytes longer = writeBinaryPlist(PlistValue(std::string(15, 'a')));
    EXPECT_EQ(Bytes(longer.begin() + 8, longer.begin() + 11), (Bytes{0x5F, 0x10, 0x0F}));
    // Invalid UTF-8 is written as U+FFFD rather than refused.
    EXPECT_EQ(roundTrip(PlistValue("a\xC3")).string(), "a\xEF\xBF\xBD");
    EXPECT_EQ(roundTrip(PlistValue("\xED\xA0\x80")).string(), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(BinaryPlistWriter, SharesEqualStringsAndWidensReferences) {
    BinaryPlistWriter writer;
    writer.add(PlistValue(PlistArray{"x", "x", PlistDictionary{{"x", "x"}}}));
    EXPECT_EQ(writer.objectCount(), 3u); // "x", the dictionary, the array

    const Bytes wide = writeBinaryPlist(PlistValue(PlistArray(300, PlistValue(PlistArray{}))));
    EXPECT_EQ(wide[wide.size() - kRefSize], 2); // 301 objects need two-byte references
    EXPECT_EQ(wide[wide.size() - kOffsetSize], 2);
    EXPECT_EQ(readBinaryPlist(wide).array().size(), 300u);
}

TEST(BinaryPlistWriter, PlaceholdersMakeCyclesAndMustBeSet) {
    BinaryPlistWriter writer;
    const auto outer = writer.reserve();
    const auto inner = writer.addArray({outer});
    EXPECT_THROW(writer.finish(outer), PlistError);
    writer.setArray(outer, {inner, writer.addString("tyre")});
    EXPECT_THROW(writer.setArray(outer, {}), PlistError); // set once only
    EXPECT_THROW(writer.setArray(inner, {}), PlistError); // not a placeholder
    const Bytes bytes = writer.finish(outer);
    const BinaryPlistReader reader(bytes);
    EXPECT_EQ(reader.arrayRefs(reader.arrayRefs(outer)[0]), std::vector<BinaryPlistReader::Ref>{outer});
    EXPECT_THAT(errorOf(bytes), HasSubstr("contains itself"));

    BinaryPlistWriter dangling;
    const auto array = dangling.addArray({7});
    EXPECT_THROW(dangling.finish(array), PlistError);
    EXPECT_THROW(dangling.finish(5), PlistError);
}

TEST(BinaryPlistWriter, CopiesAreIndependent) {
    BinaryPlistWriter original;
    const auto shared = original.addString("hub");
    BinaryPlistWriter copy = original;
    const auto top = original.addArray({shared, original.addInteger(1)});
    const auto copyTop = copy.addArray({shared, copy.addString(std::string(100, 's'))});
    EXPECT_EQ(readBinaryPlist(original.finish(top)), PlistValue(PlistArray{"hub", 1}));
    EXPECT_EQ(readBinaryPlist(copy.finish(copyTop)), PlistValue(PlistArray{"hub", std::string(100, 's')}));
}

TEST(BinaryPlistWriter, RefusesValuesNestedDeeperThanTheReaderReads) {
    PlistValue value("leaf");
    for (int i = 0; i < 600; ++i) {
        PlistArray wrapper;
        wrapper.push_back(std::move(value));
        value = PlistValue(std::move(wrapper));
    }
    EXPECT_THROW(writeBinaryPlist(value), PlistError);
}

TEST(BinaryPlistReader, RandomAccessWithoutMaterialising) {
    const Bytes bytes = writeBinaryPlist(PlistValue(PlistDictionary{{"gear", 11}, {"name", "Front"}}));
    const BinaryPlistReader reader(bytes);
    const auto entries = reader.dictionaryRefs(reader.topObject());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(reader.stringEquals(entries[0].first, "gear"));
    EXPECT_FALSE(reader.stringEquals(entries[0].first, "gea"));
    EXPECT_FALSE(reader.stringEquals(entries[0].second, "11")); // an integer, never equal
    EXPECT_FALSE(reader.stringEquals(999, "gear"));
    EXPECT_EQ(reader.kind(entries[0].second), BinaryPlistReader::Kind::Integer);
    EXPECT_EQ(reader.integer(entries[0].second), 11);
    EXPECT_EQ(reader.string(entries[1].second), "Front");
    EXPECT_THAT([&] { reader.string(entries[0].second); },
                ::testing::ThrowsMessage<PlistError>(HasSubstr("expected a string, found an integer")));
    EXPECT_THROW(reader.real(entries[0].second), PlistError); // integers are not converted
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

    const Bytes tooWide = rawPlist({{0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}});
    EXPECT_THAT(errorOf(tooWide), HasSubstr("does not fit in 64 bits"));
    const Bytes unsignedHuge = rawPlist({{0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}});
    EXPECT_THAT(errorOf(unsignedHuge), HasSubstr("does not fit in 64 bits"));
}

TEST(BinaryPlistReader, Utf16StringsAndLoneSurrogates) {
    const auto read = [](Bytes units) {
        Bytes object = {static_cast<std::uint8_t>(0x60 | (units.size() / 2))};
        object.insert(object.end(), units.begin(), units.end());
        return readBinaryPlist(rawPlist({object})).string();
    };
    EXPECT_EQ(read({0xD8, 0x3D, 0xDE, 0xB2}), "🚲");
    EXPECT_EQ(read({0x00, 0x41, 0xD8, 0x3D}), "A\xEF\xBF\xBD");       // high surrogate at the end
    EXPECT_EQ(read({0xDE, 0xB2, 0x00, 0x42}), "\xEF\xBF\xBD" "B");    // low surrogate first
    EXPECT_EQ(read({0xD8, 0x3D, 0x00, 0x43}), "\xEF\xBF\xBD" "C");    // high surrogate, no low one
    // Bytes past 0x7F in the ASCII form come back as valid UTF-8.
    EXPECT_EQ(readBinaryPlist(rawPlist({{0x52, 'a', 0xE9}})).string(), "a\xEF\xBF\xBD");
}

TEST(BinaryPlistReader, RefusesBadHeadersAndTrailers) {
    const Bytes good = writeBinaryPlist(PlistValue(PlistArray{1, 2}));
    ASSERT_EQ(errorOf(good), "no error");
    const auto broken = [&](auto change) {
        Bytes bytes = good;
        change(bytes);
        return errorOf(bytes);
    };
    EXPECT_THAT(broken([](Bytes& b) { b[0] = 'x'; }), HasSubstr("bad header"));
    EXPECT_THAT(broken([](Bytes& b) { b[6] = '1'; }), HasSubstr("bad header"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kOffsetSize, 0); }), HasSubstr("offset size 0"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kOffsetSize, 9); }), HasSubstr("offset size 9"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kRefSize, 0); }), HasSubstr("reference size 0"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kNumObjects, 0); }), HasSubstr("no objects"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kNumObjects, 4); }), HasSubstr("does not fit"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kNumObjects, ~std::uint64_t{0} / 2); }),
                HasSubstr("more than the limit"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kTop, 3); }), HasSubstr("top object 3 out of range"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kTableOffset, 1u << 30); }), HasSubstr("outside the file"));
    EXPECT_THAT(broken([](Bytes& b) { patchTrailer(b, kTableOffset, 4); }), HasSubstr("outside the file"));
    // An offset into the header, and one into the offset table itself.
    EXPECT_THAT(broken([](Bytes& b) { b[b.size() - 35] = 3; }), HasSubstr("outside the object area"));
    EXPECT_THAT(broken([](Bytes& b) { b[b.size() - 33] = 0x10; }), HasSubstr("outside the object area"));
}

TEST(BinaryPlistReader, RefusesBadObjects) {
    EXPECT_THAT(errorOf(rawPlist({{0x0F}})), HasSubstr("fill byte"));
    EXPECT_THAT(errorOf(rawPlist({{0x70}})), HasSubstr("unknown marker 0x70"));
    EXPECT_THAT(errorOf(rawPlist({{0x15, 0}})), HasSubstr("unsupported size"));
    EXPECT_THAT(errorOf(rawPlist({{0x88, 0}})), HasSubstr("UID of unsupported size"));
    EXPECT_THAT(errorOf(rawPlist({{0x13, 0, 0}})), HasSubstr("truncated"));
    EXPECT_THAT(errorOf(rawPlist({{0xA1, 5}})), HasSubstr("refers to object 5, out of range"));
    // Keys must be strings, and a key may occur once.
    EXPECT_THAT(errorOf(rawPlist({{0xD1, 1, 1}, {0x10, 1}})), HasSubstr("not a string"));
    EXPECT_THAT(errorOf(rawPlist({{0xD2, 1, 1, 2, 2}, {0x51, 'k'}, {0x10, 1}})),
                HasSubstr("duplicate dictionary key \"k\""));
}

TEST(BinaryPlistReader, RefusesAbsurdCountsBeforeAllocating) {
    // Counts of 2^62 elements in files of a few dozen bytes.
    const Bytes count = {0x13, 0x40, 0, 0, 0, 0, 0, 0, 0};
    for (const std::uint8_t marker : {0x4F, 0x5F, 0x6F, 0xAF, 0xCF, 0xDF}) {
        Bytes object = {marker};
        object.insert(object.end(), count.begin(), count.end());
        EXPECT_THAT(errorOf(rawPlist({object})), HasSubstr("runs past the object area")) << int(marker);
    }
    EXPECT_THAT(errorOf(rawPlist({{0xAF, 0x13, 0xFF, 0, 0, 0, 0, 0, 0, 0}})), HasSubstr("negative count"));
    EXPECT_THAT(errorOf(rawPlist({{0xAF, 0x23, 0, 0, 0, 0, 0, 0, 0, 0}})), HasSubstr("bad count marker"));
}

TEST(BinaryPlistReader, EveryTruncationIsRefused) {
    const Bytes bytes = writeBinaryPlist(PlistValue(
        PlistDictionary{{"parts", PlistArray{"chain", 1.5, Date(3.0), PlistData{1, 2}}}, {"n", 1234567}}));
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(readBinaryPlist(prefix), PlistError) << "prefix of " << length << " bytes";
    }
}

TEST(BinaryPlistReader, EveryCorruptByteReadsOrThrowsPlistError) {
    const Bytes bytes = writeBinaryPlist(PlistValue(
        PlistDictionary{{"parts", PlistArray{"chain", "ßprocket", 1.5, PlistData{1, 2}}}, {"n", -7}}));
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
    for (int level = 0; level < 11; ++level) ref = writer.addArray(std::vector<BinaryPlistWriter::Ref>(10, ref));
    const Bytes bytes = writer.finish(ref);
    EXPECT_LT(bytes.size(), 200u);
    EXPECT_THAT(errorOf(bytes), HasSubstr("expands to more than"));

    // Long data counts by its length, so sharing it is bounded too.
    BinaryPlistWriter data;
    const auto blob = data.addData(PlistData(1600, 0));
    const auto array = data.addArray(std::vector<BinaryPlistWriter::Ref>(10, blob));
    const Bytes dataBytes = data.finish(array);
    BinaryPlistReader::Limits limits;
    limits.maxValues = 500; // far more than the 11 values, far less than the bytes
    EXPECT_THROW(BinaryPlistReader(dataBytes, limits).toValue(array), PlistError);
    limits.maxValues = 5000;
    EXPECT_EQ(BinaryPlistReader(dataBytes, limits).toValue(array).array().size(), 10u);
}

TEST(BinaryPlistReader, DepthIsLimitedWithoutRecursingOnTheInput) {
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
    const auto top = writer.addArray({deep, wrapper});
    EXPECT_THAT(errorOf(writer.finish(top)), HasSubstr("nested deeper"));
}

} // namespace
} // namespace cogbook
