// Keyed archives: what the archiver writes, as another reader sees it, and
// what the unarchiver accepts and refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "foundation/keyed_archive.h"
#include "support/error_message.h"

namespace cogbook {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using Bytes = std::vector<std::uint8_t>;
using Kind = KeyedUnarchiver::Kind;

// An archive laid out by hand, for forms our archiver never writes.
Bytes handArchive(PlistArray objects, std::uint64_t root = 1, PlistValue version = 100000) {
    return writeBinaryPlist(PlistValue(PlistDictionary{
        {"$archiver", "NSKeyedArchiver"},
        {"$version", std::move(version)},
        {"$top", PlistDictionary{{"root", PlistUid{root}}}},
        {"$objects", std::move(objects)},
    }));
}

PlistValue classEntry(const std::string& name, PlistArray classes) {
    return PlistValue(PlistDictionary{{"$classname", name}, {"$classes", std::move(classes)}});
}

std::string openError(const Bytes& bytes) {
    return test_support::errorMessage<ArchiveError>([&] { KeyedUnarchiver unarchiver(bytes); }, "no error");
}

// A small record: a part with a date, a list that shares a string, a
// dictionary and a second part of the same class.
Bytes makeSample() {
    KeyedArchiver archiver;
    const auto root = archiver.reserve(), sub = archiver.reserve();
    const auto parts = archiver.array({archiver.string("a"), archiver.string("b"), archiver.string("a")});
    archiver.setObject(sub, "CBPart", {"CBPart", "NSObject"},
                       {{"price", archiver.real(19.99)}, {"worn", archiver.boolean(true)}});
    archiver.setObject(root, "CBPart", {"CBPart", "NSObject"},
                       {{"installed", archiver.date(Date(123.5))}, {"parts", parts},
                        {"info", archiver.dictionary({archiver.string("k")}, {archiver.integer(42)}, false)},
                        {"sub", sub}, {"note", KeyedArchiver::kNullRef}});
    return archiver.finish(root);
}

TEST(KeyedArchive, RoundTripsEveryKindAndCycles) {
    const Bytes sample = makeSample();
    const KeyedUnarchiver u(sample);
    const auto root = u.root(), parts = *u.field(root, "parts"), sub = *u.field(root, "sub");
    EXPECT_EQ(u.field(root, "note"), KeyedArchiver::kNullRef);
    EXPECT_EQ(u.field(root, "absent"), std::nullopt);
    EXPECT_EQ(u.date(*u.field(root, "installed")), Date(123.5));
    EXPECT_EQ(u.className(parts), "NSMutableArray");
    const auto elements = u.array(parts);
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(u.string(elements[1]), "b");
    EXPECT_EQ(elements[0], elements[2]); // equal strings are stored once
    const auto entries = u.dictionary(*u.field(root, "info"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(u.scalar(entries[0].first), PlistValue("k"));
    EXPECT_EQ(u.integer(entries[0].second), 42);
    EXPECT_EQ(u.real(*u.field(sub, "price")), 19.99);
    EXPECT_TRUE(u.boolean(*u.field(sub, "worn")));
    EXPECT_THROW(u.scalar(parts), ArchiveError); // containers are no scalars

    // An object that holds itself through a dictionary.
    KeyedArchiver archiver;
    const auto bike = archiver.reserve();
    archiver.setObject(bike, "CBBike", {"CBBike", "NSObject"},
                       {{"owners", archiver.dictionary({archiver.string("self")}, {bike})}});
    const Bytes bytes = archiver.finish(bike);
    const KeyedUnarchiver cyclic(bytes);
    const auto owners = cyclic.dictionary(*cyclic.field(cyclic.root(), "owners"));
    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners[0].second, cyclic.root());
}

TEST(KeyedArchive, AnotherReaderSeesTheStandardLayout) {
    if (std::system("python3 -c pass >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not available";
    const Bytes sample = makeSample();
    const auto path = std::filesystem::temp_directory_path() / ("cogbook_archive_" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(sample.data()), static_cast<std::streamsize>(sample.size()));
    const std::string script = "python3 - " + path.string() + R"( 2>&1 <<'END'
import plistlib, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
assert set(a) == {'$archiver', '$version', '$top', '$objects'}, a.keys()
assert a['$archiver'] == 'NSKeyedArchiver'
assert type(a['$version']) is int and a['$version'] == 100000
o = a['$objects']
assert o[0] == '$null'
root = a['$top']['root']
assert isinstance(root, plistlib.UID)
r = o[root.data]
assert list(r)[0] == '$class', list(r)
assert o[r['$class'].data] == {'$classname': 'CBPart', '$classes': ['CBPart', 'NSObject']}
names = [x['$classname'] for x in o if isinstance(x, dict) and '$classname' in x]
assert sorted(names) == ['CBPart', 'NSDate', 'NSDictionary', 'NSMutableArray'], names
assert all(isinstance(v, plistlib.UID) for v in r.values())
assert r['note'].data == 0
d = o[r['installed'].data]
assert list(d) == ['$class', 'NS.time'] and type(d['NS.time']) is float and d['NS.time'] == 123.5
assert o[d['$class'].data]['$classes'] == ['NSDate', 'NSObject']
arr = o[r['parts'].data]
assert o[arr['$class'].data]['$classes'] == ['NSMutableArray', 'NSArray', 'NSObject']
assert [o[u.data] for u in arr['NS.objects']] == ['a', 'b', 'a']
assert arr['NS.objects'][0] == arr['NS.objects'][2]
dic = o[r['info'].data]
assert o[dic['$class'].data]['$classes'] == ['NSDictionary', 'NSObject']
assert [o[u.data] for u in dic['NS.keys']] == ['k'] and o[dic['NS.objects'][0].data] == 42
sub = o[r['sub'].data]
assert sub['$class'] == r['$class'] and o[sub['price'].data] == 19.99 and o[sub['worn'].data] is True
print('ok')
END
)";
    std::string output;
    if (FILE* pipe = ::popen(script.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        ::pclose(pipe);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(output, "ok\n");
}

TEST(KeyedArchiver, RefusesIncompleteOrInconsistentGraphs) {
    KeyedArchiver archiver;
    const auto a = archiver.reserve();
    const auto b = archiver.reserve();
    archiver.setArray(a, {b});
    EXPECT_THAT([&] { archiver.finish(a); },
                ThrowsMessage<ArchiveError>(HasSubstr("object 2 was reserved but never set")));
    EXPECT_THROW(archiver.setArray(a, {}), ArchiveError);             // set twice
    EXPECT_THROW(archiver.setArray(archiver.string("s"), {}), ArchiveError); // never reserved
    EXPECT_THROW(archiver.setArray(b, {99}), ArchiveError);           // no object 99
    EXPECT_THROW(archiver.setDictionary(b, {a}, {}), ArchiveError);   // one key, no value
    EXPECT_THROW(archiver.setObject(b, "X", {"X", "NSObject"}, {{"$class", a}}), ArchiveError);
    EXPECT_THROW(archiver.setObject(b, "X", {"X", "NSObject"}, {{"f", a}, {"f", a}}), ArchiveError);
    archiver.setObject(b, "X", {"X", "NSObject"}, {{"f", a}});
    EXPECT_THROW(archiver.finish(1000), ArchiveError);
    EXPECT_NO_THROW(KeyedUnarchiver(archiver.finish(a)));
}

TEST(KeyedUnarchiver, RefusesWhatIsNotAKeyedArchive) {
    EXPECT_THAT(openError(Bytes{1, 2, 3}), HasSubstr("not a keyed archive: binary property list: file too short"));
    const std::string xml = "<?xml version=\"1.0\"?><plist><dict/></plist>";
    EXPECT_THAT(openError(Bytes(xml.begin(), xml.end())), HasSubstr("not a keyed archive: "));
    EXPECT_EQ(openError(writeBinaryPlist(PlistValue(PlistArray{}))),
              "not a keyed archive: the top object is not a dictionary");
    EXPECT_EQ(openError(writeBinaryPlist(PlistValue(PlistDictionary{
                  {"$archiver", "NSKeyedArchiver"}, {"$version", 100000}, {"$top", PlistDictionary{}}}))),
              "not a keyed archive: no $objects array");
    EXPECT_EQ(openError(writeBinaryPlist(PlistValue(PlistDictionary{
                  {"$archiver", "Other"}, {"$version", 100000}, {"$objects", PlistArray{"$null"}}}))),
              "not a keyed archive: $archiver is not NSKeyedArchiver");
    EXPECT_EQ(openError(handArchive({"$null"}, 0, "100000")), "not a keyed archive: no integer $version");
    EXPECT_EQ(openError(handArchive({"null", "x"})), "not a keyed archive: $objects does not start with \"$null\"");
    EXPECT_THAT(openError(handArchive({"$null", "x"}, 2)),
                HasSubstr("not a keyed archive: the root refers to object 2"));
    EXPECT_EQ(openError(handArchive({"$null", "x"}, 1, 7)), "no error"); // any integer version
}

TEST(KeyedUnarchiver, WrongKindsAndBadReferencesNameTheObject) {
    const Bytes bytes = handArchive({"$null",
                                     PlistDictionary{{"$class", PlistUid{2}}, {"n", 5}, {"far", PlistUid{40}}},
                                     classEntry("CBPart", {"CBPart", "NSObject"}),
                                     PlistDictionary{{"NS.objects", PlistArray{PlistUid{1}}}},
                                     PlistDictionary{{"$class", PlistUid{6}}, {"NS.objects", PlistArray{PlistUid{9}}}},
                                     PlistDictionary{{"$class", PlistUid{7}}},
                                     classEntry("NSArray", {"NSArray", "NSObject"}),
                                     PlistDictionary{{"$classes", PlistArray{"Y"}}},
                                     PlistArray{}});
    const KeyedUnarchiver u(bytes);
    const auto fails = [](auto call, const std::string& message) {
        EXPECT_THAT(call, ThrowsMessage<ArchiveError>(::testing::StrEq(message)));
    };
    fails([&] { u.string(1); }, "object 1: expected a string, found an object of class “CBPart”");
    fails([&] { u.array(1); }, "object 1: expected an array, found an object of class “CBPart”");
    fails([&] { u.integer(0); }, "object 0: expected an integer, found null");
    fails([&] { u.field(0, "n"); }, "object 0: expected an object, found null");
    fails([&] { u.kind(99); }, "object 99: out of range (the archive has 9 objects)");
    fails([&] { u.field(1, "n"); }, "object 1: field \"n\" is not a UID");
    const std::string outOf9 = ", out of range (the archive has 9 objects)";
    fails([&] { u.field(1, "far"); }, "object 1: field \"far\" refers to object 40" + outOf9);
    fails([&] { u.kind(3); }, "object 3: a dictionary without $class");
    fails([&] { u.array(4); }, "object 4: an element of NS.objects refers to object 9" + outOf9);
    fails([&] { u.kind(5); }, "object 5: its class entry (object 7) has no $classname string");
    fails([&] { u.kind(8); }, "object 8: a bare array is not an archived object");
    EXPECT_EQ(u.kind(4), Kind::Array); // after the failures, other objects still read
    EXPECT_EQ(u.className(1), "CBPart");
}

TEST(KeyedUnarchiver, AcceptsFormsOfOtherWriters) {
    const Bytes bytes = handArchive({
        "$null",
        PlistDictionary{{"$class", PlistUid{2}}, {"NS.string", "plain"}},
        classEntry("NSString", {"NSString", "NSObject"}),
        PlistDictionary{{"$class", PlistUid{4}}, {"NS.string", PlistUid{9}}},
        PlistDictionary{{"$classname", "NSMutableString"}}, // no $classes
        PlistDictionary{{"$class", PlistUid{6}}, {"NS.time", 60}},
        classEntry("CBTaggedDate", {"CBTaggedDate", "NSDate", "NSObject"}),
        PlistDictionary{{"$class", PlistUid{8}}, {"NS.objects", PlistArray{}}},
        classEntry("NSSet", {"NSSet", "NSObject"}),
        "linked",
        3,
    });
    const KeyedUnarchiver u(bytes);
    EXPECT_EQ(u.kind(1), Kind::String);
    EXPECT_EQ(u.scalar(1), PlistValue("plain"));
    EXPECT_EQ(u.className(1), "NSString");
    EXPECT_EQ(u.kind(3), Kind::String);
    EXPECT_EQ(u.string(3), "linked");
    EXPECT_EQ(u.kind(5), Kind::Date); // by its class chain
    EXPECT_EQ(u.date(5), Date(60.0));
    EXPECT_EQ(u.kind(7), Kind::Object); // sets are left to the caller
    EXPECT_DOUBLE_EQ(u.real(10), 3.0);  // a whole real stored as an integer
}

} // namespace
} // namespace cogbook
