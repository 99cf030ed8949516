#include "model/service_costs.h"

#include "model/service_overview.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace cogbook {

double ServiceCosts::totalOf(const ZRBicycleList& node) const {
    if (!node.expandable()) return node.cost().value_or(0.0);
    const auto found = std::lower_bound(totals_.begin(), totals_.end(), &node,
                                        [](const auto& entry, const ZRBicycleList* part) { return entry.first < part; });
    return found == totals_.end() || found->first != &node ? 0.0 : found->second;
}

ServiceCosts serviceCosts(const ZRBicycleList& bike) { return serviceOverview(bike, std::nullopt).costs; }

CivilDate localCivilDate(Date date) {
    const double seconds = std::floor(date.unixSeconds());
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) return civilFromDays(static_cast<long long>(std::floor(seconds / 86400)));
    return {local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday)};
}

std::map<long long, double> costsByYear(const ZRBicycleList& node) {
    std::map<long long, double> years;
    std::vector<const ZRBicycleList*> stack{&node};
    while (!stack.empty()) {
        const ZRBicycleList* at = stack.back();
        stack.pop_back();
        if (!at->expandable()) {
            if (const auto cost = at->cost()) years[localCivilDate(at->date()).year] += *cost;
        }
        if (const auto& children = at->children())
            for (const auto& child : *children) stack.push_back(child.get());
    }
    return years;
}

} // namespace cogbook
