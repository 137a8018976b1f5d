#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;
class QSaveFile;

namespace MTools {

// Replaces a file only with complete, verified contents. The bytes go to a
// temporary file beside the target that takes its place on commit(); every
// write and the final flush are checked, because the toolkit's saving class
// can report a successful commit after a write failed on a full disk.
//
// A writable file in a folder where no temporary file can be created is
// overwritten in place instead. Its old bytes are kept first: a failed write
// puts them back over the same, already allocated space, so a full disk
// cannot leave the file cut short either way.
//
// Any failure cancels the whole save; the object is then only good for
// errorString(). Destroying it without commit() leaves the target untouched.
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

private:
    bool fail(const QString &reason);
    bool openInPlace();
    void restoreInPlace();

    QString m_path;
    std::unique_ptr<QSaveFile> m_saveFile;
    std::unique_ptr<QFile> m_inPlace;
    QByteArray m_oldBytes;
    qint64 m_written = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace MTools
