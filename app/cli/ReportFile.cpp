#include "ReportFile.h"

#include "CommandLine.h"

#include <MTools/CheckedSaveFile.h>

namespace {

const char unfinishedRun[] = "The run had not finished when this report was written";

} // namespace

ReportFile::ReportFile(const QString &path, const QString &suiteName, const QVector<JUnitReport::Case> &cases)
    : m_path(path)
    , m_report(suiteName)
    , m_stream(!path.isEmpty() && MTools::CheckedSaveFile::isStream(path))
{
    for (const JUnitReport::Case &c : cases)
        m_report.append(c);
    m_report.setIncomplete(QLatin1String(unfinishedRun));
    m_due.setSingleShot(true);
    connect(&m_due, &QTimer::timeout, this, &ReportFile::writeWhenDue);
}

void ReportFile::setCase(int index, const JUnitReport::Case &c)
{
    if (m_path.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_report.setCase(index, c);
        m_dirty = true;
    }
    writeWhenDue();
}

JUnitReport::Case ReportFile::at(int index) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_report.at(index);
}

void ReportFile::writeWhenDue()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_dirty)
        return;
    const qint64 waited = m_sinceWrite.isValid() ? m_sinceWrite.elapsed() : m_pauseMs;
    if (waited >= m_pauseMs)
        writeLocked();
    else if (!m_due.isActive())
        m_due.start(int(m_pauseMs - waited));
}

bool ReportFile::writeLocked(bool last)
{
    if (m_path.isEmpty() || m_failed || m_closed || (m_stream && !last))
        return !m_failed;
    m_dirty = false;
    QElapsedTimer clock;
    clock.start();
    QString error;
    if (!m_report.write(m_path, &error)) {
        m_failed = true;
        CommandLine::fail(QStringLiteral("cannot write %1: %2").arg(m_path, error), 2);
    }
    // Writing takes at most a fifth of the run.
    m_pauseMs = qMax<qint64>(1000, 4 * clock.elapsed());
    m_sinceWrite.start();
    return !m_failed;
}

bool ReportFile::writeNow()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return writeLocked();
}

bool ReportFile::finish(const QString &stopReason)
{
    m_due.stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report.setIncomplete(stopReason);
    const bool written = writeLocked(true);
    m_closed = true;
    return written;
}

void ReportFile::abandon(int index, const JUnitReport::Case &c, const QString &reason)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= 0)
        m_report.setCase(index, c);
    m_report.setIncomplete(reason);
    writeLocked(true);
    m_closed = true;
}

bool ReportFile::failed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed;
}
