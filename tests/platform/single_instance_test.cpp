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

namespace cogbook {
namespace {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray* value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value != nullptr) qputenv(name, *value);
        else qunsetenv(name);
    }
    ~ScopedVariable() {
        if (had_) qputenv(name_, old_);
        else qunsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

// A socket file nobody listens on, as a program killed while running leaves.
void leaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(static_cast<std::size_t>(encoded.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);
}

TEST(SingleInstance, TheMeetingPointIsTheUsersOwn) {
    QTemporaryDir session;
    const QByteArray sessionPath = session.path().toUtf8();
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", &sessionPath);
        SingleInstance instance(QStringLiteral("app"));
        EXPECT_TRUE(instance.socketPath().startsWith(session.path() + QStringLiteral("/app-%1").arg(::getuid())))
            << instance.socketPath().toStdString();
        ASSERT_EQ(instance.start({}), SingleInstance::Outcome::Listening);
        EXPECT_EQ(modeOf(instance.socketPath()) & 077, 0u);
    }
    // Without a session folder (or with one that is not a folder): a folder
    // of the user's own under the temporary one, nobody else's.
    QTemporaryDir temporary;
    const QByteArray temporaryPath = temporary.path().toUtf8();
    ScopedVariable tmp("TMPDIR", &temporaryPath);
    const QByteArray relative("relative/path");
    for (const QByteArray* runtimeValue : {static_cast<const QByteArray*>(nullptr), &relative}) {
        ScopedVariable runtime("XDG_RUNTIME_DIR", runtimeValue);
        const QString folder = SingleInstance::socketFolder(QStringLiteral("app"));
        EXPECT_EQ(folder, temporary.filePath(QStringLiteral("app-%1").arg(::getuid())));
        EXPECT_EQ(modeOf(folder) & 0777, 0700u);
        SingleInstance instance(QStringLiteral("app"));
        EXPECT_TRUE(instance.socketPath().startsWith(folder + QLatin1Char('/'))) << instance.socketPath().toStdString();
    }

    // One that others may enter, or a link to somewhere else, is not used.
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    const QString folder = temporary.filePath(QStringLiteral("app-%1").arg(::getuid()));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    QString reason;
    EXPECT_TRUE(SingleInstance::socketFolder(QStringLiteral("app"), &reason).isEmpty());
    EXPECT_TRUE(reason.contains(folder)) << reason.toStdString();
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
    leaveStaleSocket(instance.socketPath());

    ASSERT_EQ(instance.start({}), SingleInstance::Outcome::Listening);
    QLocalSocket client;
    client.connectToServer(instance.socketPath());
    EXPECT_TRUE(client.waitForConnected(2000)) << client.errorString().toStdString();
}

} // namespace
} // namespace cogbook
