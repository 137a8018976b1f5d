#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;
class QSaveFile;

namespace MTools {

// Writes a file only with complete, verified contents.
//
// A regular file (or a new one) is replaced: the bytes go to a temporary file
// beside the target that takes its place on commit(). Every write and the
// final flush are checked, because the toolkit's saving class can report a
// successful commit after a write failed on a full disk.
//
// Where no temporary file can be made (a read-only folder, no free inodes), a
// writable file is overwritten in place instead. The new bytes wait in memory
// until commit(); what goes beyond the old end is written first, so a full
// disk fails before any old byte changed, and a failed overwrite puts the old
// bytes back over space the file already holds.
//
// A target that is no regular file (a device, a FIFO, a socket, or whatever
// name reaches the program's own standard output or error) is written as a
// stream, never replaced: a FIFO's reader gets the bytes, a device stays a
// device, and `-o /dev/stdout >> log` appends to the log. What a stream took
// cannot be taken back; a failure there is only reported.
//
// Any failure cancels the whole save; the object is then only good for
// errorString(). Destroying it without commit() leaves a file untouched.
class CheckedSaveFile
{
public:
    explicit CheckedSaveFile(const QString &path);
    ~CheckedSaveFile();

    bool open();
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    bool commit();
    QString errorString() const;

    // The whole save in one call.
    static bool writeFile(const QString &path, const QByteArray &bytes, QString *error);
    // True when `path` is written as a stream (see above): each save adds to
    // what the reader already has instead of replacing it.
    static bool isStream(const QString &path);

private:
    bool fail(const QString &reason);
    bool openInPlace();
    bool commitInPlace();
    bool openStream();

    QString m_path;
    std::unique_ptr<QSaveFile> m_saveFile;
    std::unique_ptr<QFile> m_inPlace;
    QByteArray m_oldBytes;
    QByteArray m_newBytes;
    int m_stream = -1;
    bool m_ownsStream = false;
    qint64 m_written = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace MTools
