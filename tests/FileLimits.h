#pragma once

// Conditions a save must survive, made without root-only mounts, and the
// small file helpers the tests of saving share.

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace FileLimits {

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Returns `path`, or an empty text when the bytes could not be written.
inline QString write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// While it lives, no file of this process grows beyond `bytes`: writes fail
// as on a full disk (the signal that would end the process is ignored).
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

// A folder in which nothing can be created while its files stay writable.
// Root ignores permission bits, so root marks it immutable instead; ok() is
// false where neither holds.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path)
        : m_path(path)
    {
        m_ok = geteuid() != 0 ? QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner)
                              : QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        QFile probe(QDir(path).filePath(QStringLiteral(".probe")));
        if (m_ok && probe.open(QIODevice::WriteOnly))
            m_ok = !probe.remove();
    }
    ~ReadOnlyFolder()
    {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
};

} // namespace FileLimits
