// The main of the test programs that open windows: one application for the
// whole run, with the program's own event-loop boundary, off screen unless a
// display is asked for, and user defaults in a scratch folder so that no test
// reads or writes the user's own.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>

#include "platform/application.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    if (!config.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());

    testing::InitGoogleTest(&argc, argv);
    cogbook::Application application(argc, argv);
    return RUN_ALL_TESTS();
}
