#include "model/service_overview.h"

#include <algorithm>
#include <vector>

namespace cogbook {

ServiceOverview serviceOverview(const ZRBicycleList& bike, std::optional<Date> now) {
    ServiceOverview overview;
    ServiceDueOverview& due = overview.due;
    ServiceCosts& costs = overview.costs;

    // One walk in outline order over the parts; each part reads its own
    // entries as it is visited (their costs, their readings, the latest of
    // them), and knows where it sits, so that totals and the marks of the
    // parts above something due need no climb through parent links.
    struct Visited {
        const ZRBicycleList* node;
        std::size_t parent; // index into VISITED
        const ZRBicycleList* latest = nullptr;
        double sum = 0.0;
    };
    constexpr std::size_t kTop = static_cast<std::size_t>(-1);
    std::vector<Visited> visited;
    std::vector<std::size_t> withInterval; // indices into VISITED, in outline order
    auto takeReading = [&](std::optional<double> reading) {
        if (reading && (!due.currentDistance || *reading > *due.currentDistance)) due.currentDistance = reading;
    };
    if (!bike.expandable() && !bike.otherFields().empty()) takeReading(bike.serviceReadings().odometer);

    std::vector<std::pair<const ZRBicycleList*, std::size_t>> stack;
    if (bike.expandable()) stack.emplace_back(&bike, kTop);
    while (!stack.empty()) {
        const auto [node, parent] = stack.back();
        stack.pop_back();
        const std::size_t self = visited.size();
        visited.push_back({node, parent});
        if (now && !node->otherFields().empty() && node->hasServiceInterval()) withInterval.push_back(self);
        const auto& children = node->children();
        if (!children) continue;
        Visited& here = visited.back();
        // Backwards, so that the stack gives the parts back in order; among
        // entries of one date the one filed last is the latest.
        for (std::size_t i = children->size(); i-- > 0;) {
            const ZRBicycleList& child = *children->at(i);
            if (child.expandable()) {
                stack.emplace_back(&child, self);
                continue;
            }
            if (here.latest == nullptr || child.date() > here.latest->date()) here.latest = &child;
            if (child.otherFields().empty()) continue;
            const auto readings = child.serviceReadings();
            takeReading(readings.odometer);
            if (readings.cost) {
                here.sum += *readings.cost;
                ++costs.costedEntries;
            }
        }
    }

    // A part comes after every part above it: backwards, each total is whole
    // before it is added to its parent's.
    costs.totals_.reserve(visited.size());
    for (std::size_t i = visited.size(); i-- > 0;) {
        const Visited& part = visited[i];
        if (part.sum != 0.0) costs.totals_.emplace(part.node, part.sum);
        if (part.parent != kTop) visited[part.parent].sum += part.sum;
    }
    if (!visited.empty()) costs.total = visited.front().sum;
    if (!now) return overview;

    const DistanceUnit unit = recordDistanceUnit(bike);
    std::vector<PartDue> states;
    states.reserve(withInterval.size());
    for (std::size_t index : withInterval) {
        const Visited& part = visited[index];
        // The tree is held by its caller; a node answers its own owner.
        PartDue state = partDueSince(std::const_pointer_cast<ZRBicycleList>(part.node->shared_from_this()),
                                     part.latest, due.currentDistance, unit, *now);
        if (needsService(state.state)) {
            for (std::size_t up = part.parent; up != kTop; up = visited[up].parent)
                if (!due.dueBelow_.insert(visited[up].node).second) break;
        }
        states.push_back(std::move(state));
    }
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
    for (const Key& key : keys) due.parts.push_back(std::move(states[key.index]));
    due.indexOfPart_.reserve(due.parts.size());
    for (std::size_t i = 0; i < due.parts.size(); ++i) due.indexOfPart_.emplace(due.parts[i].part.get(), i);
    return overview;
}

} // namespace cogbook
