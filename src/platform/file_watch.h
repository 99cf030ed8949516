// Noticing that a document's file was changed by someone else: what the file
// was when the document last read or wrote it, and a watch that reports when
// the file on disk stops being that.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace cogbook {

// What identifies one version of a file without reading it: the file itself
// (device and inode, which a replacing rename changes), its modification
// time and its size.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t size = 0;

    // The file at PATH now, following links; exists is false when there is
    // none (or it cannot be looked at).
    static FileStamp of(const QString& path);
    bool operator==(const FileStamp&) const = default;
};

// Watches one file for changes made by others. The owner notes the version it
// holds (noteVersion) whenever it reads or writes the file; the watch reports
// (fileChangedOnDisk) once for every other version that appears, a file
// removed or moved away included. Replacing the file by a rename, as careful
// writers do, is seen too: the folder is watched as well, and the file watched
// again under its new identity.
class FileWatch : public QObject {
    Q_OBJECT
public:
    explicit FileWatch(QObject* parent = nullptr);
    ~FileWatch() override;

    // Watches PATH from now on (an empty path watches nothing). The version
    // noted is kept: it belongs to the document, not to the path.
    void watch(const QString& path);
    const QString& path() const { return path_; }

    void noteVersion(const FileStamp& stamp);
    const FileStamp& notedVersion() const { return noted_; }
    // Whether the file on disk is another file than the version noted. A
    // file that is gone counts as changed only with countRemoval.
    bool changedSinceNoted(bool countRemoval) const;

signals:
    // The file on disk is no longer the version noted (CURRENT is what it is
    // now; exists is false when it is gone).
    void fileChangedOnDisk(const FileStamp& current);

private:
    void scheduleCheck(const QString& changedPath);
    void check();
    void rearm();
    void stopWatching();

    QString path_;
    QString folder_;
    bool watchingFile_ = false;
    FileStamp noted_;
    // The last version reported, so that unrelated changes in the folder do
    // not report the same version again.
    FileStamp reported_;
    // Writers touch a file several times in a row: look once they are done.
    QTimer settle_;
};

} // namespace cogbook
