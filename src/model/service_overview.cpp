#include "model/service_overview.h"

#include <algorithm>
#include <future>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

namespace cogbook {
namespace {

constexpr std::size_t kTop = static_cast<std::size_t>(-1);

// Below this many parts and entries in the bike's first two levels the walk
// stays on one thread: starting a second costs more than such a walk.
constexpr std::size_t kItemsWorthASecondThread = 2048;

using NodeTotal = std::pair<const ZRBicycleList*, double>;

// The latest entry filed directly under a part, and its reading.
struct Latest {
    const ZRBicycleList* entry = nullptr;
    std::optional<double> odometer;
};

struct Visited {
    const ZRBicycleList* node;
    std::size_t parent; // index into the same run's VISITED; kTop for a top-level part
    Latest latest;
    double sum = 0.0;
    bool dueBelow = false;
};

// What is known of the parts and entries under a node once its own entries
// are read: the latest of them, their costs, the highest reading.
struct EntryTally {
    std::optional<double> highest;
    std::size_t costedEntries = 0;

    // Reads ENTRY, filed directly under a part whose latest entry so far is
    // LATEST and whose cost so far is SUM. Entries are read last-filed first,
    // so that among entries of one date the one filed last is the latest.
    void read(const ZRBicycleList& entry, Latest& latest, double& sum) {
        const bool later = latest.entry == nullptr || entry.date() > latest.entry->date();
        const auto& readings = entry.serviceReadings();
        if (later) latest = {&entry, readings.odometer};
        takeReading(readings.odometer);
        if (readings.cost) {
            sum += *readings.cost;
            ++costedEntries;
        }
    }
    void takeReading(std::optional<double> reading) {
        if (reading && (!highest || *reading > *highest)) highest = reading;
    }
};

// One run of the bike's top-level parts, walked on a thread of its own in a
// large record. Everything here is in outline order within the run.
struct Run {
    std::vector<Visited> visited;
    std::vector<std::pair<std::size_t, ZRBicycleList::ServiceIntervals>> withInterval;
    EntryTally tally;
    double total = 0.0;               // under the run's top-level parts
    std::vector<NodeTotal> totals;    // sorted by node
    std::vector<PartDue> states;      // of WITHINTERVAL, in the same order
    std::vector<const ZRBicycleList*> dueBelow; // sorted
    bool anythingDue = false;         // some part of the run wants service
};

// Walks ROOTS and everything below them: each part reads its own entries as
// it is visited and knows where it sits, so that totals and the marks of the
// parts above something due need no climb through parent links.
void walk(Run& run, std::span<const ZRBicycleList* const> roots, bool withStates) {
    std::vector<std::pair<const ZRBicycleList*, std::size_t>> stack;
    for (auto root = roots.rbegin(); root != roots.rend(); ++root) stack.emplace_back(*root, kTop);
    while (!stack.empty()) {
        const auto [node, parent] = stack.back();
        stack.pop_back();
        const std::size_t self = run.visited.size();
        run.visited.push_back({node, parent, {}, 0.0, false});
        if (withStates && !node->otherFields().empty()) {
            const auto intervals = node->serviceIntervals();
            if (intervals.any()) run.withInterval.emplace_back(self, intervals);
        }
        const auto& children = node->children();
        if (!children) continue;
        Visited& here = run.visited.back();
        // Backwards, so that the stack gives the parts back in order.
        for (std::size_t i = children->size(); i-- > 0;) {
            const ZRBicycleList& child = *children->at(i);
            if (child.expandable())
                stack.emplace_back(&child, self);
            else
                run.tally.read(child, here.latest, here.sum);
        }
    }
    // A part comes after every part above it: backwards, each total is whole
    // before it is added to its parent's.
    for (std::size_t i = run.visited.size(); i-- > 0;) {
        const Visited& part = run.visited[i];
        if (part.sum != 0.0) run.totals.emplace_back(part.node, part.sum);
        if (part.parent == kTop)
            run.total += part.sum;
        else
            run.visited[part.parent].sum += part.sum;
    }
    std::sort(run.totals.begin(), run.totals.end());
}

void state(Run& run, std::optional<double> currentDistance, DistanceUnit unit, std::int64_t today) {
    run.states.reserve(run.withInterval.size());
    for (const auto& [index, intervals] : run.withInterval) {
        const Visited& part = run.visited[index];
        // The tree is held by its caller; a node answers its own owner.
        PartDue due = partDueOnDay(std::const_pointer_cast<ZRBicycleList>(part.node->shared_from_this()),
                                   intervals, part.latest.entry, part.latest.odometer, currentDistance, unit, today);
        if (needsService(due.state)) {
            // Up to the first part already marked: everything above it is too.
            std::size_t up = part.parent;
            for (; up != kTop && !run.visited[up].dueBelow; up = run.visited[up].parent)
                run.visited[up].dueBelow = true;
            if (up == kTop) run.anythingDue = true;
        }
        run.states.push_back(std::move(due));
    }
    for (const Visited& part : run.visited)
        if (part.dueBelow) run.dueBelow.push_back(part.node);
    std::sort(run.dueBelow.begin(), run.dueBelow.end());
}

// FIRST on a thread of its own and SECOND on this one, both done on return;
// both here, one after the other, when no thread can be had.
template <class First, class Second> void inParallel(bool parallel, First first, Second second) {
    std::future<void> other;
    if (parallel) {
        try {
            other = std::async(std::launch::async, first);
        } catch (const std::system_error&) {
            parallel = false;
        }
    }
    if (!parallel) first();
    second();
    if (other.valid()) other.get();
}

template <class T> std::vector<T> merged(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> both;
    both.reserve(a.size() + b.size() + 1);
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both;
}

template <class T> void insertSorted(std::vector<T>& sorted, T value) {
    sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), value), std::move(value));
}

} // namespace

ServiceOverview serviceOverview(const ZRBicycleList& bike, std::optional<Date> now) {
    ServiceOverview overview;
    ServiceDueOverview& due = overview.due;
    ServiceCosts& costs = overview.costs;
    if (!bike.expandable()) {
        due.currentDistance = bike.serviceReadings().odometer;
        return overview;
    }

    // The bike's own entries here; its top-level parts in two runs of about
    // the same size, the first on a second thread when the record is large.
    EntryTally bikeTally;
    Latest bikeLatest;
    double bikeSum = 0.0;
    std::vector<const ZRBicycleList*> roots;
    std::size_t weight = 0;
    if (const auto& children = bike.children()) {
        for (std::size_t i = children->size(); i-- > 0;) {
            const ZRBicycleList& child = *children->at(i);
            if (!child.expandable()) {
                bikeTally.read(child, bikeLatest, bikeSum);
                continue;
            }
            roots.push_back(&child);
            weight += 1 + child.numberOfChildren();
        }
    }
    std::reverse(roots.begin(), roots.end());
    const bool parallel = weight >= kItemsWorthASecondThread && std::thread::hardware_concurrency() > 1;
    std::size_t split = roots.size();
    if (parallel) {
        std::size_t first = 0;
        for (split = 0; split < roots.size() && 2 * first < weight; ++split) first += 1 + roots[split]->numberOfChildren();
    }
    const std::span<const ZRBicycleList* const> all(roots);
    Run runs[2];
    const bool withStates = now.has_value();
    inParallel(
        parallel, [&] { walk(runs[0], all.first(split), withStates); },
        [&] { walk(runs[1], all.subspan(split), withStates); });

    bikeTally.takeReading(runs[0].tally.highest);
    bikeTally.takeReading(runs[1].tally.highest);
    due.currentDistance = bikeTally.highest;
    costs.costedEntries = bikeTally.costedEntries + runs[0].tally.costedEntries + runs[1].tally.costedEntries;
    bikeSum += runs[0].total + runs[1].total;
    costs.total = bikeSum;
    costs.totals_ = merged(runs[0].totals, runs[1].totals);
    if (bikeSum != 0.0) insertSorted(costs.totals_, NodeTotal(&bike, bikeSum));
    if (!now) return overview;

    const DistanceUnit unit = recordDistanceUnit(bike);
    const CivilDate day = localCivilDate(*now);
    const std::int64_t today = daysFromCivil(day.year, day.month, day.day);
    std::vector<PartDue> states;
    // The bike comes first in outline order; nothing is above it to mark.
    if (!bike.otherFields().empty()) {
        if (const auto intervals = bike.serviceIntervals(); intervals.any())
            states.push_back(partDueOnDay(std::const_pointer_cast<ZRBicycleList>(bike.shared_from_this()),
                                          intervals, bikeLatest.entry, bikeLatest.odometer, due.currentDistance,
                                          unit, today));
    }
    inParallel(
        parallel, [&] { state(runs[0], due.currentDistance, unit, today); },
        [&] { state(runs[1], due.currentDistance, unit, today); });
    due.dueBelow_ = merged(runs[0].dueBelow, runs[1].dueBelow);
    if (runs[0].anythingDue || runs[1].anythingDue) insertSorted(due.dueBelow_, &bike);

    states.reserve(states.size() + runs[0].states.size() + runs[1].states.size());
    for (Run& run : runs) std::move(run.states.begin(), run.states.end(), std::back_inserter(states));
    // Most urgent first; parts alike in urgency stay in outline order. The
    // order is found on small keys, and each state moved once.
    struct Key {
        int rank;
        double share;
        std::size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(states.size());
    for (std::size_t i = 0; i < states.size(); ++i) keys.push_back({urgencyRank(states[i].state), states[i].shareLeft, i});
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        if (a.share != b.share) return a.share < b.share;
        return a.index < b.index;
    });
    due.parts.reserve(states.size());
    due.indexOfPart_.reserve(states.size());
    for (const Key& key : keys) {
        due.indexOfPart_.emplace_back(states[key.index].part.get(), due.parts.size());
        due.parts.push_back(std::move(states[key.index]));
    }
    std::sort(due.indexOfPart_.begin(), due.indexOfPart_.end());
    return overview;
}

} // namespace cogbook
