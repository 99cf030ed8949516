// The names, document type and icon the program hands the desktop match what it ships.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include "app/identity.h"
#include "app_test_support.h"
#include "platform/images.h"

namespace cogbook {
namespace {

QString shipped(const std::string& name) { return QString::fromStdString(test::readText(test::resource(name))); }

TEST(appIdentity, AgreesWithTheDesktopEntryTheMimeTypeAndTheRunningProgram) {
    const ApplicationIdentity identity = cogbookIdentity();
    const QString desktop = shipped(identity.desktopFileName.toStdString() + ".desktop");
    ASSERT_FALSE(desktop.isEmpty()) << "no desktop entry named after the desktop file name";
    EXPECT_TRUE(desktop.contains("\nName=" + identity.displayName + "\n"));
    EXPECT_TRUE(desktop.contains("\nIcon=" + identity.iconName + "\n"));
    EXPECT_TRUE(desktop.contains("\nMimeType=" + identity.documentType.mimeType + ";"));

    const QString mime = shipped("cogbook-mime.xml");
    EXPECT_TRUE(mime.contains("<mime-type type=\"" + identity.documentType.mimeType + "\">"));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*." + identity.documentType.extension + "\""));
    EXPECT_EQ(identity.documentType.extension, kRecordFileExtension);

    // Handed in, it names the program, its icon and its files.
    const ApplicationIdentity previous = applicationIdentity();
    setApplicationIdentity(identity);
    EXPECT_EQ(QCoreApplication::applicationName(), "Cogbook");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Cogbook");
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
    const auto icon = imageNamed(applicationIdentity().iconName);
    ASSERT_NE(icon, nullptr);
    EXPECT_GE(icon->size().width(), 64);
    EXPECT_EQ(icon->size().width(), icon->size().height());
    EXPECT_TRUE(documentFileFilter().startsWith("Cogbook records (*.cogbook)"));
    setApplicationIdentity(previous);
}

} // namespace
} // namespace cogbook
