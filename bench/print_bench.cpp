// Exporting a large record to PDF: the plain text of 101,000 items laid out
// on pages and written as one PDF document in memory.
//
// Target on a 2-core machine: the export finishes (the GUI shows a progress
// dialog with Cancel for anything over half a second); report its time and
// the size of the PDF.
#include <benchmark/benchmark.h>

#include "offscreen_main.h"

#include <QApplication>

#include <string>
#include <vector>

#include "large_bike.h"
#include "document/record_printer.h"
#include "model/ZRBicycleList.h"

namespace cogbook {
namespace {

ZRBicycleListPtr largeBike() {
    return bench::largeBike({.description = "Serviced: cleaned, lubed and adjusted", .notes = [](int serial) {
                                 return serial % 3 == 0 ? std::string("Cable replaced\nbolts torqued to 5 Nm")
                                                        : std::string();
                             }});
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
    return cogbook::bench::runOffscreenBenchmarks(argc, argv);
}
