// What is due, what it cost, and the service log, over small trees whose
// dates are counted back from a fixed now.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/service_costs.h"
#include "model/service_due.h"
#include "model/service_log.h"
#include "support/scoped_time_zone.h"
#include "tree_helpers.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::part;

constexpr double kDay = 86400.0;
const Date kNow(8e8);

Date daysAgo(double days) { return Date(kNow.timeIntervalSinceReferenceDate() - days * kDay); }

ZRBicycleListPtr serviced(double ago, std::optional<double> odometer = std::nullopt, std::optional<double> cost = {}) {
    auto made = entry("Chain", "Serviced", daysAgo(ago));
    made->setOdometer(odometer);
    made->setCost(cost);
    return made;
}

struct DueCase {
    const char* name;
    std::optional<std::int64_t> days;
    std::optional<double> distance;
    std::vector<std::pair<double, std::optional<double>>> entries; // days ago, reading
    std::optional<double> readingElsewhere;                          // on an entry of another part
    DueState state;
    std::string text;
};

TEST(ServiceDue, EachPartAtTheBoundaries) {
    test_support::ScopedTimeZone zone("Europe/Berlin");
    const std::vector<DueCase> cases = {
        {"exactly at the interval", 30, {}, {{30, {}}}, {}, DueState::due, "due today"},
        {"a day past it", 30, {}, {{31, {}}}, {}, DueState::overdue, "overdue by 1 day"},
        // Now is a morning in Berlin: half a day ago was yesterday evening.
        {"days are calendar days", 30, {}, {{0.5, {}}}, {}, DueState::ok, "in 29 days"},
        {"a tenth before it", 30, {}, {{27, {}}}, {}, DueState::soon, "in 3 days"},
        {"just before the last tenth", 30, {}, {{26, {}}}, {}, DueState::ok, "in 4 days"},
        {"the latest entry counts, not the last filed", 30, {}, {{2, {}}, {40, {}}}, {}, DueState::ok, "in 28 days"},
        {"of two on one day, the one filed last", {}, 3000.0, {{5, 1000.0}, {5, 2000.0}}, {}, DueState::ok, "in 3000 km"},
        {"no entry yet", 30, 3000.0, {}, {}, DueState::due, "never serviced"},
        {"distance exactly reached", {}, 3000.0, {{1, 1000.0}}, 4000.0, DueState::due, "due now"},
        {"distance in its last tenth", {}, 3000.0, {{1, 1000.0}}, 3700.0, DueState::soon, "in 300 km"},
        {"distance past", {}, 3000.0, {{1, 1000.0}}, 4125.0, DueState::overdue, "overdue by 125 km"},
        {"the entry's own reading is the highest", {}, 3000.0, {{1, 1000.0}}, {}, DueState::ok, "in 3000 km"},
        {"no reading on the last service", {}, 3000.0, {{1, {}}}, 5000.0, DueState::unknown, "no odometer reading"},
        {"no readings at all, days still count", 30, 3000.0, {{31, {}}}, {}, DueState::overdue, "overdue by 1 day"},
        {"the nearer of two measures", 365, 3000.0, {{10, 0.0}}, 2660.0, DueState::ok, "in 340 km"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ZRBicycleListPtr> entries;
        for (const auto& [ago, reading] : c.entries) entries.push_back(serviced(ago, reading));
        auto chain = part("Chain", entries);
        chain->setServiceIntervalDays(c.days);
        chain->setServiceIntervalDistance(c.distance);
        auto other = part("Tyre");
        if (c.readingElsewhere) other->addChildPartOrEntry(serviced(100, c.readingElsewhere));
        auto bike = part("Bike", {chain, other});

        const auto overview = serviceDueOverview(*bike, kNow);
        ASSERT_EQ(overview.parts.size(), 1u);
        const PartDue* due = overview.find(*chain);
        ASSERT_NE(due, nullptr);
        EXPECT_EQ(due->state, c.state);
        EXPECT_EQ(due->text, c.text);
    }
}

TEST(ServiceDue, ListsMostUrgentFirstAndMarksWhatHoldsOverdueParts) {
    // The rear wheel's own entry is old; only its subpart was serviced lately,
    // and that does not count for the wheel.
    auto tyre = part("Tyre", {serviced(1)});
    auto wheel = part("Rear wheel", {serviced(50), tyre});
    auto chain = part("Chain", {serviced(20, 100.0)});
    auto pads = part("Pads");
    auto bike = part("Bike", {part("Drivetrain", {chain}), wheel, pads, entry("Bike", "Fitting")});
    bike->childAtIndex(3)->setOdometer(2500.0);
    wheel->setServiceIntervalDays(40);
    tyre->setServiceIntervalDays(100);
    chain->setServiceIntervalDistance(2500);
    pads->setServiceIntervalDays(10);

    const auto overview = serviceDueOverview(*bike, kNow);
    EXPECT_EQ(overview.currentDistance, 2500.0);
    std::vector<std::string> order;
    for (const auto& due : overview.parts) order.push_back(due.part->partName() + ": " + due.text);
    EXPECT_EQ(order, (std::vector<std::string>{"Rear wheel: overdue by 10 days", "Pads: never serviced",
                                               "Chain: in 100 km", "Tyre: in 99 days"}));
    EXPECT_EQ(overview.dueCount(), 2u);
    EXPECT_TRUE(overview.hasDueBelow(*bike));
    EXPECT_FALSE(overview.hasDueBelow(*wheel)); // the wheel itself is due; nothing below it
    EXPECT_FALSE(overview.hasDueBelow(*bike->childAtIndex(0)));
    EXPECT_EQ(overview.find(*bike->childAtIndex(0)), nullptr);
}

TEST(ServiceCosts, TotalsPerPartAndYear) {
    test_support::ScopedTimeZone zone("Europe/Berlin");
    auto chain = part("Chain", {serviced(1, {}, 30.0), serviced(2)});
    auto lateInYear = entry("Bike", "New year's eve ride", *Date::fromISO8601("2024-12-31T23:30:00Z"));
    lateInYear->setCost(5.0);
    auto early = entry("Bike", "Fitting", *Date::fromISO8601("2024-06-01T10:00:00Z"));
    early->setCost(100.25);
    auto drivetrain = part("Drivetrain", {chain, part("Cassette")});
    auto bike = part("Bike", {drivetrain, lateInYear, early});

    const auto costs = serviceCosts(*bike);
    EXPECT_EQ(costs.totalOf(*chain), 30.0);
    EXPECT_EQ(costs.totalOf(*drivetrain), 30.0);
    EXPECT_EQ(costs.totalOf(*drivetrain->childAtIndex(1)), 0.0);
    EXPECT_EQ(costs.totalOf(*early), 100.25);
    EXPECT_EQ(costs.total, 135.25);
    EXPECT_EQ(costs.totalOf(*bike), 135.25);
    EXPECT_EQ(costs.costedEntries, 3u);
    // In Berlin the last half hour of 2024 in UTC is already 2025.
    const auto years = costsByYear(*bike);
    EXPECT_EQ(years.at(2024), 100.25);
    EXPECT_EQ(years.at(2025), 5.0);
    EXPECT_EQ(costsByYear(*drivetrain).size(), 1u);
}

TEST(ServiceLog, OneRowPerEntryNewestFirstWithItsPartPath) {
    auto tyre = part("Tyre", {entry("Tyre", "Patched", daysAgo(3), "Front valve\nsecond line")});
    auto bike = part("Bike", {part("Rear wheel", {tyre, entry("Rear wheel", "Trued", daysAgo(1))}),
                              entry("Bike", "Washed", daysAgo(2)), entry("Bike", "Same day", daysAgo(2))});
    tyre->childAtIndex(0)->setCost(4.5);

    std::vector<std::string> rows;
    for (const auto& row : serviceLogRows(*bike))
        rows.push_back(row.description + "|" + row.partPath + "|" + row.notesFirstLine + "|" +
                       (row.cost ? std::to_string(*row.cost) : "-"));
    EXPECT_EQ(rows, (std::vector<std::string>{"Trued|Rear wheel||-", "Washed|||-", "Same day|||-",
                                              "Patched|Rear wheel › Tyre|Front valve|4.500000"}));
    EXPECT_EQ(partPath(*bike), "");
}

} // namespace
} // namespace cogbook
