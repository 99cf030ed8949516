// The service log window on a record of 100,000 entries (1,000 parts of 10
// subparts of 10 entries, each with a date, a cost and a reading).
//
// Targets on a 2-core machine: opening the log (rows built, sorted newest
// first, the window shown) under 200 ms; sorting by another column under
// 200 ms. Catching up with one change is measured alongside.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>

#include <memory>

#include "document/ZRSWServiceLogWindow.h"
#include "large_bike.h"

namespace cogbook {
namespace {

struct OpenServiceRecord : bench::OpenLargeRecord {
    OpenServiceRecord() : OpenLargeRecord(bench::serviceRecordShape()) {}
};

void BM_ServiceLogOpened(benchmark::State& state) {
    OpenServiceRecord record;
    if (record.document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    int rows = 0;
    for (auto _ : state) {
        auto log = std::make_unique<ZRSWServiceLogWindow>(record.document);
        log->showWindow();
        QApplication::processEvents();
        rows = log->shownRows()->rowCount();
        state.PauseTiming();
        log.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    if (rows != 100000) state.SkipWithError("the log lost rows");
}
BENCHMARK(BM_ServiceLogOpened)->Unit(benchmark::kMillisecond)->Iterations(5);

// Clicking a column's header: the table sorted by it.
void BM_ServiceLogSortedByColumn(benchmark::State& state) {
    OpenServiceRecord record;
    if (record.document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    ZRSWServiceLogWindow log(record.document);
    log.showWindow();
    QApplication::processEvents();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        log.table()->sortByColumn(column, Qt::AscendingOrder);
        QApplication::processEvents();
        state.PauseTiming();
        // Back to newest first, with rows made afresh: each sort orders its
        // column from scratch.
        log.table()->sortByColumn(ServiceLogModel::DateColumn, Qt::DescendingOrder);
        log.refresh();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ServiceLogSortedByColumn)
    ->Unit(benchmark::kMillisecond)
    ->Arg(ServiceLogModel::PartColumn)
    ->Arg(ServiceLogModel::DescriptionColumn)
    ->Arg(ServiceLogModel::CostColumn)
    ->Arg(ServiceLogModel::OdometerColumn)
    ->Iterations(5);

// One description changed: the open log catches up.
void BM_ServiceLogFollowsAChange(benchmark::State& state) {
    OpenServiceRecord record;
    MyDocument* document = record.document;
    if (document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    ZRSWServiceLogWindow log(document);
    log.showWindow();
    QApplication::processEvents();
    const ZRBicycleListPtr entry = document->theBike()->childAtIndex(500)->childAtIndex(5)->childAtIndex(5);
    int step = 0;
    for (auto _ : state) {
        Application::performAsOneEvent(
            [&] { document->newDescriptionForItem("Changed " + std::to_string(++step), entry); });
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ServiceLogFollowsAChange)->Unit(benchmark::kMillisecond)->Iterations(5);

// One entry's notes typed into, a keystroke per event within one undo step:
// the open log updates that entry's row only.
void BM_ServiceLogFollowsNotesTyped(benchmark::State& state) {
    OpenServiceRecord record;
    MyDocument* document = record.document;
    if (document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    ZRSWServiceLogWindow log(document);
    log.showWindow();
    QApplication::processEvents();
    const ZRBicycleListPtr entry = document->theBike()->childAtIndex(500)->childAtIndex(5)->childAtIndex(5);
    document->focusOnItemByExtendingSelection(entry.get(), false);
    // The first keystroke opens the undo step, which the log follows in full.
    Application::performAsOneEvent([&] { document->notesView()->insertPlainText(QStringLiteral("x")); });
    QApplication::processEvents();
    for (auto _ : state) {
        Application::performAsOneEvent([&] { document->notesView()->insertPlainText(QStringLiteral("x")); });
        QApplication::processEvents();
    }
    const ServiceLogModel* rows = log.logModel();
    if (!rows->index(rows->rowOfEntry(entry.get()), ServiceLogModel::NotesColumn).data(Qt::ToolTipRole).toString().contains(QStringLiteral("xxx")))
        state.SkipWithError("the notes did not reach the log");
}
BENCHMARK(BM_ServiceLogFollowsNotesTyped)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    return cogbook::bench::runDocumentBenchmarks(argc, argv);
}
