// A document's file changed by another program while the document is open:
// saving over it asks, the window follows or offers a choice, and a file
// removed under the document does not lose it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include "platform/disk_change_bar.h"
#include "platform/text_document_fixture.h"

namespace cogbook::test_support {
namespace {

// Writes a new file and renames it over the old one, as careful programs do:
// the path then names another file.
void replaceByRename(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".new");
    writeInPlace(temporary, bytes);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(temporary, path));
}

// Waits, going on with the events, until CONDITION holds.
template <typename Condition> bool eventually(Condition condition) {
    return QTest::qWaitFor(condition, 10000);
}

class DiskChangesTest : public TextDocumentTest {
protected:
    std::deque<ChangedFileAnswer> changedFileAnswers;
    QStringList changedFileQuestions;

    void SetUp() override {
        // The question goes through the dialog hooks like every other one.
        AlertHooks hooks = setAlertHooks({});
        hooks.askSaveOverChangedFile = [this](QWidget*, const QString& name) {
            changedFileQuestions << name;
            if (changedFileAnswers.empty()) {
                ADD_FAILURE() << "unexpected question about a changed file";
                return ChangedFileAnswer::Cancel;
            }
            const ChangedFileAnswer answer = changedFileAnswers.front();
            changedFileAnswers.pop_front();
            return answer;
        };
        setAlertHooks(std::move(hooks));
    }
};

TEST_F(DiskChangesTest, SavingOverAFileChangedSinceAsksAndEachAnswerDoesWhatItSays) {
    TextDocument* document = open("ride.txt", "mine, as read");
    ASSERT_NE(document, nullptr);
    const QString path = document->fileName();
    // A file nobody else touched saves without a question.
    document->edit("mine, first save");
    ASSERT_TRUE(document->saveDocument());
    EXPECT_TRUE(changedFileQuestions.isEmpty());

    // Another program's version, put in place by a rename.
    replaceByRename(path, "theirs, on disk");
    document->edit("mine, edited now");

    changedFileAnswers = {ChangedFileAnswer::Cancel};
    EXPECT_FALSE(document->saveDocument());
    EXPECT_EQ(changedFileQuestions, QStringList({"ride.txt"}));
    EXPECT_EQ(readFile(path), "theirs, on disk");
    EXPECT_EQ(document->text, "mine, edited now");
    EXPECT_TRUE(document->isDocumentEdited());

    changedFileAnswers = {ChangedFileAnswer::Revert};
    EXPECT_FALSE(document->saveDocument());
    EXPECT_EQ(readFile(path), "theirs, on disk");
    EXPECT_EQ(document->text, "theirs, on disk");
    EXPECT_FALSE(document->isDocumentEdited());
    // Having read that version, the next save replaces it without asking.
    document->edit("mine over theirs");
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(path), "mine over theirs");
    EXPECT_EQ(changedFileQuestions.size(), 2);

    // Changed in place this time; closing with Save asks as well.
    writeInPlace(path, "theirs again, longer");
    document->edit("mine, at closing");
    alerts.saveAnswers = {SaveChangesAnswer::Save};
    changedFileAnswers = {ChangedFileAnswer::SaveAnyway};
    EXPECT_TRUE(document->canClose());
    EXPECT_EQ(readFile(path), "mine, at closing");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(changedFileQuestions.size(), 3);

}

TEST_F(DiskChangesTest, AnUneditedDocumentFollowsItsFileAndAnUnreadableVersionIsShownNotTaken) {
    TextDocument* document = open("ride.txt", "first");
    ASSERT_NE(document, nullptr);
    const QString path = document->fileName();

    replaceByRename(path, "second, renamed in");
    ASSERT_TRUE(eventually([&] { return document->text == "second, renamed in"; })) << document->text;
    EXPECT_FALSE(document->isDocumentEdited());
    // The rename replaced the file that was watched: the new one is watched.
    writeInPlace(path, "third, in place");
    ASSERT_TRUE(eventually([&] { return document->text == "third, in place"; })) << document->text;
    // Saving now does not take the reloaded version for somebody else's.
    document->edit("mine");
    ASSERT_TRUE(document->saveDocument());
    EXPECT_TRUE(changedFileQuestions.isEmpty());

    DiskChangeBar* bar = document->diskChangeBar();
    ASSERT_NE(bar, nullptr);
    writeInPlace(path, "bad bytes");
    ASSERT_TRUE(eventually([&] { return bar->isVisibleTo(document->window()); }));
    EXPECT_EQ(document->text, "mine");
    EXPECT_TRUE(bar->message().contains("ride.txt"));
    EXPECT_TRUE(bar->message().contains("not a text record"));
    EXPECT_TRUE(alerts.messages.empty());
    // Readable again: taken, and the bar goes.
    writeInPlace(path, "fourth, repaired");
    ASSERT_TRUE(eventually([&] { return document->text == "fourth, repaired"; })) << document->text;
    EXPECT_FALSE(bar->isVisibleTo(document->window()));
}

TEST_F(DiskChangesTest, AnEditedDocumentOffersReloadOrKeepMine) {
    TextDocument* document = open("ride.txt", "as read");
    ASSERT_NE(document, nullptr);
    const QString path = document->fileName();
    DiskChangeBar* bar = document->diskChangeBar();
    ASSERT_NE(bar, nullptr);

    document->edit("mine");
    replaceByRename(path, "theirs");
    ASSERT_TRUE(eventually([&] { return bar->isVisibleTo(document->window()); }));
    EXPECT_EQ(document->text, "mine");
    EXPECT_TRUE(bar->message().contains("ride.txt"));

    QTest::mouseClick(bar->keepMineButton(), Qt::LeftButton);
    EXPECT_FALSE(bar->isVisibleTo(document->window()));
    EXPECT_EQ(document->text, "mine");
    EXPECT_TRUE(document->isDocumentEdited());
    // Undoing back would not give what the file holds: still edited.
    document->updateChangeCount(Document::ChangeUndone);
    EXPECT_TRUE(document->isDocumentEdited());
    // The user chose theirs over that version: saving replaces it unasked.
    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(path), "mine");
    EXPECT_TRUE(changedFileQuestions.isEmpty());

    document->edit("mine again");
    writeInPlace(path, "theirs again");
    ASSERT_TRUE(eventually([&] { return bar->isVisibleTo(document->window()); }));
    bar->reloadButton()->setFocus();
    QTest::keyClick(bar->reloadButton(), Qt::Key_Space);
    EXPECT_FALSE(bar->isVisibleTo(document->window()));
    EXPECT_EQ(document->text, "theirs again");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(alerts.messages.empty());
}

TEST_F(DiskChangesTest, ADocumentWhoseFileWentAwayKeepsItsContentAndSaves) {
    TextDocument* document = open("ride.txt", "as read");
    ASSERT_NE(document, nullptr);
    const QString path = document->fileName();
    document->edit("mine");
    ASSERT_TRUE(QFile::remove(path));
    // The folder changes as well; give the watch time to look.
    QTest::qWait(300);
    EXPECT_EQ(document->text, "mine");
    EXPECT_FALSE(document->diskChangeBar()->isVisibleTo(document->window()));

    ASSERT_TRUE(document->saveDocument());
    EXPECT_EQ(readFile(path), "mine");
    EXPECT_TRUE(changedFileQuestions.isEmpty());

    // Its folder gone too: Save asks where to put it.
    QDir folder(defaults.filePath("trip"));
    ASSERT_TRUE(folder.mkpath("."));
    TextDocument* moved = open("trip/log.txt", "log");
    ASSERT_NE(moved, nullptr);
    moved->edit("log, edited");
    ASSERT_TRUE(folder.removeRecursively());
    alerts.savePath = defaults.filePath("log elsewhere.txt");
    ASSERT_TRUE(moved->saveDocument());
    EXPECT_EQ(alerts.suggestedSavePaths.size(), 1);
    EXPECT_EQ(readFile(alerts.savePath), "log, edited");
    EXPECT_EQ(moved->displayName(), "log elsewhere.txt");
    EXPECT_FALSE(moved->isDocumentEdited());
}

} // namespace
} // namespace cogbook::test_support
