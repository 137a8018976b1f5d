#pragma once

#include <QDateTime>
#include <QString>

namespace QMDrovebot {

// The record a script keeps beside itself: snapshots of the output pane and
// a log of timestamped lines, in a "protocol" folder next to the script.
// The clock is a parameter so names can be checked without waiting for one.
class ProtocolFiles
{
public:
    explicit ProtocolFiles(const QString &scriptPath, const QDateTime &now = QDateTime::currentDateTime());

    // The folder beside the script; for a script that was never saved, the
    // application's save folder (never the filesystem root).
    QString directory() const;
    // The file name up to its first dot: login.test.js gives "login".
    QString baseName() const;
    // A name that does not exist yet: a second snapshot within the same
    // second gets "_2" (then "_3", ...) before ".txt".
    QString snapshotPath() const;
    QString logPath() const;
    QString logLine(const QString &text) const;

    // Both return what they wrote (the path, the line), or empty text when
    // the folder or the file could not be made.
    QString saveSnapshot(const QString &text) const;
    QString appendLogLine(const QString &text) const;

private:
    bool ensureDirectory() const;

    QString m_scriptPath;
    QDateTime m_now;
};

} // namespace QMDrovebot
