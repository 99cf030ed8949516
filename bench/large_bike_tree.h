// A large record of a regular shape, for benchmarks of every layer: the model
// alone needs nothing but the tree.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook::bench {

// PARTS parts, each with SUBPARTS subparts of ENTRIES entries.
struct LargeBikeShape {
    int parts = 1000;
    int subparts = 10;
    int entries = 9;
    std::string description = "Serviced";
    // The notes of the entry numbered SERIAL (from 1, in filing order).
    std::function<std::string(int serial)> notes = [](int) { return std::string(); };
    // Service data: every subpart an interval, every entry a date an hour
    // after the one before, a cost and an odometer reading.
    bool serviceData = false;
};

inline ZRBicycleListPtr largeBike(const LargeBikeShape& shape = {}) {
    auto bike = ZRBicycleList::create();
    bike->setPartName("Bike");
    bike->setExpandable(true);
    std::vector<ZRBicycleListPtr> parts;
    int serial = 0;
    for (int p = 0; p < shape.parts; ++p) {
        auto part = ZRBicycleList::create();
        part->setPartName("Part " + std::to_string(p));
        part->setExpandable(true);
        std::vector<ZRBicycleListPtr> subparts;
        for (int s = 0; s < shape.subparts; ++s) {
            auto subpart = ZRBicycleList::create();
            subpart->setPartName("Subpart " + std::to_string(s));
            subpart->setExpandable(true);
            if (shape.serviceData) {
                subpart->setServiceIntervalDays(30 + s);
                subpart->setServiceIntervalDistance(3000.0);
            }
            std::vector<ZRBicycleListPtr> entries;
            for (int e = 0; e < shape.entries; ++e) {
                auto entry = ZRBicycleList::create();
                entry->setPartName(subpart->partName());
                entry->setDescription(shape.description);
                entry->setNotes(shape.notes(++serial));
                if (shape.serviceData) {
                    entry->setDate(Date(7e8 + serial * 3600.0));
                    entry->setCost(serial % 50 + 0.5);
                    entry->setOdometer(serial * 0.25);
                }
                entries.push_back(entry);
            }
            subpart->addChildrenPartsOrEntries(entries);
            subparts.push_back(subpart);
        }
        part->addChildrenPartsOrEntries(subparts);
        parts.push_back(part);
    }
    bike->addChildrenPartsOrEntries(parts);
    return bike;
}

} // namespace cogbook::bench
