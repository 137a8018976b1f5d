#include "ProtocolFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <QMWidgets/App.h>

namespace QMDrovebot {

ProtocolFiles::ProtocolFiles(const QString &scriptPath, const QDateTime &now)
    : m_scriptPath(scriptPath)
    , m_now(now)
{
}

QString ProtocolFiles::directory() const
{
    if (m_scriptPath.isEmpty()) {
        QString base = QMWidgets::App::saveDirectory();
        if (!base.endsWith(QLatin1Char('/')))
            base += QLatin1Char('/');
        return base + QStringLiteral("protocol/");
    }
    return QFileInfo(m_scriptPath).absolutePath() + QStringLiteral("/protocol/");
}

QString ProtocolFiles::baseName() const
{
    return QFileInfo(m_scriptPath).fileName().section(QLatin1Char('.'), 0, 0);
}

QString ProtocolFiles::snapshotPath() const
{
    const QString stem =
        directory() + baseName() + QLocale::system().toString(m_now, QStringLiteral("yyyy-MMM-dd_hh-mm-ss"));
    QString path = stem + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QLatin1Char('_') + QString::number(n) + QStringLiteral(".txt");
    return path;
}

QString ProtocolFiles::logPath() const
{
    return directory() + baseName() + QStringLiteral(".log");
}

QString ProtocolFiles::logLine(const QString &text) const
{
    return QLocale::system().toString(m_now, QStringLiteral("MMM-dd_hh-mm-ss")) + QStringLiteral(": ") + text;
}

bool ProtocolFiles::ensureDirectory() const
{
    const QString dir = directory();
    if (QFileInfo(dir).isDir())
        return true;
    // The unsaved-script folder is ours, so its parents may be made too; a
    // script's own folder must already exist.
    if (m_scriptPath.isEmpty())
        return QDir().mkpath(dir);
    return QDir().mkdir(dir);
}

QString ProtocolFiles::saveSnapshot(const QString &text) const
{
    if (!ensureDirectory())
        return QString();
    const QString path = snapshotPath();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(text.toUtf8());
    return file.commit() ? path : QString();
}

QString ProtocolFiles::appendLogLine(const QString &text) const
{
    if (!ensureDirectory())
        return QString();
    QFile file(logPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QString();
    const QString line = logLine(text);
    file.write((line + QLatin1Char('\n')).toUtf8());
    return line;
}

} // namespace QMDrovebot
