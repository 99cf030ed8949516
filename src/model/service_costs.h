// What the bike has cost: each part's total over its entries and everything
// below it, the bike's total, and the totals by year.
#pragma once

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/date.h"
#include "model/ZRBicycleList.h"

namespace cogbook {

struct ServiceOverview;

struct ServiceCosts {
    // The total under NODE (a part or the bike: its entries and everything
    // below; an entry: its own cost). 0 for a node outside the tree.
    double totalOf(const ZRBicycleList& node) const;
    // The total of the whole tree.
    double total = 0.0;
    // How many entries carry a cost: a total of 0 over none is no total.
    std::size_t costedEntries = 0;

private:
    friend ServiceOverview serviceOverview(const ZRBicycleList& bike, std::optional<Date> now);
    // The parts with a cost below, sorted by node.
    std::vector<std::pair<const ZRBicycleList*, double>> totals_;
};

ServiceCosts serviceCosts(const ZRBicycleList& bike);

// The costs of the entries below NODE by the year of their date (local time).
std::map<long long, double> costsByYear(const ZRBicycleList& node);

// The calendar day of DATE in local time.
CivilDate localCivilDate(Date date);

} // namespace cogbook
