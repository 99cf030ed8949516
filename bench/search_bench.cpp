// Speed of searching a record of 100,000 items: 10,000 parts of 9 service
// entries each, every item with a description and a line of notes.
//
// Targets: find next when the only match is the last item under 20 ms; find
// all with 10,000 matches, the report's table filled, under 50 ms; find all
// with every item matching (100,000 rows) under 200 ms, and the report then
// scrolls a page at a time without stalls. For comparison, the walk that
// restarts from the root for every match is measured on small records
// (BM_PerMatchWalk); it grows with the square of the size.
#include <benchmark/benchmark.h>

#include "offscreen_main.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>

#include <memory>
#include <string>

#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "search/ZRSWSearchReport.h"
#include "search/ZRSWSearcher.h"
#include "search/search_results_model.h"

namespace {

using cogbook::ZRBicycleList;
using cogbook::ZRBicycleListPtr;

class BenchDocument : public cogbook::ZRSWSearchableDocument {
public:
    explicit BenchDocument(ZRBicycleListPtr root) : root_(std::move(root)) {}
    ~BenchDocument() override {
        cogbook::NotificationCenter::defaultCenter().postNotificationName(
            cogbook::kSearchedDocumentWillDeallocNotification, this);
        cogbook::runDeferredActions();
    }
    const void* documentIdentity() const override { return this; }
    const ZRBicycleListPtr& searchRoot() const override { return root_; }
    ZRBicycleList* lastSelectedItem() const override { return nullptr; }
    void focusOnSearchResult(const ZRBicycleList*) override {}
    QPlainTextEdit* searchNotesView() const override { return nullptr; }
    QWidget* searchDocumentWindow() const override { return nullptr; }

private:
    ZRBicycleListPtr root_;
};

// ITEMS items; every MATCHEVERY-th one holds "Needle" in its description,
// and the very last one holds "zzlast" in its notes.
ZRBicycleListPtr makeRecord(int items, int matchEvery) {
    auto bike = ZRBicycleList::create();
    bike->setPartName("Bench bike");
    bike->setExpandable(true);
    ZRBicycleListPtr part;
    for (int index = 0; index < items; ++index) {
        auto item = ZRBicycleList::create();
        const bool isPart = index % 10 == 0;
        item->setPartName(isPart ? "Part " + std::to_string(index) : "Serviced part " + std::to_string(index / 10));
        item->setExpandable(isPart);
        item->setDescription(matchEvery > 0 && index % matchEvery == matchEvery - 1 ? "Needle replaced"
                                                                                   : "Cleaned and lubricated");
        item->setNotes("Checked the torque on every bolt; all good. Ride " + std::to_string(index));
        if (index == items - 1) item->setNotes("zzlast");
        if (isPart) {
            bike->addChildPartOrEntry(item);
            part = item;
        } else {
            part->addChildPartOrEntry(item);
        }
    }
    return bike;
}

void BM_FindNextOnlyMatchIsLast(benchmark::State& state) {
    BenchDocument document(makeRecord(100000, 0));
    cogbook::ZRSWSearcher* searcher = cogbook::ZRSWSearcher::searcherForDocument(&document);
    const bool ignoreCase = state.range(0) != 0;
    for (auto _ : state) {
        searcher->setBookmark(nullptr);
        auto found = searcher->nextItemWithStringIgnoreCaseSearchBackward("zzLast", ignoreCase, false);
        benchmark::DoNotOptimize(found);
        if (ignoreCase != (found != nullptr)) state.SkipWithError("wrong result");
    }
}
BENCHMARK(BM_FindNextOnlyMatchIsLast)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Find all, the report's table filled and laid out.
void findAllInReport(benchmark::State& state, int matchEvery, int expected) {
    BenchDocument document(makeRecord(100000, matchEvery));
    cogbook::ZRSWSearchReport* report = cogbook::ZRSWSearchReport::searchReportForDocument(&document);
    for (auto _ : state) {
        report->showSearchResultsForStringIgnoreCase("needle", true);
        QApplication::processEvents();
        if (report->foundItems()->rowCount() != expected) state.SkipWithError("wrong row count");
    }
    state.counters["rows"] = report->foundItems()->rowCount();
}

void BM_FindAll10000Matches(benchmark::State& state) {
    findAllInReport(state, 10, 10000);
}
BENCHMARK(BM_FindAll10000Matches)->Unit(benchmark::kMillisecond);

void BM_FindAllEveryItemMatches(benchmark::State& state) {
    findAllInReport(state, 1, 100000);
}
BENCHMARK(BM_FindAllEveryItemMatches)->Unit(benchmark::kMillisecond);

// One page down the 100,000-row report, painted.
void BM_ScrollFullReport(benchmark::State& state) {
    BenchDocument document(makeRecord(100000, 1));
    cogbook::ZRSWSearchReport* report = cogbook::ZRSWSearchReport::searchReportForDocument(&document);
    report->showSearchResultsForStringIgnoreCase("needle", true);
    QApplication::processEvents();
    QScrollBar* bar = report->searchReportTV()->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + bar->pageStep()) % std::max(1, bar->maximum());
        bar->setValue(value);
        report->searchReportTV()->viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollFullReport)->Unit(benchmark::kMillisecond);

// Every item matching, each match found by a search that walks again from
// the root to the previous match.
void BM_PerMatchWalk(benchmark::State& state) {
    const auto items = static_cast<int>(state.range(0));
    BenchDocument document(makeRecord(items, 1));
    cogbook::ZRSWSearcher* searcher = cogbook::ZRSWSearcher::searcherForDocument(&document);
    for (auto _ : state) {
        int found = 0;
        searcher->setBookmark(nullptr);
        while (auto item = searcher->nextItemWithStringIgnoreCaseSearchBackward("needle", true, false)) {
            searcher->setBookmark(item.get());
            ++found;
        }
        if (found != items) state.SkipWithError("wrong count");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PerMatchWalk)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)->Complexity();

// The same records in one walk.
void BM_OneWalk(benchmark::State& state) {
    const auto items = static_cast<int>(state.range(0));
    BenchDocument document(makeRecord(items, 1));
    cogbook::ZRSWSearcher* searcher = cogbook::ZRSWSearcher::searcherForDocument(&document);
    for (auto _ : state) {
        auto all = searcher->allItemsWithStringIgnoreCase("needle", true);
        if (static_cast<int>(all.size()) != items) state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_OneWalk)->Arg(8000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return cogbook::bench::runOffscreenBenchmarks(argc, argv);
}
