#include "CheckedSaveFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace MTools {

namespace {

// The toolkit reports a failed flush as "Unknown error"; the system's own
// reason ("File too large", "No space left on device") is what helps.
QString reasonOf(const QFileDevice &device, int systemError)
{
    const QString reason = device.errorString();
    if (systemError != 0 && (reason.isEmpty() || reason == QLatin1String("Unknown error")))
        return qt_error_string(systemError);
    return reason;
}

enum class Target { File, StandardStream, NamedStream, BlockDevice };

// What `path` reaches, following links (/dev/stdout is one); `standard` is
// set to the descriptor of a standard stream.
Target targetOf(const QString &path, int *standard)
{
    struct stat target = {};
    if (::stat(QFile::encodeName(path).constData(), &target) != 0)
        return Target::File;
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat own = {};
        if (::fstat(fd, &own) == 0 && own.st_dev == target.st_dev && own.st_ino == target.st_ino) {
            *standard = fd;
            return Target::StandardStream;
        }
    }
    if (S_ISCHR(target.st_mode) || S_ISFIFO(target.st_mode) || S_ISSOCK(target.st_mode))
        return Target::NamedStream;
    return S_ISBLK(target.st_mode) ? Target::BlockDevice : Target::File;
}

int connectSocket(const QByteArray &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= int(sizeof(address.sun_path))) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace

CheckedSaveFile::CheckedSaveFile(const QString &path)
    : m_path(path)
{
}

CheckedSaveFile::~CheckedSaveFile()
{
    if (m_saveFile)
        m_saveFile->cancelWriting();
    if (m_ownsStream)
        ::close(m_stream);
}

bool CheckedSaveFile::fail(const QString &reason)
{
    m_failed = true;
    if (m_error.isEmpty())
        m_error = reason.isEmpty() ? QStringLiteral("the data could not be written") : reason;
    if (m_saveFile) {
        m_saveFile->cancelWriting();
        m_saveFile.reset();
    }
    if (m_inPlace && m_inPlace->isOpen()) {
        // Over the bytes that were there: no new space is needed.
        m_inPlace->unsetError();
        if (m_inPlace->seek(0))
            m_inPlace->write(m_oldBytes);
        m_inPlace->resize(m_oldBytes.size());
        m_inPlace->close();
    }
    return false;
}

bool CheckedSaveFile::isStream(const QString &path)
{
    int standard = -1;
    const Target target = targetOf(path, &standard);
    return target == Target::StandardStream || target == Target::NamedStream;
}

bool CheckedSaveFile::open()
{
    int standard = -1;
    switch (targetOf(m_path, &standard)) {
    case Target::StandardStream:
        // What was printed before comes first.
        std::fflush(standard == STDOUT_FILENO ? stdout : stderr);
        m_stream = standard;
        return true;
    case Target::NamedStream:
        return openStream();
    case Target::BlockDevice:
        return fail(QStringLiteral("it is a block device"));
    case Target::File:
        break;
    }
    m_saveFile = std::make_unique<QSaveFile>(m_path);
    if (m_saveFile->open(QIODevice::WriteOnly))
        return true;
    const QString reason = m_saveFile->errorString();
    m_saveFile.reset();
    // The folder refuses a temporary file; a writable file is still saved.
    const QFileInfo info(m_path);
    if (info.isFile() && info.isWritable() && openInPlace())
        return true;
    m_error.clear();
    return fail(reason);
}

bool CheckedSaveFile::openStream()
{
    const QByteArray native = QFile::encodeName(m_path);
    struct stat target = {};
    errno = 0;
    if (::stat(native.constData(), &target) == 0)
        m_stream = S_ISSOCK(target.st_mode) ? connectSocket(native)
                                            : ::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (m_stream < 0)
        return fail(qt_error_string(errno));
    m_ownsStream = true;
    return true;
}

bool CheckedSaveFile::openInPlace()
{
    // Unbuffered: a write that fails says so at once, and nothing new is left
    // in a buffer to land over the old bytes once they are put back.
    m_inPlace = std::make_unique<QFile>(m_path);
    if (!m_inPlace->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_error = m_inPlace->errorString();
        m_inPlace.reset();
        return false;
    }
    m_oldBytes = m_inPlace->readAll();
    if (m_inPlace->error() != QFileDevice::NoError || m_oldBytes.size() != m_inPlace->size()) {
        m_error = m_inPlace->errorString();
        m_inPlace->close();
        m_inPlace.reset();
        return false;
    }
    return true;
}

bool CheckedSaveFile::write(const char *data, qint64 size)
{
    if (m_failed)
        return false;
    if (m_inPlace) {
        m_newBytes.append(data, int(size));
    } else if (m_stream >= 0) {
        while (size > 0) {
            const ssize_t done = ::write(m_stream, data, size_t(size));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return fail(qt_error_string(done < 0 ? errno : EIO));
            data += done;
            size -= done;
            m_written += done;
        }
        return true;
    } else if (m_saveFile) {
        errno = 0;
        if (m_saveFile->write(data, size) != size)
            return fail(reasonOf(*m_saveFile, errno));
    } else {
        return fail(QStringLiteral("the file is not open"));
    }
    m_written += size;
    return true;
}

bool CheckedSaveFile::commitInPlace()
{
    const qint64 oldSize = m_oldBytes.size();
    const qint64 newSize = m_newBytes.size();
    errno = 0;
    // Room first: until the part beyond the old end is on disk, no old byte
    // has changed, and cutting the file back restores it.
    if (newSize > oldSize && (!m_inPlace->seek(oldSize) || m_inPlace->write(m_newBytes.constData() + oldSize,
                                                                            newSize - oldSize) != newSize - oldSize)) {
        const QString reason = reasonOf(*m_inPlace, errno);
        m_inPlace->resize(oldSize);
        m_inPlace->close();
        return fail(reason);
    }
    const qint64 common = qMin(oldSize, newSize);
    if (!m_inPlace->seek(0) || m_inPlace->write(m_newBytes.constData(), common) != common ||
        !m_inPlace->resize(newSize))
        return fail(reasonOf(*m_inPlace, errno));
    m_inPlace->close();
    m_inPlace.reset();
    return true;
}

bool CheckedSaveFile::commit()
{
    if (m_failed)
        return false;
    errno = 0;
    if (m_stream >= 0) {
        if (m_ownsStream && ::close(m_stream) != 0)
            return fail(qt_error_string(errno));
        m_stream = -1;
        m_ownsStream = false;
        return true;
    }
    if (m_inPlace) {
        if (!commitInPlace())
            return false;
    } else if (m_saveFile) {
        if (!m_saveFile->flush() || m_saveFile->error() != QFileDevice::NoError)
            return fail(reasonOf(*m_saveFile, errno));
        const bool committed = m_saveFile->commit();
        const QString reason = m_saveFile->errorString();
        m_saveFile.reset();
        if (!committed)
            return fail(reason);
    } else {
        return fail(QStringLiteral("the file is not open"));
    }
    // What the disk holds now must be what was written.
    if (QFileInfo(m_path).size() != m_written)
        return fail(QStringLiteral("the saved file has the wrong size"));
    return true;
}

QString CheckedSaveFile::errorString() const
{
    return m_error;
}

bool CheckedSaveFile::writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    CheckedSaveFile file(path);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace MTools
