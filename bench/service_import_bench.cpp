// Filing a large CSV import into an open record: the record of 100,000
// entries takes its own service log back, so that every row names a part that
// is there and each part gets ten entries more. Measured: reading the rows
// against the parts, and filing them as one undo step with the new entries
// chosen in the outline. Undoing the import is measured alongside.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <string>

#include "foundation/undo_manager.h"
#include "large_bike.h"
#include "model/service_csv.h"

namespace cogbook {
namespace {

// The record of 100,000 entries, each with a cost and a reading, its own
// service log as CSV and the plan of filing that back into it.
struct OpenImportRecord : bench::OpenLargeRecord {
    OpenImportRecord() : OpenLargeRecord(bench::serviceRecordShape()) {
        if (document == nullptr) return;
        csv = serviceLogCsv(*document->theBike());
        plan = planServiceImport(*document->theBike(), csv);
    }
    // Each as the user's one command, with what the window does after it.
    void file() {
        Application::performAsOneEvent([&] { document->importServiceEntries(plan); });
        QApplication::processEvents();
    }
    void undo() {
        Application::performAsOneEvent([&] { document->undoManager().undo(); });
        QApplication::processEvents();
    }
    std::string csv;
    ServiceImportPlan plan;
};

void BM_ServiceImportPlanned(benchmark::State& state) {
    OpenImportRecord record;
    if (record.document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    std::size_t entries = 0;
    for (auto _ : state) {
        const ServiceImportPlan plan = planServiceImport(*record.document->theBike(), record.csv);
        entries = plan.entries.size();
        benchmark::DoNotOptimize(plan.badRows.data());
    }
    state.counters["rows"] = static_cast<double>(entries);
    if (entries != 100000) state.SkipWithError("the plan lost rows");
}
BENCHMARK(BM_ServiceImportPlanned)->Unit(benchmark::kMillisecond)->Iterations(3);

// Filing the planned rows into the record as it opened (the outline
// collapsed): the entries made and inserted, the undo step recorded, the
// outline opened down to them and all 100,000 chosen.
void BM_ServiceImportFiled(benchmark::State& state) {
    OpenImportRecord record;
    MyDocument* document = record.document;
    if (document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    long chosen = 0;
    for (auto _ : state) {
        record.file();
        state.PauseTiming();
        chosen = document->bikeTable()->numberOfSelectedRows();
        record.undo();
        // As the record opened: the outline collapsed.
        document->bikeTable()->collapseItemCollapseChildren(nullptr, true);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["chosen"] = static_cast<double>(chosen);
    if (chosen != 100000) state.SkipWithError("the new entries were not all chosen");
}
BENCHMARK(BM_ServiceImportFiled)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ServiceImportUndone(benchmark::State& state) {
    OpenImportRecord record;
    MyDocument* document = record.document;
    if (document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        record.file();
        state.ResumeTiming();
        record.undo();
    }
    if (document->theBike()->childAtIndex(0)->childAtIndex(0)->numberOfChildren() != 10)
        state.SkipWithError("the import was not undone");
}
BENCHMARK(BM_ServiceImportUndone)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    return cogbook::bench::runDocumentBenchmarks(argc, argv);
}
