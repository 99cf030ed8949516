// Opening a file that holds no record: one plain sentence naming the file,
// the technical reason behind the message box's details.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/controller_fixture.h"
#include "app/identity.h"
#include "app_test_support.h"
#include "model/record_file.h"
#include "platform/application_identity.h"
#include "support/gui_support.h"
#include "support/tree_builder.h"

namespace cogbook {
namespace {

class OpenRefusalTest : public test_support::ControllerTest {
protected:
    void SetUp() override {
        setApplicationIdentity(cogbookIdentity());
        ControllerTest::SetUp();
    }
    void TearDown() override {
        ControllerTest::TearDown();
        setApplicationIdentity(previous);
    }
    QString write(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString path = defaults.filePath(name);
        test::writeFile(path.toStdString(), bytes);
        return path;
    }

    const ApplicationIdentity previous = applicationIdentity();
};

TEST_F(OpenRefusalTest, WhatIsNoRecordIsSaidPlainlyWithTheReasonAsDetail) {
    const std::string text = "Tyres: 4.5 bar front\n";
    const QString notes = write(QStringLiteral("notes.txt"), std::vector<std::uint8_t>(text.begin(), text.end()));
    // A record's archive, but of two loose parts rather than a bike.
    const QString parts = write(QStringLiteral("parts.cogbook"),
                                archiveNodes({test_support::part("Fork"), test_support::part("Chain")}));
    const QString missing = defaults.filePath(QStringLiteral("missing.cogbook"));

    for (const QString& path : {notes, parts, missing}) EXPECT_EQ(controller->openDocumentWithContentsOfFile(path), nullptr);
    EXPECT_TRUE(controller->orderedDocuments().empty());
    ASSERT_EQ(alerts.messages.size(), 3u);
    EXPECT_EQ(alerts.messages[0].text, "“notes.txt” is not a Cogbook record.");
    EXPECT_TRUE(alerts.messages[0].detail.startsWith(notes + ": ")) << alerts.messages[0].detail.toStdString();
    EXPECT_TRUE(alerts.messages[0].detail.contains("not a keyed archive")) << alerts.messages[0].detail.toStdString();
    EXPECT_EQ(alerts.messages[1].text, "“parts.cogbook” is not a Cogbook record.");
    EXPECT_GT(alerts.messages[1].detail.size(), parts.size() + 2) << "the reason follows the path";
    // A file that cannot be read at all is another matter.
    EXPECT_EQ(alerts.messages[2].text, "The file “missing.cogbook” could not be opened.");

    // The real message box keeps the reason behind its details.
    const AlertHooks scripted = setAlertHooks({});
    QString shown, informative, detailed;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shown = box->text();
        informative = box->informativeText();
        detailed = box->detailedText();
        box->accept();
    });
    controller->openDocumentWithContentsOfFile(notes);
    setAlertHooks(scripted);
    EXPECT_EQ(shown, "“notes.txt” is not a Cogbook record.");
    EXPECT_TRUE(informative.isEmpty());
    EXPECT_TRUE(detailed.startsWith(notes + ": ")) << detailed.toStdString();
}

} // namespace
} // namespace cogbook
