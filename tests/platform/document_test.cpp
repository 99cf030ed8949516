// Documents, the document controller, the event-loop boundary and menu
// validation, with a plain text document standing in for a record.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

#include <sys/stat.h>

#include <stdexcept>

#include "foundation/assertion.h"
#include "foundation/exceptions.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/application_identity.h"
#include "platform/text_document_fixture.h"

namespace cogbook::test_support {
namespace {

// A program of our own for as long as it lives: the platform knows no other.
class TestIdentity {
public:
    TestIdentity() : previous_(applicationIdentity()) {
        ApplicationIdentity identity;
        identity.applicationName = "Test Application";
        identity.displayName = "Test App";
        identity.documentType = {"Test Document", "testdoc", "application/x-testdoc", "Test documents", "Open Test",
                                 "Save Test"};
        setApplicationIdentity(identity);
    }
    ~TestIdentity() { setApplicationIdentity(previous_); }
    TestIdentity(const TestIdentity&) = delete;
    TestIdentity& operator=(const TestIdentity&) = delete;

private:
    ApplicationIdentity previous_;
};

class PlatformDocumentTest : public TextDocumentTest {
protected:
    TestIdentity identity;
};

TEST_F(PlatformDocumentTest, UntitledNamesAndTheEditedStateShowInTheTitle) {
    TextDocument* first = newDocument();
    TextDocument* second = newDocument();
    TextDocument* third = newDocument();
    EXPECT_EQ(first->displayName(), "Untitled");
    EXPECT_EQ(second->displayName(), "Untitled 2");
    EXPECT_EQ(third->displayName(), "Untitled 3");
    EXPECT_EQ(controller.orderedDocuments(), (std::vector<Document*>{third, second, first}));

    // A freed name is taken again by the next new document.
    second->close();
    processPendingEvents();
    EXPECT_EQ(newDocument()->displayName(), "Untitled 2");

    first->updateChangeCount(Document::ChangeDone);
    EXPECT_TRUE(first->window()->isWindowModified());
    first->updateChangeCount(Document::ChangeDone);
    first->updateChangeCount(Document::ChangeUndone);
    EXPECT_TRUE(first->isDocumentEdited());
    first->updateChangeCount(Document::ChangeUndone);
    EXPECT_FALSE(first->isDocumentEdited());
    EXPECT_FALSE(first->window()->isWindowModified());

    // The key window's document comes to the front of the order.
    processPendingEvents();
    QApplication::setActiveWindow(first->window());
    EXPECT_EQ(controller.orderedDocuments().front(), first);
    EXPECT_EQ(controller.currentDocument(), first);
}

TEST_F(PlatformDocumentTest, SavingReplacesTheFileWholeOrNotAtAll) {
    TextDocument* document = open("ride.txt", "old content");
    ASSERT_NE(document, nullptr);
    const QString path = document->fileName();
    EXPECT_EQ(document->text, "old content");
    EXPECT_EQ(document->window()->windowFilePath(), QFileInfo(path).absoluteFilePath());

    document->edit("new content");
    document->failNextWrite = true;
    EXPECT_FALSE(document->saveDocument());
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_TRUE(document->isDocumentEdited());
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_TRUE(alerts.messages[0].text.contains("ride.txt"));
    EXPECT_EQ(alerts.messages[0].detail, "cannot encode");

    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(path), "new content");
    EXPECT_FALSE(document->isDocumentEdited());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList({"*ride*"}, QDir::Files | QDir::Hidden),
              QStringList({"ride.txt"}));

    // Save As to a file name without an extension gets the document type's
    // extension; cancelling the chooser changes nothing.
    alerts.savePath = defaults.filePath("copy");
    ASSERT_TRUE(document->saveDocumentAs());
    EXPECT_EQ(document->displayName(), "copy.testdoc");
    alerts.savePath.clear();
    EXPECT_FALSE(document->saveDocumentAs());
    EXPECT_EQ(document->displayName(), "copy.testdoc");
    EXPECT_EQ(document->typesWritten, QStringList(document->typesWritten.size(), "Test Document"));
}

TEST_F(PlatformDocumentTest, TheProgramsNamesAndDocumentTypeAreTheOnesHandedIn) {
    EXPECT_EQ(QCoreApplication::applicationName(), "Test Application");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Test App");
    EXPECT_EQ(documentFileFilter(), "Test documents (*.testdoc);;All files (*)");

    // An untitled document is offered under its name with the extension.
    TextDocument* document = newDocument();
    alerts.savePath.clear();
    EXPECT_FALSE(document->saveDocumentAs());
    ASSERT_EQ(alerts.suggestedSavePaths.size(), 1);
    EXPECT_TRUE(alerts.suggestedSavePaths[0].endsWith("/Untitled.testdoc")) << alerts.suggestedSavePaths[0].toStdString();

    // A type without an extension adds none, and the choosers list all files.
    ApplicationIdentity bare = applicationIdentity();
    bare.documentType.extension.clear();
    setApplicationIdentity(bare);
    EXPECT_EQ(documentFileFilter(), "All files (*)");
    alerts.savePath = defaults.filePath("plain");
    ASSERT_TRUE(document->saveDocumentAs());
    EXPECT_EQ(document->displayName(), "plain");
}

TEST_F(PlatformDocumentTest, SavesGoThroughLinksAndNeverIntoPipes) {
    // A record kept elsewhere and linked in: saved where it is kept.
    const QString real = defaults.filePath("real.txt"), link = defaults.filePath("link.txt"),
                  pipe = defaults.filePath("pipe.txt");
    writeInPlace(real, "old");
    ASSERT_TRUE(QFile::link(real, link));
    auto* document = static_cast<TextDocument*>(controller.openDocumentWithContentsOfFile(link));
    ASSERT_NE(document, nullptr);
    document->edit("new");
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(real), "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // Save As into a pipe is refused, naming it; the title never shows the
    // name it did not get, not even while the failure is reported.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    document->updateChangeCount(Document::ChangeDone);
    QString titleMeanwhile;
    test_support::ShownMessage shown{};
    AlertHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, const QString&) { return pipe; };
    hooks.message = [&](QWidget*, AlertStyle style, const QString& text, const QString& detail) {
        titleMeanwhile = document->window()->windowTitle();
        shown = {style, text, detail};
    };
    AlertHooks scripted = setAlertHooks(std::move(hooks));
    const bool saved = document->saveDocumentAs();
    setAlertHooks(std::move(scripted));
    EXPECT_FALSE(saved);
    EXPECT_EQ(titleMeanwhile, "link.txt[*]");
    EXPECT_TRUE(shown.text.contains(QFileInfo(pipe).absoluteFilePath())) << shown.text.toStdString();
    EXPECT_EQ(shown.detail, "is a named pipe, not a file to save into");
    EXPECT_EQ(document->displayName(), "link.txt");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(QFileInfo(pipe).isFile(), false);
    EXPECT_EQ(readFile(real), "new");
}

TEST_F(PlatformDocumentTest, QuitAsksAboutEveryUnsavedDocumentAndStopsOnCancel) {
    TextDocument* saved = newDocument();
    TextDocument* edited = newDocument();
    TextDocument* alsoEdited = newDocument();
    edited->updateChangeCount(Document::ChangeDone);
    alsoEdited->updateChangeCount(Document::ChangeDone);
    (void)saved;

    alerts.saveAnswers = {SaveChangesAnswer::DontSave, SaveChangesAnswer::Cancel};
    EXPECT_FALSE(controller.reviewUnsavedDocumentsAndClose());
    EXPECT_EQ(alerts.saveQuestions, QStringList({"Untitled 3", "Untitled 2"}));
    EXPECT_EQ(controller.documents().size(), 3u); // nothing closed after a Cancel

    alerts.saveQuestions.clear();
    alerts.saveAnswers = {SaveChangesAnswer::DontSave, SaveChangesAnswer::DontSave};
    EXPECT_TRUE(controller.reviewUnsavedDocumentsAndClose());
    EXPECT_EQ(alerts.saveQuestions.size(), 2);
    EXPECT_TRUE(controller.documents().empty());
}

TEST_F(PlatformDocumentTest, RefusedFilesLeaveNothingOpen) {
    writeInPlace(defaults.filePath("bad.txt"), "bad bytes");
    EXPECT_EQ(controller.openDocumentWithContentsOfFile(defaults.filePath("bad.txt")), nullptr);
    EXPECT_EQ(controller.openDocumentWithContentsOfFile(defaults.filePath("absent.txt")), nullptr);
    EXPECT_EQ(controller.openDocumentWithContentsOfFile(defaults.filePath(".")), nullptr);
    ASSERT_EQ(alerts.messages.size(), 3u);
    EXPECT_TRUE(alerts.messages[0].text.contains("bad.txt"));
    EXPECT_TRUE(alerts.messages[0].detail.contains("not a text record"));
    EXPECT_TRUE(alerts.messages[1].text.contains("absent.txt"));
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_TRUE(controller.recentDocumentPaths().isEmpty());
}

TEST_F(PlatformDocumentTest, RecentFilesAreRememberedMostRecentFirst) {
    QStringList paths;
    for (int i = 0; i < DocumentController::kMaxRecentDocuments + 2; ++i) {
        paths << defaults.filePath(QStringLiteral("ride%1.txt").arg(i));
        writeInPlace(paths.back(), "ride");
        ASSERT_NE(controller.openDocumentWithContentsOfFile(paths.back()), nullptr);
    }
    ASSERT_NE(controller.openDocumentWithContentsOfFile(paths[5]), nullptr); // already open
    const QStringList recent = controller.recentDocumentPaths();
    ASSERT_EQ(recent.size(), DocumentController::kMaxRecentDocuments);
    EXPECT_EQ(recent.front(), QFileInfo(paths.back()).absoluteFilePath());
    EXPECT_FALSE(recent.contains(QFileInfo(paths[0]).absoluteFilePath()));
    controller.clearRecentDocuments();
    EXPECT_TRUE(controller.recentDocumentPaths().isEmpty());
}

// An object whose event handler fails, as a command with a fault would.
class FailingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            AssertionHandler::currentHandler().handleFailureInMethod("event", this, "Test", 1, "half done");
        }
        return QObject::event(event);
    }
};

TEST_F(PlatformDocumentTest, AFailingHandlerIsReportedAndTheProgramGoesOn) {
    FailingObject failing;
    QObject owner;
    int recoveries = 0;
    Application::instance()->addRecoveryHook(&owner, [&] { ++recoveries; });

    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    processPendingEvents();
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_EQ(alerts.messages[0].style, AlertStyle::Critical);
    EXPECT_EQ(alerts.messages[0].detail, "half done");
    EXPECT_EQ(recoveries, 1);

    // Commands reach the boundary too; one nobody takes beeps.
    QMenu menu;
    QAction* item = makeMenuItem(&menu, "Nothing", "noSuchCommand:");
    item->trigger();
    EXPECT_EQ(alerts.beeps, 1);
    validateMenu(&menu);
    EXPECT_FALSE(item->isEnabled());

    QAction* failingCommand = makeMenuItem(&menu, "Fail", "failingCommand:");
    controller.addCommand("failingCommand:", [](QAction*) { throw std::runtime_error("disk on fire"); });
    validateMenu(&menu);
    EXPECT_TRUE(failingCommand->isEnabled());
    failingCommand->trigger();
    ASSERT_EQ(alerts.messages.size(), 2u);
    EXPECT_EQ(alerts.messages[1].detail, "disk on fire");
    EXPECT_EQ(recoveries, 2);
}

} // namespace
} // namespace cogbook::test_support
