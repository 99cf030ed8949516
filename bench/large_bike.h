// What the document benchmarks share: a large record of a regular shape, a
// document controller that makes record documents, and a main that runs
// the benchmarks in an application off screen with settings of its own.
#pragma once

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "document/MyDocument.h"
#include "model/ZRBicycleList.h"
#include "platform/application.h"
#include "platform/document_controller.h"

namespace cogbook::bench {

// PARTS parts, each with SUBPARTS subparts of ENTRIES entries.
struct LargeBikeShape {
    int parts = 1000;
    int subparts = 10;
    int entries = 9;
    std::string description = "Serviced";
    // The notes of the entry numbered SERIAL (from 1, in filing order).
    std::function<std::string(int serial)> notes = [](int) { return std::string(); };
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
            std::vector<ZRBicycleListPtr> entries;
            for (int e = 0; e < shape.entries; ++e) {
                auto entry = ZRBicycleList::create();
                entry->setPartName(subpart->partName());
                entry->setDescription(shape.description);
                entry->setNotes(shape.notes(++serial));
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

class BenchController : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return new MyDocument(MyDocument::ForReading{}); }
    Document* makeDocumentForReading() override { return new MyDocument(MyDocument::ForReading{}); }
};

// Runs the benchmarks off screen (unless told otherwise), with settings in a
// folder of their own.
inline int runDocumentBenchmarks(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace cogbook::bench
