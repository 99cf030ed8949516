// One running program per user and desktop session. A program started while
// another one runs hands its files to that one and ends; the first one to
// start listens for the others. The meeting point is a local socket that only
// the user can reach, named after the application, the user and the session.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace cogbook {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        // A running program took the files: this one has nothing to do.
        HandedOver,
        // No other program runs: this one is the program and listens.
        Listening,
        // No meeting point could be made (reported in the log): this one runs
        // on its own.
        Alone,
    };

    // APPLICATIONID names the meeting point ("cogbook" gives
    // "cogbook-<uid>.socket").
    explicit SingleInstance(const QString& applicationId, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands PATHS (absolute) to the running program, or becomes the one.
    Outcome start(const QStringList& paths);
    // No more requests are taken (the program is ending): the next program
    // started becomes the one instead of waiting for this one.
    void stopListening();

    // The folder of the meeting point: $XDG_RUNTIME_DIR when it is set, is
    // absolute and is a folder, or else a folder under the temporary folder
    // made private to the user. Empty (with REASON) when there is none that
    // is safe to use.
    static QString socketFolder(const QString& applicationId, QString* reason = nullptr);
    // The socket's full path, empty when there is no safe folder.
    const QString& socketPath() const { return socketPath_; }

    // How long a program waits for the running one to take its files.
    static constexpr int kAnswerTimeoutMilliseconds = 15000;

signals:
    // Another program was started with PATHS (none: it was started plainly,
    // and the user wants to see this one). Sent after that program has been
    // answered, from the event loop.
    void filesReceived(const QStringList& paths);

private:
    bool listen(QString* reason);
    void receive(QLocalSocket* socket);

    QString applicationId_;
    QString socketPath_;
    QPointer<QLocalServer> server_;
};

} // namespace cogbook
