#pragma once

#include "JUnitReport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <mutex>

// The JUnit report of one command-line run as a file that is always whole
// and never far behind: replaced before the first script starts, again at
// most about once a second while results come in, and at the end. The pause
// between two writes grows with the time one write takes, so writing stays
// a small part of the run however large the report gets.
//
// A target that is a stream (a FIFO, a device, the standard output) cannot
// be replaced, only added to: it gets one report, at the end, so its reader
// sees a single document and is never asked to take a second one.
//
// Thread-safe: the watchdog writes the last version from its own thread
// when the GUI thread no longer returns (RunWatchdog).
class ReportFile : public QObject
{
    Q_OBJECT

public:
    // An empty path: no report, every call does nothing.
    ReportFile(const QString &path, const QString &suiteName, const QVector<JUnitReport::Case> &cases);

    // The run is not complete until finish(): the report says so meanwhile.
    void setCase(int index, const JUnitReport::Case &c);
    JUnitReport::Case at(int index) const;

    // Writes now (a stream waits for the end); used before the first
    // script. False once a write failed, after one line on standard error
    // (the command then ends with status 2); later writes are not tried.
    bool writeNow();
    // The last write: `stopReason` is empty for a run that went through,
    // else why rows did not run.
    bool finish(const QString &stopReason);

    // From the watchdog: the row that did not stop gets `c`, and the report
    // is written one last time; nothing is written after it.
    void abandon(int index, const JUnitReport::Case &c, const QString &reason);

    bool failed() const;

private:
    // On the GUI thread, which owns the timer.
    void writeWhenDue();
    // A stream takes only the `last` write.
    bool writeLocked(bool last = false);

    mutable std::mutex m_mutex;
    QString m_path;
    JUnitReport m_report;
    QElapsedTimer m_sinceWrite;
    qint64 m_pauseMs = 1000;
    QTimer m_due;
    bool m_dirty = false;
    bool m_failed = false;
    bool m_closed = false;
    const bool m_stream;
};
