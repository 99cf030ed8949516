// Generates the shipped resources from one description of a bike's parts:
//   make_sample OUT              the sample record: two years of service entries
//   make_sample --template OUT   the default template (parts only, XML)
// Everything is fixed here, creation dates and dates included, so that the
// output is the same bytes on every run and the committed files can be
// checked against it.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/date.h"
#include "foundation/xml_plist.h"
#include "model/ZRBicycleList.h"
#include "model/record_file.h"

namespace {

using cogbook::Date;
using cogbook::ZRBicycleList;
using cogbook::ZRBicycleListPtr;

struct PartOutline {
    std::string_view name;
    std::vector<std::string_view> subparts;
};

// A modern road or gravel bike, in the order a mechanic works down it.
const std::vector<PartOutline>& partOutlines() {
    static const std::vector<PartOutline> parts = {
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
    return parts;
}

// Creation dates take the model's own form, decimal seconds since 2001; these
// steps are exact binary fractions so that the text is the same everywhere.
std::string creationDateAt(double seconds) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", seconds);
    return buffer;
}

// When the template was laid out: 2024-11-01 08:00:00 UTC.
constexpr double kTemplateMoment = 752112000.0 + 8 * 3600;

Date dateFrom(std::string_view iso) {
    const auto date = Date::fromISO8601(iso);
    if (!date) throw std::logic_error("bad date in the sample table: " + std::string(iso));
    return *date;
}

ZRBicycleListPtr newPart(std::string_view name, int serial) {
    auto part = ZRBicycleList::create();
    part->setCreationDate(creationDateAt(kTemplateMoment + serial * 0.0078125));
    part->setPartName(name);
    part->setExpandable(true);
    part->setDate(Date(kTemplateMoment));
    return part;
}

ZRBicycleListPtr buildParts() {
    int serial = 0;
    auto bike = newPart("Bike", serial++);
    for (const auto& row : partOutlines()) {
        auto part = newPart(row.name, serial++);
        for (auto subname : row.subparts) part->addChildPartOrEntry(newPart(subname, serial++));
        bike->addChildPartOrEntry(part);
    }
    return bike;
}

struct ServiceRecord {
    std::string_view path; // part names from the bike down, "/" between; empty for the bike
    std::string_view when; // UTC
    std::string_view description;
    std::string_view notes;
};

// Two years of a rider who looks after the bike: chain care every few weeks,
// sealant every quarter, wear parts as they go, a service each spring.
const std::vector<ServiceRecord>& serviceRecords() {
    static const std::vector<ServiceRecord> entries = {
        {"", "2024-11-02T10:00:00Z", "Bought second-hand; first check-over",
         "Previous owner rode about 4,000 km.\nChain at 0.5 % stretch, pads half worn.\n"
         "Frame straight, no cracks found."},
        {"Drivetrain/Chain", "2024-11-02T11:30:00Z", "Degreased and waxed", ""},
        {"Front wheel/Tyre", "2024-11-03T15:00:00Z", "Topped up tubeless sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2024-11-03T15:20:00Z", "Topped up tubeless sealant (30 ml)", ""},
        {"Drivetrain/Chain", "2024-11-16T17:45:00Z", "Re-waxed after a wet ride", ""},
        {"Brakes/Rear brake", "2024-11-23T10:15:00Z", "Replaced pads (resin)",
         "Old pads down to 1 mm of compound."},
        {"Brakes/Front brake", "2024-11-23T10:40:00Z", "Replaced pads (resin)", ""},
        {"Drivetrain", "2024-12-07T14:00:00Z", "Replaced rear gear cable and outer",
         "Inner cable frayed inside the shifter.\nNew 4 mm outer, ferrules at both ends."},
        {"Drivetrain/Rear derailleur", "2024-12-07T14:45:00Z", "Indexed gears, set B-tension", ""},
        {"Drivetrain/Chain", "2024-12-14T16:00:00Z", "Cleaned and lubed (wet lube for winter)", ""},
        {"Drivetrain/Chain", "2025-01-04T11:00:00Z", "Cleaned and lubed", ""},
        {"Headset", "2025-01-11T13:30:00Z", "Cleaned and regreased bearings",
         "Lower bearing slightly rough but usable.\nCheck again in spring."},
        {"Front wheel/Tyre", "2025-01-25T09:10:00Z", "Puncture: plugged and reinflated",
         "Flint cut, about 3 mm. Plug held at 45 psi."},
        {"Drivetrain/Chain", "2025-02-01T15:30:00Z", "Cleaned and lubed", ""},
        {"Cockpit/Bar tape", "2025-02-15T14:00:00Z", "Replaced bar tape (black cork)", ""},
        {"Rear wheel/Hub", "2025-02-22T10:30:00Z", "Serviced freehub: cleaned pawls, light oil", ""},
        {"Drivetrain/Chain", "2025-03-01T10:00:00Z", "Worn to 0.5 %; replaced chain (11-speed)",
         "New chain cut from 116 to 112 links.\nQuick link, not a pin."},
        {"Drivetrain/Cassette", "2025-03-01T10:40:00Z", "Checked with the new chain: no skipping", ""},
        {"Front wheel/Tyre", "2025-03-08T16:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2025-03-08T16:15:00Z", "Topped up sealant (30 ml)", ""},
        {"", "2025-03-22T09:00:00Z", "Spring service",
         "Washed and inspected everything.\nAll bolts to torque.\nCables lubed at the guides.\n"
         "Brake rotors cleaned with alcohol."},
        {"Front wheel/Spokes", "2025-03-22T11:30:00Z", "Trued wheel, retensioned two spokes", ""},
        {"Drivetrain/Chain", "2025-04-05T12:00:00Z", "Cleaned, switched to dry lube", ""},
        {"Saddle", "2025-04-12T18:00:00Z", "Raised saddle 3 mm", "Knee niggle on long rides."},
        {"Brakes/Front brake", "2025-04-19T10:00:00Z", "Bled brake (mineral oil)",
         "Lever came back to the bar under hard braking."},
        {"Front wheel/Tyre", "2025-04-26T15:00:00Z", "Replaced front tyre (700x35 tubeless)",
         "Old tyre: about 5,500 km, cut in the tread.\nSeated with a booster, 45 ml sealant."},
        {"Drivetrain/Chain", "2025-05-03T11:15:00Z", "Cleaned and lubed", ""},
        {"Pedals", "2025-05-17T14:30:00Z", "Serviced pedal bearings", ""},
        {"Drivetrain/Front derailleur", "2025-05-24T17:00:00Z",
         "Adjusted limit screws (rubbing on big ring)", ""},
        {"Drivetrain/Chain", "2025-06-07T09:45:00Z", "Cleaned and lubed", ""},
        {"Front wheel/Tyre", "2025-06-14T16:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2025-06-14T16:10:00Z", "Topped up sealant (30 ml)",
         "Sealant had dried to a skin; peeled the old out first."},
        {"Brakes/Rear brake", "2025-06-21T10:00:00Z", "Replaced pads (sintered)", ""},
        {"Rear wheel/Tyre", "2025-06-28T13:00:00Z", "Replaced rear tyre (700x35 tubeless)",
         "Squared-off profile, 6,200 km."},
        {"Drivetrain/Chain", "2025-07-05T08:30:00Z", "Cleaned and lubed", ""},
        {"Seatpost", "2025-07-12T15:00:00Z", "Removed, cleaned, refitted with carbon paste",
         "Clamp to 5 Nm."},
        {"Cockpit/Stem", "2025-07-26T10:00:00Z", "Checked stem bolts (5 Nm)", ""},
        {"Drivetrain/Chain", "2025-08-02T11:00:00Z", "Cleaned and lubed", ""},
        {"Frame", "2025-08-09T17:30:00Z", "Inspected frame after a fall",
         "Scuff on the top tube, paint only.\nNo dents; no cracks at the welds or dropouts."},
        {"Cockpit/Handlebar", "2025-08-16T12:00:00Z", "Realigned bars and levers after the fall", ""},
        {"Drivetrain/Chain", "2025-08-30T10:30:00Z", "Worn to 0.5 %; replaced chain", ""},
        {"Front wheel/Tyre", "2025-09-06T15:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2025-09-06T15:10:00Z", "Topped up sealant (30 ml)", ""},
        {"Drivetrain/Bottom bracket", "2025-09-13T10:00:00Z", "Replaced bottom bracket (creaking)",
         "Threaded BSA; the old one was rough on the non-drive side.\n"
         "Anti-seize on the threads, 40 Nm."},
        {"Drivetrain/Crankset", "2025-09-13T10:45:00Z", "Refitted cranks, checked preload", ""},
        {"Drivetrain/Chain", "2025-09-27T16:00:00Z", "Cleaned and lubed", ""},
        {"Brakes/Front brake", "2025-10-11T11:00:00Z", "Replaced pads, trued rotor", ""},
        {"Drivetrain", "2025-10-18T14:00:00Z", "Replaced front gear cable", ""},
        {"", "2025-10-25T10:00:00Z", "Autumn check: bolts, cables, tyre wear",
         "Rear tyre fine for the winter.\nFitted lights and mudguards."},
        {"Drivetrain/Chain", "2025-11-08T12:00:00Z", "Cleaned, switched to wet lube", ""},
        {"Fork", "2025-11-22T15:30:00Z", "Fitted front mudguard stays", ""},
        {"Front wheel/Tyre", "2025-12-06T13:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2025-12-06T13:10:00Z", "Topped up sealant (30 ml)", ""},
        {"Drivetrain/Chain", "2025-12-13T11:00:00Z", "Cleaned and lubed", ""},
        {"Headset", "2026-01-10T14:00:00Z", "Replaced lower headset bearing",
         "Old bearing pitted from road salt.\nNew sealed cartridge, 1.5 inch, 45 x 45 degrees."},
        {"Drivetrain/Chain", "2026-01-17T10:00:00Z", "Cleaned and lubed", ""},
        {"Rear wheel/Rim", "2026-01-31T15:00:00Z", "Replaced tubeless rim tape",
         "Slow leak traced to a lifted edge at the valve.\nTwo wraps of 25 mm tape."},
        {"Cockpit/Bar tape", "2026-02-07T16:00:00Z", "Replaced bar tape", ""},
        {"Drivetrain/Chain", "2026-02-14T09:30:00Z", "Cleaned and lubed", ""},
        {"Drivetrain/Cassette", "2026-02-28T10:00:00Z", "Replaced cassette (11-34)",
         "Worn through two chains.\nLockring to 40 Nm."},
        {"Drivetrain/Chain", "2026-02-28T10:30:00Z", "Replaced chain with the cassette", ""},
        {"Drivetrain/Chainrings", "2026-02-28T10:50:00Z", "Checked chainrings: teeth still fine", ""},
        {"Front wheel/Hub", "2026-03-14T11:00:00Z", "Serviced front hub bearings", ""},
        {"", "2026-03-21T09:00:00Z", "Annual service",
         "Full strip and wash.\nNew gear inner cables.\nChecked all bearings; rear hub fine.\n"
         "Torque check on every bolt."},
        {"Rear wheel/Spokes", "2026-03-21T12:00:00Z", "Trued rear wheel", ""},
        {"Drivetrain/Chain", "2026-04-04T12:00:00Z", "Cleaned, switched to dry lube", ""},
        {"Brakes/Rear brake", "2026-04-18T10:00:00Z", "Bled brake (mineral oil)", ""},
        {"Front wheel/Tyre", "2026-04-25T15:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2026-04-25T15:10:00Z", "Topped up sealant (30 ml)", ""},
        {"Drivetrain/Chain", "2026-05-09T10:00:00Z", "Cleaned and lubed", ""},
        {"Saddle", "2026-05-16T14:00:00Z", "Replaced saddle",
         "Old rails bent in a crash.\nSame height and setback: 742 mm, 65 mm."},
        {"Pedals", "2026-05-30T16:00:00Z", "Replaced cleats", ""},
        {"Drivetrain/Chain", "2026-06-13T08:45:00Z", "Cleaned and lubed", ""},
        {"Drivetrain/Rear derailleur", "2026-06-20T11:00:00Z", "Replaced jockey wheels",
         "Top wheel had lost two teeth."},
        {"Rear wheel/Tyre", "2026-06-27T13:30:00Z", "Replaced rear tyre (700x35 tubeless)", ""},
        {"Drivetrain/Chain", "2026-07-11T09:00:00Z", "Cleaned and lubed", ""},
        {"Front wheel/Tyre", "2026-07-18T15:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2026-07-18T15:10:00Z", "Topped up sealant (30 ml)", ""},
        {"Brakes/Front brake", "2026-08-01T10:30:00Z", "Replaced pads (sintered)", ""},
        {"Drivetrain/Chain", "2026-08-15T11:00:00Z", "Cleaned and lubed", ""},
        {"Drivetrain", "2026-08-22T14:00:00Z", "Replaced both gear cables and outers",
         "Shifting had turned sluggish.\nRouted the rear outer with a longer loop at the head tube."},
        {"Drivetrain/Chain", "2026-09-05T10:00:00Z", "Worn to 0.5 %; replaced chain", ""},
        {"Cockpit/Stem", "2026-09-12T15:00:00Z", "Swapped to a 90 mm stem",
         "Was 100 mm; reach felt long on gravel."},
        {"Front wheel/Spokes", "2026-09-26T17:00:00Z", "Replaced a broken spoke, trued",
         "Non-drive side, at the nipple."},
        {"Drivetrain/Chain", "2026-10-03T10:00:00Z", "Cleaned and lubed", ""},
        {"Front wheel/Tyre", "2026-10-10T14:00:00Z", "Topped up sealant (30 ml)", ""},
        {"Rear wheel/Tyre", "2026-10-10T14:10:00Z", "Topped up sealant (30 ml)", ""},
        {"", "2026-10-24T10:00:00Z", "Pre-winter check", "Mudguards and lights back on."},
    };
    return entries;
}

ZRBicycleListPtr partAt(const ZRBicycleListPtr& bike, std::string_view path) {
    ZRBicycleListPtr node = bike;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        ZRBicycleListPtr found;
        for (std::size_t i = 0; i < node->numberOfChildren() && !found; ++i) {
            const auto& child = node->childAtIndex(i);
            if (child->expandable() && child->partName() == name) found = child;
        }
        if (!found) throw std::logic_error("no part named " + std::string(name));
        node = found;
    }
    return node;
}

// What a rider who keeps receipts paid: parts and the shop's work, not the
// lube and time of the weekly care. Whole cents, so the text is exact.
double costOf(std::string_view description) {
    struct Price {
        std::string_view words;
        double cost;
    };
    static const Price prices[] = {
        {"sealant", 4.5},     {"Replaced pads", 24.9},  {"replaced chain", 38.0},  {"bar tape", 19.9},
        {"gear cable", 12.5}, {"Spring service", 85.0}, {"Annual service", 85.0}, {"Replaced rear tyre", 54.95},
        {"Replaced front tyre", 54.95}, {"Replaced", 15.0},
    };
    for (const Price& price : prices)
        if (description.find(price.words) != std::string_view::npos) return price.cost;
    return 0.0;
}

// The bike's distance reading on DATE: 4,000 km when it was bought, about
// 15 km a day since, to the nearest 10 km.
double odometerOn(Date date) {
    const double days = (date.timeIntervalSinceReferenceDate() - dateFrom("2024-11-02T10:00:00Z").timeIntervalSinceReferenceDate()) / 86400.0;
    return 4000.0 + static_cast<double>(static_cast<long long>(days * 1.5 + 0.5)) * 10.0;
}

// How often the parts that wear want attention.
void setIntervals(const ZRBicycleListPtr& bike);

// A part's date is that of the latest item below it; a part with nothing
// below keeps the day the record was started.
Date settleDates(ZRBicycleList& node) {
    Date latest = node.date();
    for (std::size_t i = 0; i < node.numberOfChildren(); ++i) {
        ZRBicycleList& child = *node.childAtIndex(i);
        latest = latest.laterDate(child.expandable() ? settleDates(child) : child.date());
    }
    node.setDate(latest);
    return latest;
}

ZRBicycleListPtr buildSample() {
    auto bike = buildParts();
    bike->setDescription("Steel all-road bike, 2x11, hydraulic discs");
    bike->setNotes("Frame size 56.\nTyres 700x35 tubeless, 45 psi front, 48 psi rear.");
    std::map<const ZRBicycleList*, std::set<std::string>> used;
    for (const auto& row : serviceRecords()) {
        auto part = partAt(bike, row.path);
        const Date date = dateFrom(row.when);
        auto entry = ZRBicycleList::create();
        // Entered half an hour after the work was done.
        std::string key = creationDateAt(date.timeIntervalSinceReferenceDate() + 1800.25);
        // A clash would make filing draw a fresh key from the clock, and the
        // output would no longer be the same on every run.
        if (!used[part.get()].insert(key).second) throw std::logic_error("two entries share " + key);
        entry->setCreationDate(std::move(key));
        entry->setPartName(part->partName());
        entry->setDate(date);
        entry->setDescription(row.description);
        entry->setNotes(row.notes);
        if (const double cost = costOf(row.description); cost > 0) entry->setCost(cost);
        entry->setOdometer(odometerOn(date));
        part->addChildPartOrEntry(entry);
    }
    bike->setDistanceUnit(cogbook::DistanceUnit::kilometres);
    bike->setCurrency("EUR");
    setIntervals(bike);
    bike->setDate(Date(kTemplateMoment));
    settleDates(*bike);
    return bike;
}

void setIntervals(const ZRBicycleListPtr& bike) {
    const auto chain = partAt(bike, "Drivetrain/Chain");
    chain->setServiceIntervalDays(30);
    chain->setServiceIntervalDistance(1000.0);
    for (const char* tyre : {"Front wheel/Tyre", "Rear wheel/Tyre"}) partAt(bike, tyre)->setServiceIntervalDays(90);
    for (const char* brake : {"Brakes/Front brake", "Brakes/Rear brake"})
        partAt(bike, brake)->setServiceIntervalDistance(3000.0);
    partAt(bike, "Headset")->setServiceIntervalDays(365);
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot write");
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "--template") {
            const auto dictionary = buildParts()->templateDictionary();
            writeFile(args[1], cogbook::writeXmlPlist(*dictionary));
            return 0;
        }
        if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
            const auto bytes = cogbook::writeRecordFile(*buildSample());
            writeFile(args[0], std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            return 0;
        }
    } catch (const std::exception& error) {
        std::cerr << "make_sample: " << error.what() << '\n';
        return 1;
    }
    std::cerr << "usage: make_sample OUT | make_sample --template OUT\n";
    return 2;
}
