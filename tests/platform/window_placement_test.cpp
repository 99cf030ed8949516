// Windows brought back within reach of the screens, and set down in a
// cascade.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "foundation/user_defaults.h"
#include "platform/window_frame.h"
#include "platform/window_placement.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

TEST(WindowPlacement, FramesComeBackWithinAScreenAtTheSessionsScale) {
    // A 1600×1000 screen, its bar at the top, and a second one to its right.
    const QList<QRect> screens{QRect(0, 30, 1600, 970), QRect(1600, 0, 1280, 1024)};
    struct Case {
        const char* what;
        QRect saved;
        double savedScale, scale;
        QRect expected;
    } cases[] = {
        {"inside", QRect(100, 100, 800, 600), 1, 1, QRect(100, 100, 800, 600)},
        {"under the bar", QRect(100, 0, 800, 600), 1, 1, QRect(100, 30, 800, 600)},
        {"partly off the right", QRect(1000, 100, 800, 600), 1, 1, QRect(800, 100, 800, 600)},
        {"mostly on the second", QRect(2000, 900, 800, 600), 1, 1, QRect(2000, 424, 800, 600)},
        {"off every screen", QRect(-5000, 9000, 800, 600), 1, 1, QRect(0, 400, 800, 600)},
        {"larger than the screen", QRect(50, 50, 2000, 1200), 1, 1, QRect(0, 30, 1600, 970)},
        {"saved at 2", QRect(100, 50, 700, 450), 2, 1, QRect(200, 100, 1400, 900)},
        {"saved at 1, shown at 2", QRect(200, 100, 1400, 900), 1, 2, QRect(100, 50, 700, 450)},
        {"a scale no session has", QRect(100, 100, 800, 600), 0, 1, QRect(100, 100, 800, 600)},
    };
    for (const Case& c : cases) {
        // Shown at 2, the screens are half as large in window coordinates.
        QList<QRect> areas;
        for (const QRect& screen : screens)
            areas << QRect(screen.topLeft() / c.scale, screen.size() / c.scale);
        EXPECT_EQ(frameForScreens(c.saved, c.savedScale, c.scale, areas, 0), c.expected) << c.what;
    }
}

TEST(WindowPlacement, ATitleBarDownAndRightWrappingInsideTheScreen) {
    const QRect area(0, 30, 1600, 970);
    EXPECT_EQ(cascadedTopLeft(QRect(100, 100, 800, 600), QSize(800, 600), 24, area), QPoint(124, 124));
    EXPECT_EQ(cascadedTopLeft(QRect(790, 100, 800, 600), QSize(800, 600), 24, area), QPoint(0, 124));
    EXPECT_EQ(cascadedTopLeft(QRect(100, 380, 800, 600), QSize(800, 600), 24, area), QPoint(124, 30));
}

TEST(WindowPlacement, SavedFramesKeepTheirScale) {
    test_support::ScratchDefaults defaults;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_DOUBLE_EQ(sessionScale(), 1.0);
    EXPECT_EQ(stringFromFrame(QRect(10, 20, 300, 200), 2), "10 20 300 200 @2");
    const SavedFrame saved = savedFrameFromString("10 20 300 200 @1.5");
    EXPECT_EQ(saved.frame, QRect(10, 20, 300, 200));
    EXPECT_DOUBLE_EQ(saved.scale, 1.5);
    EXPECT_EQ(frameFromString(stringFromFrame(QRect(40, 30, 800, 500))), QRect(40, 30, 800, 500));
    for (const char* bad : {"", "1 2 3", "a b c d", "0 0 20 20", "0 0 800 500 9", "10 20 300 200 @",
                            "10 20 300 200 @-2", "10 20 300 200 @x", "10 20 300 @2"}) {
        EXPECT_FALSE(savedFrameFromString(bad).frame.isValid()) << bad;
    }

    // A small frame kept by a session at scale 2 comes back twice as large,
    // and one from a screen that is gone comes back onto this one.
    QWidget window;
    UserDefaults& store = UserDefaults::standardUserDefaults();
    store.setObjectForKey(PlistValue(stringFromFrame(QRect(available.topLeft() / 2, QSize(150, 120)), 2).toStdString()),
                          "Frame");
    ASSERT_TRUE(setFrameUsingName(&window, "Frame"));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(available.topLeft(), QSize(300, 240)));
    store.setObjectForKey(PlistValue("90000 90000 640 420"), "Frame");
    ASSERT_TRUE(setFrameUsingName(&window, "Frame"));
    EXPECT_TRUE(available.contains(QRect(window.pos(), window.size()))) << window.pos().x() << "," << window.pos().y();

    // What the window has now is what is kept.
    window.resize(700, 450);
    saveFrameUsingName(&window, "Frame");
    EXPECT_EQ(savedFrameFromString(QString::fromStdString(store.stringForKey("Frame"))).frame.size(), QSize(700, 450));
}

} // namespace
} // namespace cogbook
