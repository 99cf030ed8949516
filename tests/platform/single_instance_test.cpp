// Where the programs of one session meet, and what a program that ended
// without tidying up leaves there.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/single_instance.h"
#include "support/scoped_variable.h"

namespace cogbook {
namespace {

using test_support::ScopedVariable;

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

TEST(SingleInstance, TheMeetingPointIsTheUsersOwn) {
    QTemporaryDir session, temporary;
    const QByteArray sessionPath = session.path().toUtf8(), temporaryPath = temporary.path().toUtf8();
    ScopedVariable tmp("TMPDIR", &temporaryPath);
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", &sessionPath);
        SingleInstance instance(QStringLiteral("app"));
        EXPECT_TRUE(instance.socketPath().startsWith(session.path() + QStringLiteral("/app-%1").arg(::getuid())));
        ASSERT_EQ(instance.start({}), SingleInstance::Outcome::Listening);
        EXPECT_EQ(modeOf(instance.socketPath()) & 077, 0u);
    }
    // Without a session folder: one of the user's own, nobody else's, under
    // the temporary folder.
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    const QString folder = temporary.filePath(QStringLiteral("app-%1").arg(::getuid()));
    EXPECT_EQ(SingleInstance::socketFolder(QStringLiteral("app")), folder);
    EXPECT_EQ(modeOf(folder) & 0777, 0700u);
    // One that others may enter, or a link to somewhere else, is not used.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_EQ(SingleInstance(QStringLiteral("app")).start({}), SingleInstance::Outcome::Alone);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QDir(temporary.path()).mkdir(QStringLiteral("elsewhere")));
    ASSERT_TRUE(QFile::link(temporary.filePath(QStringLiteral("elsewhere")), folder));
    EXPECT_TRUE(SingleInstance::socketFolder(QStringLiteral("app")).isEmpty());
}

TEST(SingleInstance, ASocketLeftByAProgramThatDiedDoesNotBlockTheNext) {
    QTemporaryDir session;
    const QByteArray sessionPath = session.path().toUtf8();
    ScopedVariable runtime("XDG_RUNTIME_DIR", &sessionPath);
    SingleInstance instance(QStringLiteral("app"));

    // Bound and never removed, as by a program killed while running.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(instance.socketPath());
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);

    ASSERT_EQ(instance.start({}), SingleInstance::Outcome::Listening);
    QLocalSocket client;
    client.connectToServer(instance.socketPath());
    EXPECT_TRUE(client.waitForConnected(2000)) << client.errorString().toStdString();
}

} // namespace
} // namespace cogbook
