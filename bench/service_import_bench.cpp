// Filing a large CSV import into an open record: the record of 100,000
// entries takes its own service log back, so that every row names a part that
// is there and each part gets ten entries more. Measured: reading the rows
// against the parts, and filing them as one undo step with the new entries
// chosen in the outline. Undoing the import is measured alongside.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <string>

#include "foundation/file_io.h"
#include "foundation/undo_manager.h"
#include "large_bike.h"
#include "model/record_file.h"
#include "model/service_csv.h"

namespace cogbook {
namespace {

struct OpenImportRecord {
    OpenImportRecord() {
        bench::LargeBikeShape shape;
        shape.entries = 10;
        shape.serviceData = true;
        writeFileAtomically(path.toStdString(), writeRecordFile(*bench::largeBike(shape)));
        document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(path));
        QApplication::processEvents();
        if (document != nullptr) csv = serviceLogCsv(*document->theBike());
    }
    ~OpenImportRecord() {
        for (Document* open : controller.orderedDocuments()) open->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    OpenImportRecord(const OpenImportRecord&) = delete;
    OpenImportRecord& operator=(const OpenImportRecord&) = delete;

    QTemporaryDir folder;
    QString path = folder.filePath("import.cogbook");
    bench::BenchController controller;
    MyDocument* document = nullptr;
    std::string csv;
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
    const ServiceImportPlan plan = planServiceImport(*document->theBike(), record.csv);
    long chosen = 0;
    for (auto _ : state) {
        Application::performAsOneEvent([&] { document->importServiceEntries(plan); });
        QApplication::processEvents();
        state.PauseTiming();
        chosen = document->bikeTable()->numberOfSelectedRows();
        Application::performAsOneEvent([&] { document->undoManager().undo(); });
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
    const ServiceImportPlan plan = planServiceImport(*document->theBike(), record.csv);
    for (auto _ : state) {
        state.PauseTiming();
        Application::performAsOneEvent([&] { document->importServiceEntries(plan); });
        QApplication::processEvents();
        state.ResumeTiming();
        Application::performAsOneEvent([&] { document->undoManager().undo(); });
        QApplication::processEvents();
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
