// The status bar on a large record (1,000 parts of 10 subparts of 9 entries:
// 101,000 items): the first count, and keeping it current through a change
// and its undo, which must not walk the record again.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "document/MyDocument.h"
#include "large_bike.h"
#include "platform/application.h"

namespace cogbook {
namespace {

using bench::OpenLargeRecord;

void BM_StatusCountsOfLargeRecordAfterRevert(benchmark::State& state) {
    OpenLargeRecord record;
    if (record.document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        // A record read again is counted afresh.
        record.document->replaceBikeWithDataFromFile();
        state.ResumeTiming();
        benchmark::DoNotOptimize(record.document->recordCounts());
    }
    state.counters["items"] = static_cast<double>(record.document->recordCounts().parts +
                                                  record.document->recordCounts().entries);
}
BENCHMARK(BM_StatusCountsOfLargeRecordAfterRevert)->Unit(benchmark::kMillisecond)->Iterations(5);

// An entry added for the bike and undone, each as one event, the status bar
// brought up to date after each.
void BM_StatusKeptThroughAddAndUndoOnLargeRecord(benchmark::State& state) {
    OpenLargeRecord record;
    MyDocument* document = record.document;
    if (document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    document->recordCounts();
    for (auto _ : state) {
        Application::performAsOneEvent([document] { document->performAction("addEntryForBike:", nullptr); });
        document->bikeTable()->endEditing();
        QApplication::processEvents();
        Application::performAsOneEvent([document] { document->performAction("undo:", nullptr); });
        QApplication::processEvents();
    }
    if (!(document->recordCounts() == MyDocument::RecordCounts{11000, 90000}))
        state.SkipWithError("the counts went wrong");
}
BENCHMARK(BM_StatusKeptThroughAddAndUndoOnLargeRecord)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    return cogbook::bench::runDocumentBenchmarks(argc, argv);
}
