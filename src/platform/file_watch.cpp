#include "platform/file_watch.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPointer>

#include <sys/stat.h>

namespace cogbook {
namespace {

// One watcher for the whole program: each watcher may cost the system a
// watch instance, of which a user gets only a few.
class SharedWatcher {
public:
    static QFileSystemWatcher* instance() {
        static QPointer<QFileSystemWatcher> watcher;
        if (!watcher && QCoreApplication::instance() != nullptr) {
            watcher = new QFileSystemWatcher(QCoreApplication::instance());
        }
        return watcher;
    }

    // Paths are counted: two documents may watch one folder.
    static bool acquire(const QString& path) {
        QFileSystemWatcher* watcher = instance();
        if (watcher == nullptr) return false;
        if (counts()[path]++ == 0) return add(path);
        return isWatched(path);
    }
    static void release(const QString& path) {
        auto found = counts().find(path);
        if (found == counts().end()) return;
        if (--found.value() > 0) return;
        counts().erase(found);
        if (QFileSystemWatcher* watcher = instance(); watcher != nullptr && isWatched(path)) watcher->removePath(path);
    }
    // Watches PATH again when the watcher lost it (the file it watched was
    // removed or replaced).
    static bool add(const QString& path) {
        QFileSystemWatcher* watcher = instance();
        if (watcher == nullptr) return false;
        if (isWatched(path)) return true;
        return QFileInfo::exists(path) && watcher->addPath(path);
    }
    static bool isWatched(const QString& path) {
        QFileSystemWatcher* watcher = instance();
        return watcher != nullptr && (watcher->files().contains(path) || watcher->directories().contains(path));
    }

private:
    static QHash<QString, int>& counts() {
        static QHash<QString, int> table;
        return table;
    }
};

constexpr int kSettleMilliseconds = 100;

} // namespace

FileStamp FileStamp::of(const QString& path) {
    FileStamp stamp;
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0) return stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    stamp.modifiedNanoseconds =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    stamp.size = static_cast<std::int64_t>(status.st_size);
    return stamp;
}

FileWatch::FileWatch(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &FileWatch::check);
    if (QFileSystemWatcher* watcher = SharedWatcher::instance()) {
        connect(watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::scheduleCheck);
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatch::scheduleCheck);
    }
}

FileWatch::~FileWatch() { stopWatching(); }

void FileWatch::stopWatching() {
    if (!path_.isEmpty()) SharedWatcher::release(path_);
    if (!folder_.isEmpty()) SharedWatcher::release(folder_);
    path_.clear();
    folder_.clear();
    settle_.stop();
}

void FileWatch::watch(const QString& path) {
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    if (absolute == path_) return;
    stopWatching();
    path_ = absolute;
    reported_ = FileStamp();
    if (path_.isEmpty()) return;
    folder_ = QFileInfo(path_).absolutePath();
    SharedWatcher::acquire(folder_);
    SharedWatcher::acquire(path_);
}

void FileWatch::noteVersion(const FileStamp& stamp) {
    noted_ = stamp;
    reported_ = stamp;
}

bool FileWatch::changedSinceNoted(bool countRemoval) const {
    if (path_.isEmpty() || !noted_.exists) return false;
    const FileStamp now = FileStamp::of(path_);
    if (!now.exists) return countRemoval;
    return now != noted_;
}

void FileWatch::scheduleCheck(const QString& changedPath) {
    if (path_.isEmpty() || (changedPath != path_ && changedPath != folder_)) return;
    settle_.start();
}

void FileWatch::rearm() {
    SharedWatcher::add(folder_);
    SharedWatcher::add(path_);
}

void FileWatch::check() {
    if (path_.isEmpty()) return;
    rearm();
    const FileStamp now = FileStamp::of(path_);
    if (now == reported_) return;
    reported_ = now;
    if (noted_.exists && now != noted_) emit fileChangedOnDisk(now);
}

} // namespace cogbook
