// What is due and what the bike has cost, from one walk of the tree: what a
// window that shows both wants after each change of a large record.
#pragma once

#include <optional>

#include "foundation/date.h"
#include "model/service_costs.h"
#include "model/service_due.h"

namespace cogbook {

struct ServiceOverview {
    ServiceDueOverview due;
    ServiceCosts costs;
};

// The state of every part with an interval below BIKE as of NOW (left empty
// without NOW: the readings and costs only), and every total.
ServiceOverview serviceOverview(const ZRBicycleList& bike, std::optional<Date> now);

} // namespace cogbook
