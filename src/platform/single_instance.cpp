#include "platform/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/hooks.h"

namespace cogbook {
namespace {

constexpr int kConnectTimeoutMilliseconds = 2000;
constexpr int kLockTimeoutMilliseconds = 10000;
// A request from a program that never finishes it is dropped after this.
constexpr int kRequestTimeoutMilliseconds = 10000;
constexpr qsizetype kMaxRequestBytes = 1024 * 1024;
const QByteArray kAnswer = QByteArrayLiteral("ok\n");

void logProblem(const QString& text) {
    log("Single program: " + text.toStdString());
}

// Held around "is a program there, or do I become it", so that two programs
// starting at the same moment cannot both become it.
class StartLock {
public:
    explicit StartLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            reason_ = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        const QDeadlineTimer deadline(kLockTimeoutMilliseconds);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                reason_ = errno == EWOULDBLOCK ? QStringLiteral("another program holds the start lock")
                                               : QString::fromLocal8Bit(std::strerror(errno));
                ::close(fd_);
                fd_ = -1;
                return;
            }
            QThread::msleep(20);
        }
    }
    ~StartLock() { release(); }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    bool held() const { return fd_ >= 0; }
    const QString& reason() const { return reason_; }
    // The lock file itself stays: removing it would let a third program lock
    // a new file while a second still holds the old one.
    void release() {
        if (fd_ < 0) return;
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    QString reason_;
};

QString sessionSuffix() {
    // Two sessions of one user (two displays) each have their own program.
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty()) display = qgetenv("DISPLAY");
    if (display.isEmpty()) return {};
    QString text = QString::fromLocal8Bit(display);
    text.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return QLatin1Char('-') + text.left(32);
}

bool isOwnFolder(const QByteArray& path, bool mustBePrivate, QString* reason) {
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) {
        *reason = QStringLiteral("%1: %2").arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid() || (mustBePrivate && (status.st_mode & 077) != 0)) {
        *reason = QStringLiteral("%1 is not a folder of this user's own").arg(QFile::decodeName(path));
        return false;
    }
    return true;
}

QByteArray request(const QString& applicationId, const QStringList& paths) {
    QByteArray bytes = applicationId.toUtf8() + " open 1";
    bytes.append('\0');
    for (const QString& path : paths) {
        bytes += QFile::encodeName(path);
        bytes.append('\0');
    }
    bytes.append('\0');
    return bytes;
}

} // namespace

SingleInstance::SingleInstance(const QString& applicationId, QObject* parent)
    : QObject(parent), applicationId_(applicationId) {
    QString reason;
    const QString folder = socketFolder(applicationId_, &reason);
    if (folder.isEmpty()) {
        logProblem(reason);
        return;
    }
    const QString path = QStringLiteral("%1/%2-%3%4.socket")
                             .arg(folder, applicationId_, QString::number(::getuid()), sessionSuffix());
    if (QFile::encodeName(path).size() >= static_cast<qsizetype>(sizeof(sockaddr_un::sun_path))) {
        logProblem(QStringLiteral("the socket path %1 is too long").arg(path));
        return;
    }
    socketPath_ = path;
}

SingleInstance::~SingleInstance() { stopListening(); }

void SingleInstance::stopListening() {
    // Closing removes the socket, so the next program to start becomes the one.
    if (server_) server_->close();
}

QString SingleInstance::socketFolder(const QString& applicationId, QString* reason) {
    QString ignored;
    if (reason == nullptr) reason = &ignored;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isOwnFolder(runtime, false, reason)) return QFile::decodeName(runtime);

    // Without a session folder: one of our own under the temporary folder,
    // which nobody else may have made first.
    const QString folder = QStringLiteral("%1/%2-%3").arg(QDir::tempPath(), applicationId, QString::number(::getuid()));
    const QByteArray encoded = QFile::encodeName(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        *reason = QStringLiteral("cannot make %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    if (!isOwnFolder(encoded, true, reason)) return {};
    return folder;
}

SingleInstance::Outcome SingleInstance::start(const QStringList& paths) {
    if (socketPath_.isEmpty()) return Outcome::Alone;
    StartLock lock(socketPath_ + QStringLiteral(".lock"));
    if (!lock.held()) {
        logProblem(QStringLiteral("cannot lock %1.lock: %2").arg(socketPath_, lock.reason()));
        return Outcome::Alone;
    }

    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectTimeoutMilliseconds)) {
        const auto error = socket.error();
        // Nobody listens: no socket, or one left behind by a program that
        // ended without removing it.
        if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError) {
            QLocalServer::removeServer(socketPath_);
            QString reason;
            if (listen(&reason)) return Outcome::Listening;
            logProblem(QStringLiteral("cannot listen on %1: %2").arg(socketPath_, reason));
            return Outcome::Alone;
        }
        logProblem(QStringLiteral("cannot reach the running program at %1: %2").arg(socketPath_, socket.errorString()));
        return Outcome::Alone;
    }
    // A program is there: others may go on deciding while it answers.
    lock.release();

    socket.write(request(applicationId_, paths));
    const QDeadlineTimer deadline(kAnswerTimeoutMilliseconds);
    QByteArray answer;
    while (answer.size() < kAnswer.size() && !deadline.hasExpired()) {
        if (socket.bytesToWrite() > 0) socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
        answer += socket.readAll();
    }
    if (answer.startsWith(kAnswer)) return Outcome::HandedOver;
    // It did not take the files (it hangs, or is not ours): better two
    // programs than a file that does not open.
    logProblem(QStringLiteral("the program running at %1 did not answer").arg(socketPath_));
    return Outcome::Alone;
}

bool SingleInstance::listen(QString* reason) {
    auto* server = new QLocalServer(this);
    // Only the user may connect: the files named would be opened as theirs.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath_)) {
        *reason = server->errorString();
        delete server;
        return false;
    }
    server_ = server;
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) receive(socket);
    });
    return true;
}

void SingleInstance::receive(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // The socket's own permissions keep others out; this holds even where
    // the folder's do not.
    struct ucred peer {};
    socklen_t length = sizeof(peer);
    if (::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
        peer.uid != ::getuid()) {
        logProblem(QStringLiteral("a request from another user was refused"));
        socket->abort();
        return;
    }
    QTimer::singleShot(kRequestTimeoutMilliseconds, socket, [socket] { socket->abort(); });
    auto buffer = std::make_shared<QByteArray>();
    const auto read = [this, socket, buffer] {
        *buffer += socket->readAll();
        if (buffer->size() > kMaxRequestBytes) {
            logProblem(QStringLiteral("a request too large was refused"));
            socket->abort();
            return;
        }
        const qsizetype end = buffer->indexOf(QByteArray("\0\0", 2));
        if (end < 0) return; // more to come
        const QList<QByteArray> parts = buffer->left(end).split('\0');
        if (parts.isEmpty() || parts.front() != applicationId_.toUtf8() + " open 1") {
            logProblem(QStringLiteral("a request of an unknown form was refused"));
            socket->abort();
            return;
        }
        QStringList paths;
        for (qsizetype index = 1; index < parts.size(); ++index) {
            if (parts[index].startsWith('/')) paths << QFile::decodeName(parts[index]);
        }
        disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        socket->write(kAnswer);
        socket->flush();
        socket->disconnectFromServer();
        // Opening may ask the user something; the other program need not wait.
        QTimer::singleShot(0, this, [this, paths] { emit filesReceived(paths); });
    };
    connect(socket, &QLocalSocket::readyRead, socket, read);
    if (socket->bytesAvailable() > 0) read();
}

} // namespace cogbook
