// Speed of the outline on a record of 101,000 items: 1,000 parts, each with
// 10 subparts of 9 service entries, all expanded.
//
// Targets: a reload that finds nothing changed under 8 ms; a reload after one
// insertion or removal under 10 ms; bringing a new entry into view (reload,
// expand its part and subpart, find its row, select it, scroll to it) under
// 20 ms; expanding everything under 1 s.
#include <benchmark/benchmark.h>

#include "offscreen_main.h"

#include <QApplication>
#include <QTreeView>

#include <memory>
#include <vector>

#include "platform/outline_view.h"

namespace {

using cogbook::OutlineItem;
using cogbook::OutlineView;
using cogbook::TableColumn;

struct Item {
    QString name;
    bool expandable = false;
    std::vector<std::shared_ptr<Item>> children;
};
using ItemPtr = std::shared_ptr<Item>;

ItemPtr makeItem(const QString& name, bool expandable) {
    auto item = std::make_shared<Item>();
    item->name = name;
    item->expandable = expandable;
    return item;
}

class Source : public cogbook::OutlineViewDataSource {
public:
    Source() {
        for (int p = 0; p < 1000; ++p) {
            auto part = makeItem(QString("Wheel %1").arg(p), true);
            for (int s = 0; s < 10; ++s) {
                auto sub = makeItem(QString("Hub %1.%2").arg(p).arg(s), true);
                for (int e = 0; e < 9; ++e)
                    sub->children.push_back(makeItem(QString("Serviced %1").arg(e), false));
                part->children.push_back(sub);
            }
            top.push_back(part);
        }
    }
    std::vector<ItemPtr>& childrenOf(void* item) { return item ? static_cast<Item*>(item)->children : top; }
    long outlineViewNumberOfChildrenOfItem(OutlineView*, void* item) override {
        return static_cast<long>(childrenOf(item).size());
    }
    bool outlineViewIsItemExpandable(OutlineView*, void* item) override {
        return item == nullptr || static_cast<Item*>(item)->expandable;
    }
    OutlineItem outlineViewChildOfItem(OutlineView*, long index, void* item) override {
        return childrenOf(item)[static_cast<std::size_t>(index)];
    }
    QVariant outlineViewObjectValueForTableColumnByItem(OutlineView*, const TableColumn& column, void* item) override {
        return column.logicalIndex() == 0 ? QVariant(static_cast<Item*>(item)->name) : QVariant();
    }

    std::vector<ItemPtr> top;
};

struct Outline {
    Source source;
    OutlineView view;
    Outline() {
        view.setColumnIdentifiers({"name", "date", "description"});
        view.setColumnTitles({"Name", "Date", "Description"});
        view.resize(800, 600);
        view.setDataSource(&source);
    }
    void showExpanded() {
        view.expandItemExpandChildren(nullptr, true);
        view.show();
        QApplication::processEvents();
    }
};

void BM_ExpandEverything(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto outline = std::make_unique<Outline>();
        outline->view.show();
        QApplication::processEvents();
        state.ResumeTiming();
        outline->view.expandItemExpandChildren(nullptr, true);
        QApplication::processEvents(); // lays out and paints
        benchmark::DoNotOptimize(outline->view.numberOfRows());
        state.PauseTiming();
        outline.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandEverything)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShowWindow(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto outline = std::make_unique<Outline>();
        outline->view.expandItemExpandChildren(nullptr, true);
        state.ResumeTiming();
        outline->view.show();
        QApplication::processEvents();
        state.PauseTiming();
        outline.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReloadUnchanged(benchmark::State& state) {
    Outline outline;
    outline.showExpanded();
    for (auto _ : state) outline.view.reloadData();
    state.counters["rows"] = static_cast<double>(outline.view.numberOfRows());
}
BENCHMARK(BM_ReloadUnchanged)->Unit(benchmark::kMillisecond);

// Reload and repaint, as after an edit while the window is up.
void BM_ReloadUnchangedAndRepaint(benchmark::State& state) {
    Outline outline;
    outline.showExpanded();
    for (auto _ : state) {
        outline.view.reloadData();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ReloadUnchangedAndRepaint)->Unit(benchmark::kMillisecond);

// Every other reload finds one entry more, every other one entry fewer; with
// the argument 1, also the layout and repaint the change causes.
void BM_ReloadAfterOneChange(benchmark::State& state) {
    const bool repaint = state.range(0) != 0;
    Outline outline;
    outline.showExpanded();
    auto& entries = outline.source.top[500]->children[5]->children;
    const auto added = makeItem("Added", false);
    bool present = false;
    for (auto _ : state) {
        if (present)
            entries.erase(entries.begin() + 3);
        else
            entries.insert(entries.begin() + 3, ItemPtr(added));
        present = !present;
        outline.view.reloadData();
        if (repaint) QApplication::processEvents();
    }
}
BENCHMARK(BM_ReloadAfterOneChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A new entry under a collapsed part: reload, expand the part and subpart,
// find the entry's row, select it and scroll to it.
void BM_RevealNewEntry(benchmark::State& state) {
    Outline outline;
    outline.showExpanded();
    const ItemPtr part = outline.source.top[700];
    const ItemPtr sub = part->children[4];
    const auto added = makeItem("Added", false);
    for (auto _ : state) {
        state.PauseTiming();
        outline.view.collapseItemCollapseChildren(part.get(), true);
        QApplication::processEvents();
        sub->children.push_back(added);
        state.ResumeTiming();

        outline.view.reloadData();
        outline.view.expandItem(part.get());
        outline.view.expandItem(sub.get());
        const long row = outline.view.rowForItem(added.get());
        outline.view.selectRowByExtendingSelection(row, false);
        outline.view.scrollRowToVisible(row);

        state.PauseTiming();
        if (row == cogbook::kOutlineNoRow) state.SkipWithError("the new entry has no row");
        sub->children.pop_back();
        outline.view.reloadData();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RevealNewEntry)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RowForItem(benchmark::State& state) {
    Outline outline;
    outline.showExpanded();
    const void* last = outline.source.top.back()->children.back()->children.back().get();
    for (auto _ : state) benchmark::DoNotOptimize(outline.view.rowForItem(last));
}
BENCHMARK(BM_RowForItem)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return cogbook::bench::runOffscreenBenchmarks(argc, argv);
}
