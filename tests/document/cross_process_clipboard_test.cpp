// Items copied in one run of the program and pasted in another: two real
// processes sharing the clipboard of one X display (a private Xvfb server).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "document/document_fixture.h"
#include "foundation/file_io.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using test_support::node;

// An X server of its own for the test, on a display number nobody uses.
class PrivateDisplay {
public:
    PrivateDisplay(const QString& program) {
        for (int number = 90; number < 190; ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
                QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            name_ = QStringLiteral(":%1").arg(number);
            server_.start(program, {name_, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("800x600x24"),
                                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            server_.waitForStarted();
            for (int wait = 0; wait < 100 && server_.state() == QProcess::Running; ++wait) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) return;
                QThread::msleep(100);
            }
            server_.kill();
            server_.waitForFinished();
        }
        name_.clear();
    }
    ~PrivateDisplay() {
        server_.terminate();
        if (!server_.waitForFinished(5000)) server_.kill();
        server_.waitForFinished();
    }
    const QString& name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

QProcessEnvironment onDisplay(const QString& display, const QString& config) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    // What the X and font libraries keep for the life of a process is theirs.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return environment;
}

TEST(CrossProcessClipboard, ItemsCopiedInOneRunPasteInAnother) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed: two runs can share a clipboard only on an X display";
    PrivateDisplay display(xvfb);
    ASSERT_FALSE(display.name().isEmpty()) << "Xvfb did not start";

    QTemporaryDir folder;
    const QString from = folder.filePath(QStringLiteral("from.cogbook"));
    const QString to = folder.filePath(QStringLiteral("to.cogbook"));
    const QString out = folder.filePath(QStringLiteral("out.cogbook"));
    auto chain = node("Chain", true, {node("Chain", false)});
    chain->childAtIndex(0)->setDescription("Waxed");
    chain->childAtIndex(0)->setNotes("Every 300 km");
    writeFileAtomically(from.toStdString(), writeRecordFile(*node("Bike", true, {chain, node("Fork", true)})));
    writeFileAtomically(to.toStdString(), writeRecordFile(*node("Other bike", true, {node("Frame", true)})));

    QProcess copier, paster;
    copier.setProcessEnvironment(onDisplay(display.name(), folder.path()));
    paster.setProcessEnvironment(onDisplay(display.name(), folder.path()));
    copier.start(QStringLiteral(COGBOOK_CLIPBOARD_PEER), {QStringLiteral("copy"), from});
    ASSERT_TRUE(copier.waitForStarted());
    QByteArray said;
    for (int wait = 0; wait < 300 && !said.contains("copied") && copier.state() == QProcess::Running; ++wait) {
        copier.waitForReadyRead(100);
        said += copier.readAllStandardOutput();
    }
    ASSERT_TRUE(said.contains("copied")) << copier.readAllStandardError().toStdString();

    paster.start(QStringLiteral(COGBOOK_CLIPBOARD_PEER), {QStringLiteral("paste"), to, out});
    ASSERT_TRUE(paster.waitForFinished(60000));
    EXPECT_EQ(paster.exitCode(), 0) << paster.readAllStandardError().toStdString();
    copier.closeWriteChannel();
    if (!copier.waitForFinished(10000)) copier.kill();

    const ZRBicycleListPtr bike = readRecordFile(readWholeFile(out.toStdString()));
    ASSERT_EQ(bike->numberOfChildren(), 2u);
    const ZRBicycleListPtr pasted = bike->childAtIndex(0);
    EXPECT_EQ(pasted->partName(), "Chain");
    ASSERT_EQ(pasted->numberOfChildren(), 1u);
    EXPECT_EQ(pasted->childAtIndex(0)->description(), "Waxed");
    EXPECT_EQ(pasted->childAtIndex(0)->notes(), "Every 300 km");
    EXPECT_EQ(bike->childAtIndex(1)->partName(), "Frame");
}

} // namespace
} // namespace cogbook
