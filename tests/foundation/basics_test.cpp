// Dates, notifications, assertions and the process hooks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/date.h"
#include "foundation/exceptions.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"
#include "support/scoped_time_zone.h"

namespace cogbook {
namespace {

using InTimeZone = test_support::ScopedTimeZone;

TEST(Dates, DescriptionIsLocalTimeWithOffset) {
    using Zone = std::tuple<const char*, const char*, const char*>; // name, a winter date, summer offset
    for (const auto& [zone, winter, summer] : {Zone{"UTC", "2001-01-01 00:00:00 +0000", "+0000"},
                                               Zone{"Europe/Berlin", "2001-01-01 01:00:00 +0100", "+0200"},
                                               Zone{"America/New_York", "2000-12-31 19:00:00 -0500", "-0400"}}) {
        InTimeZone inZone(zone);
        EXPECT_EQ(Date(0).description(), winter);
        EXPECT_EQ(Date(15552000).description().substr(20), summer);
    }
    // Out-of-range and non-finite values still give a well-formed text.
    EXPECT_EQ(Date(1e300).description().size(), 25u);
    EXPECT_EQ(Date(std::numeric_limits<double>::quiet_NaN()).description().size(), 25u);
    EXPECT_FALSE(Date(1e300).isRepresentable());
    EXPECT_TRUE(Date(0).isRepresentable());
}

TEST(Dates, Iso8601RoundTripsToTheMicrosecond) {
    EXPECT_EQ(Date(0).iso8601(), "2001-01-01T00:00:00.000000Z");
    EXPECT_EQ(Date(-0.5).iso8601(), "2000-12-31T23:59:59.500000Z");
    EXPECT_EQ(Date::fromISO8601("2025-03-01T09:30:00.123456Z")->iso8601(), "2025-03-01T09:30:00.123456Z");
    for (double s : {7.8e8 + 0.999999, -3e9 + 0.000001, 2.5e11 - 0.25, 123456789.654321}) {
        const std::string text = Date(s).iso8601();
        const auto back = Date::fromISO8601(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->iso8601(), text);
        EXPECT_NEAR(back->timeIntervalSinceReferenceDate(), s, 1e-6);
    }
    EXPECT_EQ(Date::fromISO8601("2025-03-01T10:30:00+01:00")->iso8601(), "2025-03-01T09:30:00.000000Z");
    EXPECT_EQ(Date::fromISO8601("2025-03-01T08:00:00-0130")->iso8601(), "2025-03-01T09:30:00.000000Z");
    for (const char* bad : {"", "2025-02-29T00:00:00Z", "2025-13-01T00:00:00Z", "2025-03-01 09:30:00Z",
                            "2025-03-01T24:00:00Z", "2025-03-01T09:30:00", "2025-03-01T09:30:00.Z",
                            "2025-03-01T09:30:00Zjunk", "0000-01-01T00:00:00Z"})
        EXPECT_FALSE(Date::fromISO8601(bad)) << bad;
    EXPECT_TRUE(Date::fromISO8601("2024-02-29T00:00:00Z"));
}

TEST(Dates, LaterDateAndCalendarArithmetic) {
    EXPECT_EQ(Date(1).laterDate(Date(2)), Date(2));
    EXPECT_EQ(Date(3).laterDate(Date(2)), Date(3));
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(2001, 1, 1) * 86400, static_cast<long long>(Date::kUnixEpochOffset));
    for (long long days : {-719468LL, -1LL, 0LL, 11016LL, 2932896LL}) {
        const CivilDate c = civilFromDays(days);
        EXPECT_EQ(daysFromCivil(c.year, c.month, c.day), days);
    }
}

TEST(Notifications, DeliverByNameAndSenderInRegistrationOrder) {
    NotificationCenter center;
    int a = 0, b = 0, c = 0, sender = 0, other = 0;
    std::vector<std::string> calls;
    center.addObserver(&a, "ping", &sender, [&](const Notification&) { calls.push_back("a"); });
    center.addObserver(&b, "", nullptr, [&](const Notification& n) { calls.push_back("b:" + std::string(n.name)); });
    center.postNotificationName("ping", &sender);
    center.postNotificationName("ping", &other);
    center.postNotificationName("pong", &sender);
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b:ping", "b:ping", "b:pong"}));
    // Removing by name takes only the registrations made for that name.
    center.addObserver(&c, "pong", nullptr, [&](const Notification&) { calls.push_back("c"); });
    center.removeObserver(&c, "pong", nullptr);
    center.removeObserver(&b, "pong", nullptr);
    center.postNotificationName("pong", &other);
    EXPECT_EQ(calls.back(), "b:pong");
    EXPECT_EQ(calls.size(), 5u);
    center.removeObserver(&b);
    center.postNotificationName("ping", &other);
    EXPECT_EQ(calls.size(), 5u);
}

TEST(Notifications, ObserversMayRemoveThemselvesAndOthersDuringDelivery) {
    NotificationCenter center;
    int first = 0, second = 0, third = 0, late = 0;
    std::vector<std::string> calls;
    center.addObserver(&first, "x", nullptr, [&](const Notification&) {
        calls.push_back("first");
        center.removeObserver(&first);
        center.removeObserver(&second);
        center.addObserver(&late, "x", nullptr, [&](const Notification&) { calls.push_back("late"); });
    });
    center.addObserver(&second, "x", nullptr, [&](const Notification&) { calls.push_back("second"); });
    center.addObserver(&third, "x", nullptr, [&](const Notification&) { calls.push_back("third"); });
    center.postNotificationName("x", nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "third"}));
    center.postNotificationName("x", nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "third", "third", "late"}));
    EXPECT_EQ(center.observerCount(), 2u);
}

TEST(Assertions, ReportToTheLogAndThrowNamingWhereTheyFailed) {
    std::string logged;
    auto previous = setLogHook([&](std::string_view m) { logged += m; });
    int object = 0;
    try {
        AssertionHandler::currentHandler().handleFailureInMethod("doThing:", &object, "MyDocument", 42, "went wrong");
        ADD_FAILURE() << "must throw";
    } catch (const InternalInconsistencyException& e) {
        EXPECT_EQ(e.method() + " " + e.file() + ":" + std::to_string(e.line()) + " " + e.description(),
                  "doThing: MyDocument:42 went wrong");
    }
    EXPECT_THAT(logged, ::testing::MatchesRegex(".*doThing:.*MyDocument:42.*went wrong.*"));
    // Without a file and line, those of the caller.
    int line = 0;
    try {
        line = __LINE__, AssertionHandler::currentHandler().handleFailureInMethod("doThing:", &object, "went wrong");
        ADD_FAILURE() << "must throw";
    } catch (const InternalInconsistencyException& e) {
        EXPECT_THAT(e.file(), ::testing::EndsWith("tests/foundation/basics_test.cpp"));
        EXPECT_EQ(e.line(), line);
        EXPECT_EQ(e.description(), "went wrong");
    }
    // A failure inside the foundation names its file from the layer on.
    UndoManager undo;
    try {
        undo.endUndoGrouping();
        ADD_FAILURE() << "must throw";
    } catch (const InternalInconsistencyException& e) {
        EXPECT_EQ(e.file(), "foundation/undo_manager.cpp");
        EXPECT_GT(e.line(), 0);
    }
    setLogHook(previous);
}

TEST(Hooks, DeferredActionsRunLaterInOrderIncludingNestedOnes) {
    std::vector<int> ran;
    performDeferred([&] {
        ran.push_back(1);
        performDeferred([&] { ran.push_back(3); });
    });
    performDeferred([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());
    runDeferredActions();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

} // namespace
} // namespace cogbook
