// Speed of record files and traversal, and the memory a node costs, on bikes
// shaped like real ones: a bike, 25 parts two levels deep, and service
// entries spread over them with short descriptions and the odd note.
//
// Targets on a 2-core machine: a 100,000-item record reads and writes in
// under 400 ms each, and a node costs under 400 bytes beyond its strings.
#include <malloc.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/ZRBicycleList.h"
#include "model/record_file.h"

namespace {

using cogbook::Date;
using cogbook::ZRBicycleList;
using cogbook::ZRBicycleListPtr;

const char* const kWords[] = {"chain", "cleaned", "lubed",  "replaced", "pads",    "tyre",
                              "sealant", "trued",  "cable", "bearing", "adjusted", "checked",
                              "worn",   "new",     "front", "rear",     "torque",  "bolts"};

std::string randomText(std::mt19937& random, std::size_t minLength, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    const std::size_t target = length(random);
    std::string text;
    while (text.size() < target) {
        if (!text.empty()) text += text.size() % 5 == 0 ? '\n' : ' ';
        text += kWords[word(random)];
    }
    text.resize(target);
    return text;
}

struct Shape {
    bool emptyStrings = false; // for measuring the node alone
};

// ITEMS nodes in all: the bike, 25 parts, and entries filed round-robin.
ZRBicycleListPtr makeBike(std::size_t items, Shape shape = {}) {
    std::mt19937 random(20241101);
    int serial = 0;
    auto node = [&](bool expandable) {
        auto made = ZRBicycleList::create();
        // Short keys stay inside the string object when strings are empty.
        made->setCreationDate(std::to_string(serial++));
        made->setExpandable(expandable);
        made->setDate(Date(752112000.0 + serial * 3600.0));
        return made;
    };
    auto bike = node(true);
    if (!shape.emptyStrings) bike->setPartName("Bike");
    std::vector<ZRBicycleListPtr> parts;
    for (int group = 0; group < 5; ++group) {
        auto part = node(true);
        if (!shape.emptyStrings) part->setPartName("Group " + std::to_string(group));
        for (int sub = 0; sub < 4; ++sub) {
            auto subpart = node(true);
            if (!shape.emptyStrings) subpart->setPartName("Part " + std::to_string(sub));
            part->addChildPartOrEntry(subpart);
            parts.push_back(subpart);
        }
        bike->addChildPartOrEntry(part);
        parts.push_back(part);
    }
    std::uniform_int_distribution<int> hasNotes(0, 3);
    std::vector<std::vector<ZRBicycleListPtr>> entries(parts.size());
    for (std::size_t i = parts.size() + 1; i < items; ++i) {
        auto entry = node(false);
        const auto& part = parts[i % parts.size()];
        if (!shape.emptyStrings) {
            entry->setPartName(part->partName());
            entry->setDescription(randomText(random, 20, 60));
            if (hasNotes(random) == 0) entry->setNotes(randomText(random, 40, 200));
        }
        entries[i % parts.size()].push_back(std::move(entry));
    }
    for (std::size_t p = 0; p < parts.size(); ++p) parts[p]->addChildrenPartsOrEntries(entries[p]);
    return bike;
}

void BM_WriteRecord(benchmark::State& state) {
    const auto items = static_cast<std::size_t>(state.range(0));
    const auto bike = makeBike(items);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto file = cogbook::writeRecordFile(*bike);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteRecord)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadRecord(benchmark::State& state) {
    const auto items = static_cast<std::size_t>(state.range(0));
    const auto file = cogbook::writeRecordFile(*makeBike(items));
    for (auto _ : state) {
        auto bike = cogbook::readRecordFile(file);
        benchmark::DoNotOptimize(bike.get());
        // Freeing the tree is part of what opening and closing a record costs.
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items));
}
BENCHMARK(BM_ReadRecord)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Filing many children under one part at once, as reading other forms and
// pasting do: must stay linear in the number of children.
void BM_BulkFiling(benchmark::State& state) {
    const auto items = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto part = ZRBicycleList::create();
        part->setExpandable(true);
        std::vector<ZRBicycleListPtr> entries;
        entries.reserve(items);
        for (std::size_t i = 0; i < items; ++i) {
            auto entry = ZRBicycleList::create();
            entry->setCreationDate(std::to_string(i));
            entries.push_back(std::move(entry));
        }
        state.ResumeTiming();
        part->addChildrenPartsOrEntries(entries);
        benchmark::DoNotOptimize(part->numberOfChildren());
        state.PauseTiming();
        entries.clear();
        part.reset(); // freeing is not filing
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items));
}
BENCHMARK(BM_BulkFiling)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ForwardTraversal(benchmark::State& state) {
    const auto items = static_cast<std::size_t>(state.range(0));
    const auto bike = makeBike(items);
    std::size_t visited = 0;
    for (auto _ : state) {
        visited = 0;
        for (auto node = bike->prepareAsRootOfSubtree(); (node = node->nextPartOrEntry());) ++visited;
        benchmark::DoNotOptimize(visited);
    }
    if (visited + 1 != items) state.SkipWithError("the walk missed items");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items));
}
BENCHMARK(BM_ForwardTraversal)->Arg(100000)->Unit(benchmark::kMillisecond);

// The heap held by one string beyond the string object itself, as the
// allocator rounds it: short strings live inside the object.
std::size_t heapOfString(const std::string& text) {
    if (text.capacity() <= 15) return 0;
    const std::size_t request = text.capacity() + 1 + sizeof(std::size_t);
    return std::max<std::size_t>(32, (request + 15) & ~std::size_t{15});
}

void BM_NodeMemory(benchmark::State& state) {
    const auto items = static_cast<std::size_t>(state.range(0));
    double perNode = 0, beyondStrings = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const auto before = mallinfo2().uordblks;
        auto bike = makeBike(items, Shape{true});
        const auto after = mallinfo2().uordblks;
        std::size_t strings = 0;
        std::vector<const ZRBicycleList*> stack{bike.get()};
        while (!stack.empty()) {
            const ZRBicycleList* node = stack.back();
            stack.pop_back();
            for (const std::string* text : {&node->creationDate(), &node->partName(),
                                            &node->description(), &node->notes()})
                strings += heapOfString(*text);
            for (std::size_t i = 0; i < node->numberOfChildren(); ++i)
                stack.push_back(node->childAtIndex(i).get());
        }
        perNode = static_cast<double>(after - before) / static_cast<double>(items);
        beyondStrings = static_cast<double>(after - before - strings) / static_cast<double>(items);
    }
    state.counters["bytes_per_node"] = perNode;
    state.counters["bytes_per_node_beyond_strings"] = beyondStrings;
}
BENCHMARK(BM_NodeMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
