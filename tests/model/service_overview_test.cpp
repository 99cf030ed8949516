// The overview of a record large enough to be worked out on two threads,
// against each part stated on its own and each total summed by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "model/service_overview.h"
#include "support/scoped_time_zone.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::part;

constexpr double kDay = 86400.0;
const Date kNow(8e8);

// Parts several levels deep with entries between them, some intervals, some
// costs (refunds among them) and readings, and entries sharing a date.
ZRBicycleListPtr irregularBike(std::mt19937& rng) {
    auto pick = [&](int below) { return static_cast<int>(rng() % static_cast<unsigned>(below)); };
    auto newEntry = [&] {
        auto made = entry("Work", "Done", Date(kNow.timeIntervalSinceReferenceDate() - pick(400) * kDay));
        if (pick(3) > 0) made->setCost(pick(9) == 0 ? -5.0 : pick(200) + 0.25);
        if (pick(2) == 0) made->setOdometer(pick(20000));
        return made;
    };
    auto newPart = [&](auto& self, int depth) -> ZRBicycleListPtr {
        auto made = part("Part");
        if (pick(2) == 0) made->setServiceIntervalDays(std::vector<int>{10, 30, 365}[static_cast<std::size_t>(pick(3))]);
        if (pick(3) == 0) made->setServiceIntervalDistance(pick(2) == 0 ? 500.0 : 3000.0);
        const int children = pick(depth == 0 ? 60 : 10);
        for (int i = 0; i < children; ++i)
            made->addChildPartOrEntry(depth < 3 && pick(4) == 0 ? self(self, depth + 1) : newEntry());
        return made;
    };
    auto bike = part("Bike");
    bike->setServiceIntervalDays(90);
    bike->addChildPartOrEntry(newEntry());
    for (int i = 0; i < 100; ++i) bike->addChildPartOrEntry(newPart(newPart, 0));
    bike->addChildPartOrEntry(newEntry());
    return bike;
}

void forEachNode(const ZRBicycleListPtr& node, const std::function<void(const ZRBicycleListPtr&)>& visit) {
    visit(node);
    if (const auto& children = node->children())
        for (const auto& child : *children) forEachNode(child, visit);
}

TEST(ServiceOverview, ALargeRecordAgreesWithEachPartWorkedOutAlone) {
    test_support::ScopedTimeZone zone("Europe/Berlin");
    // The last record has one part due, at the very end: what marks the bike
    // must come from the run that holds it.
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        const auto bike = irregularBike(rng);
        if (seed == 4) {
            forEachNode(bike, [](const ZRBicycleListPtr& node) {
                node->setServiceIntervalDays(std::nullopt);
                node->setServiceIntervalDistance(std::nullopt);
            });
            auto never = part("Never serviced");
            never->setServiceIntervalDays(30);
            bike->childAtIndex(bike->numberOfChildren() - 2)->addChildPartOrEntry(never);
        }

        std::vector<ZRBicycleListPtr> outline;
        std::optional<double> highest;
        std::size_t costed = 0;
        forEachNode(bike, [&](const ZRBicycleListPtr& node) {
            outline.push_back(node);
            if (node->expandable()) return;
            if (const auto reading = node->odometer(); reading && (!highest || *reading > *highest)) highest = reading;
            costed += node->cost().has_value();
        });
        ASSERT_GT(outline.size(), 5000u); // large enough for the second thread

        const auto overview = serviceOverview(*bike, kNow);
        EXPECT_EQ(overview.due.currentDistance, highest);
        EXPECT_EQ(overview.costs.costedEntries, costed);

        std::function<double(const ZRBicycleListPtr&)> sumBelow = [&](const ZRBicycleListPtr& node) {
            if (!node->expandable()) return node->cost().value_or(0.0);
            double sum = 0.0;
            if (const auto& children = node->children())
                for (const auto& child : *children) sum += sumBelow(child);
            return sum;
        };
        std::function<bool(const ZRBicycleListPtr&)> dueBelow = [&](const ZRBicycleListPtr& node) {
            if (const auto& children = node->children())
                for (const auto& child : *children) {
                    if (!child->expandable()) continue;
                    if (child->hasServiceInterval() && needsService(partDue(child, highest, DistanceUnit::kilometres, kNow).state))
                        return true;
                    if (dueBelow(child)) return true;
                }
            return false;
        };

        std::vector<PartDue> alone;
        for (const auto& node : outline) {
            if (!node->expandable()) continue;
            EXPECT_NEAR(overview.costs.totalOf(*node), sumBelow(node), 1e-6);
            EXPECT_EQ(overview.due.hasDueBelow(*node), dueBelow(node));
            if (node->hasServiceInterval()) alone.push_back(partDue(node, highest, DistanceUnit::kilometres, kNow));
        }
        EXPECT_NEAR(overview.costs.total, sumBelow(bike), 1e-6);

        // Most urgent first, and parts alike in urgency in outline order.
        std::stable_sort(alone.begin(), alone.end(), [](const PartDue& a, const PartDue& b) {
            if (urgencyRank(a.state) != urgencyRank(b.state)) return urgencyRank(a.state) < urgencyRank(b.state);
            return a.shareLeft < b.shareLeft;
        });
        ASSERT_EQ(overview.due.parts.size(), alone.size());
        for (std::size_t i = 0; i < alone.size(); ++i) {
            const PartDue& listed = overview.due.parts[i];
            ASSERT_EQ(listed.part, alone[i].part) << "at " << i;
            EXPECT_EQ(listed.state, alone[i].state);
            EXPECT_EQ(listed.text, alone[i].text);
            EXPECT_EQ(listed.lastService, alone[i].lastService);
            EXPECT_EQ(listed.lastOdometer, alone[i].lastOdometer);
            EXPECT_EQ(overview.due.find(*listed.part), &listed);
        }
    }
}

} // namespace
} // namespace cogbook
