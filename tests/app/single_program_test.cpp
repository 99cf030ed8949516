// One program per session: this process plays the running one, or real programs race.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include "app/ZRSWDocumentController.h"
#include "model/record_file.h"
#include "platform/single_instance.h"
#include "support/gui_support.h"
#include "support/scoped_variable.h"
#include "app_test_support.h"

namespace cogbook {
namespace {

constexpr int kProgramTimeoutMilliseconds = 60000;

class SingleProgramTest : public testing::Test {
protected:
    void TearDown() override {
        for (auto& program : programs_) {
            if (program->state() != QProcess::NotRunning) {
                program->kill();
                program->waitForFinished(5000);
            }
        }
        if (controller) test_support::closeAllDocuments(*controller);
    }

    // A program started in this test's session, off screen, with its own settings.
    QProcess* startProgram(const QStringList& arguments) {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", session.path());
        environment.insert("XDG_CONFIG_HOME", session.filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program->setProcessEnvironment(environment);
        program->setWorkingDirectory(files.path());
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program->start(QStringLiteral(COGBOOK_PROGRAM), arguments);
        EXPECT_TRUE(program->waitForStarted(kProgramTimeoutMilliseconds));
        programs_.push_back(std::move(program));
        return programs_.back().get();
    }

    // Waits for PROGRAM to end, this process going on with its events
    // meanwhile (it may be the one PROGRAM talks to). Answers its exit status.
    static int finish(QProcess* program) {
        if (!QTest::qWaitFor([&] { return program->state() == QProcess::NotRunning; }, kProgramTimeoutMilliseconds))
            return -2;
        return program->exitStatus() == QProcess::NormalExit ? program->exitCode() : -1;
    }
    template <typename Predicate> static bool eventually(Predicate predicate) {
        return QTest::qWaitFor(predicate, kProgramTimeoutMilliseconds);
    }

    QString writeRecord(const QString& name) {
        auto root = test::makeNode("1", "Commuter", true, Date(0.0));
        root->addChildPartOrEntry(test::makeNode("2", "Chain", true, Date(0.0)));
        const QString path = files.filePath(name);
        test::writeFile(path.toStdString(), writeRecordFile(*root));
        return path;
    }

    // This process as the running program, set up as main does.
    void becomeTheRunningProgram() {
        ZRSWDocumentController::registerDefaultUserDefaults();
        controller = std::make_unique<ZRSWDocumentController>();
        single = std::make_unique<SingleInstance>(QStringLiteral("cogbook"));
        ASSERT_EQ(single->start({}), SingleInstance::Outcome::Listening);
        QObject::connect(single.get(), &SingleInstance::filesReceived, controller.get(),
                         [this](const QStringList& paths) { controller->openDocumentsHandedOver(paths); });
    }

    QTemporaryDir session, files;
    const QByteArray sessionPath = session.path().toUtf8();
    test_support::ScopedVariable runtime{"XDG_RUNTIME_DIR", &sessionPath};
    test_support::ScratchDefaults defaults;
    test_support::ScriptedAlerts alerts;
    std::unique_ptr<ZRSWDocumentController> controller;
    std::unique_ptr<SingleInstance> single;

private:
    std::vector<std::unique_ptr<QProcess>> programs_;
};

TEST_F(SingleProgramTest, ALaterProgramHandsItsFilesToTheRunningOneAndEnds) {
    becomeTheRunningProgram();
    const QString ride = writeRecord("ride.cogbook");

    // Named relative to where it was started: the running one gets the whole path.
    EXPECT_EQ(finish(startProgram({"ride.cogbook"})), 0);
    ASSERT_TRUE(eventually([&] { return controller->documentForFileName(ride) != nullptr; }));
    Document* document = controller->documentForFileName(ride);
    EXPECT_TRUE(document->window()->isVisible());
    EXPECT_EQ(controller->documents().size(), 1u);

    // Already open: brought to the front, not opened twice; the other one
    // is opened beside it.
    Document* other = controller->newDocument();
    ASSERT_NE(other, nullptr);
    QApplication::setActiveWindow(other->window());
    const QString second = writeRecord("second.cogbook");
    EXPECT_EQ(finish(startProgram({ride, second})), 0);
    ASSERT_TRUE(eventually([&] { return controller->documentForFileName(second) != nullptr; }));
    EXPECT_EQ(controller->documents().size(), 3u);
    EXPECT_EQ(controller->recentDocumentPaths().mid(0, 2), QStringList({second, ride}));
    EXPECT_TRUE(alerts.messages.empty());

    // A file that cannot be opened is reported by the running program; the
    // later one still ends at once.
    EXPECT_EQ(finish(startProgram({"missing.cogbook"})), 0);
    ASSERT_TRUE(eventually([&] { return !alerts.messages.empty(); }));
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_TRUE(alerts.messages[0].text.contains("missing.cogbook"));
    EXPECT_EQ(controller->documents().size(), 3u);
}

TEST_F(SingleProgramTest, CommandFormsRunOnTheirOwnBesideTheRunningProgram) {
    becomeTheRunningProgram();
    writeRecord("ride.cogbook");
    for (const char* word : {"print", "export-json", "export-csv", "due"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(finish(startProgram({QString::fromLatin1(word), "ride.cogbook"})), 0);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(controller->documents().empty()) << "no command word is taken for a file to open";
    EXPECT_TRUE(alerts.messages.empty());
}

TEST_F(SingleProgramTest, ProgramsStartedTogetherEndWithOneRunning) {
    for (int round = 0; round < 2; ++round) {
        QProcess* first = startProgram({});
        QProcess* second = startProgram({});
        // One of them hands over and ends; the other goes on running.
        ASSERT_TRUE(eventually(
            [&] { return first->state() == QProcess::NotRunning || second->state() == QProcess::NotRunning; }));
        QProcess* running = first->state() == QProcess::NotRunning ? second : first;
        EXPECT_EQ(finish(running == first ? second : first), 0);
        // A third one reaches the one left.
        EXPECT_EQ(finish(startProgram({})), 0);
        EXPECT_EQ(running->state(), QProcess::Running);
        // Killed, it leaves its socket behind: the next round starts over it.
        running->kill();
        finish(running);
    }
}

} // namespace
} // namespace cogbook
