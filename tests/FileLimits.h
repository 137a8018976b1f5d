#pragma once

// Conditions a save must survive, made without root-only mounts: a disk
// that fills up after a few kilobytes, and a folder where no new file can be
// created although its files stay writable.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace FileLimits {

// While it lives, no file of this process grows beyond `bytes`: writes fail
// as on a full disk (the signal that would end the process is ignored).
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Makes `path` a folder in which nothing can be created. Root ignores the
// permission bits, so root marks the folder immutable instead (its files stay
// writable). ok() is false where neither works.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path)
        : m_path(path)
    {
        if (geteuid() != 0) {
            m_ok = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        } else {
            m_immutable = true;
            m_ok = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        }
        // Proof that it holds: no new file may appear.
        QFile probe(QDir(path).filePath(QStringLiteral(".probe")));
        if (m_ok && probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            m_ok = false;
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        else
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
    bool m_immutable = false;
};

} // namespace FileLimits
