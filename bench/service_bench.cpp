// Service planning on a 100,000-item record with intervals on every subpart
// and a cost and reading on every entry.
//
// Targets on a 2-core machine: every part's due state and every total under
// 20 ms together; the service log's rows built and sorted under 200 ms.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "large_bike_tree.h"
#include "model/service_costs.h"
#include "model/service_due.h"
#include "model/service_log.h"
#include "model/service_overview.h"

namespace {

using namespace cogbook;

const ZRBicycleListPtr& bike() {
    static const ZRBicycleListPtr made = [] {
        bench::LargeBikeShape shape;
        shape.serviceData = true;
        return bench::largeBike(shape);
    }();
    return made;
}

void BM_DueStatesAndTotals(benchmark::State& state) {
    const auto& record = bike();
    const Date now(7e8 + 100000 * 3600.0);
    for (auto _ : state) {
        auto overview = serviceOverview(*record, now);
        benchmark::DoNotOptimize(overview);
    }
}
// A large record is worked out on two threads: the time is the wall clock's,
// the CPU time that of the whole process.
BENCHMARK(BM_DueStatesAndTotals)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_LogRowsBuiltAndSorted(benchmark::State& state) {
    const auto& record = bike();
    for (auto _ : state) {
        auto rows = serviceLogRows(*record);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_LogRowsBuiltAndSorted)->Unit(benchmark::kMillisecond);

// A sort by another column, as the log's table does when its header is clicked.
void BM_LogRowsSortedByPart(benchmark::State& state) {
    const auto rows = serviceLogRows(*bike());
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = rows;
        state.ResumeTiming();
        std::stable_sort(copy.begin(), copy.end(),
                         [](const ServiceLogRow& a, const ServiceLogRow& b) { return a.partPath < b.partPath; });
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_LogRowsSortedByPart)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
