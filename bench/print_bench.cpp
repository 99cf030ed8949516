// Exporting a large record to PDF: the plain text of 101,000 items laid out
// on pages and written as one PDF document in memory.
//
// Target on a 2-core machine: the export finishes (the GUI shows a progress
// dialog with Cancel for anything over half a second); report its time and
// the size of the PDF.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <string>
#include <vector>

#include "document/record_printer.h"
#include "model/ZRBicycleList.h"

namespace cogbook {
namespace {

// 1,000 parts, each with 10 subparts of 9 entries, every third with notes:
// 101,000 items.
ZRBicycleListPtr largeBike() {
    auto bike = ZRBicycleList::create();
    bike->setPartName("Bike");
    bike->setExpandable(true);
    std::vector<ZRBicycleListPtr> parts;
    int serial = 0;
    for (int p = 0; p < 1000; ++p) {
        auto part = ZRBicycleList::create();
        part->setPartName("Part " + std::to_string(p));
        part->setExpandable(true);
        std::vector<ZRBicycleListPtr> subparts;
        for (int s = 0; s < 10; ++s) {
            auto subpart = ZRBicycleList::create();
            subpart->setPartName("Subpart " + std::to_string(s));
            subpart->setExpandable(true);
            std::vector<ZRBicycleListPtr> entries;
            for (int e = 0; e < 9; ++e) {
                auto entry = ZRBicycleList::create();
                entry->setPartName(subpart->partName());
                entry->setDescription("Serviced: cleaned, lubed and adjusted");
                if (++serial % 3 == 0) entry->setNotes("Cable replaced\nbolts torqued to spec");
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

void BM_RecordText(benchmark::State& state) {
    const auto bike = largeBike();
    for (auto _ : state) benchmark::DoNotOptimize(recordText(*bike));
}
BENCHMARK(BM_RecordText)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportLargeRecordToPdf(benchmark::State& state) {
    const auto bike = largeBike();
    qint64 bytes = 0;
    qint64 lines = 0;
    for (auto _ : state) {
        const PdfOutput pdf = recordPdf(*bike, QStringLiteral("large.cogbook"), [&](qint64, qint64 total) {
            lines = total;
            return true;
        });
        if (pdf.outcome != PrintOutcome::Printed) state.SkipWithError("the PDF could not be made");
        bytes = pdf.bytes.size();
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ExportLargeRecordToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
