#include "CheckedSaveFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

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

} // namespace

CheckedSaveFile::CheckedSaveFile(const QString &path)
    : m_path(path)
{
}

CheckedSaveFile::~CheckedSaveFile()
{
    if (m_saveFile)
        m_saveFile->cancelWriting();
    if (m_inPlace && m_inPlace->isOpen())
        restoreInPlace();
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
    if (m_inPlace && m_inPlace->isOpen())
        restoreInPlace();
    return false;
}

bool CheckedSaveFile::open()
{
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

bool CheckedSaveFile::openInPlace()
{
    m_inPlace = std::make_unique<QFile>(m_path);
    if (!m_inPlace->open(QIODevice::ReadWrite)) {
        m_error = m_inPlace->errorString();
        m_inPlace.reset();
        return false;
    }
    m_oldBytes = m_inPlace->readAll();
    if (m_inPlace->error() != QFileDevice::NoError || m_oldBytes.size() != m_inPlace->size() || !m_inPlace->seek(0)) {
        m_error = m_inPlace->errorString();
        m_inPlace->close();
        m_inPlace.reset();
        return false;
    }
    return true;
}

void CheckedSaveFile::restoreInPlace()
{
    // Over the bytes that were there: no new space is needed.
    m_inPlace->unsetError();
    if (m_inPlace->seek(0))
        m_inPlace->write(m_oldBytes);
    m_inPlace->flush();
    m_inPlace->resize(m_oldBytes.size());
    m_inPlace->close();
}

bool CheckedSaveFile::write(const char *data, qint64 size)
{
    if (m_failed)
        return false;
    QFileDevice *device = m_saveFile ? static_cast<QFileDevice *>(m_saveFile.get()) : m_inPlace.get();
    if (!device)
        return fail(QStringLiteral("the file is not open"));
    errno = 0;
    if (device->write(data, size) != size)
        return fail(reasonOf(*device, errno));
    m_written += size;
    return true;
}

bool CheckedSaveFile::commit()
{
    if (m_failed)
        return false;
    errno = 0;
    if (m_inPlace) {
        if (!m_inPlace->flush() || m_inPlace->error() != QFileDevice::NoError || !m_inPlace->resize(m_written))
            return fail(reasonOf(*m_inPlace, errno));
        m_inPlace->close();
        m_inPlace.reset();
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
