#pragma once

#include "ScriptProcess.h"

#include <QHash>
#include <QList>
#include <QObject>

class QEventLoop;

// Runs queued scripts, up to `size` at once, each in a process of its own
// (ScriptProcess), in the order of the queue. A process that dies takes only
// its own script with it: the next script gets a new one.
//
// While scripts run, as many further processes as the queue will need (at
// most `size`) start and wait, so a script seldom waits for its process.
class WorkerPool : public QObject
{
    Q_OBJECT

public:
    WorkerPool(int size, const ScriptProcess::Setup &setup, QObject *parent = nullptr);
    // Gives the processes still ending the grace to do so, then kills them.
    ~WorkerPool() override;

    // `job` is the caller's number for the script; `first` puts it at the
    // front of the queue.
    void enqueue(int job, const QString &path, const QString &evidenceName, bool first = false);
    // Queued scripts will not run, and those still starting are dropped:
    // no result comes for either. Running ones are stopped with `reason`.
    void stopAll(const QString &reason);
    // Runs the event loop until nothing is queued or running.
    void waitUntilIdle();

signals:
    void started(int job);
    void finished(int job, const QMDrovebot::ScriptRun &result);

private:
    struct Job
    {
        int id = -1;
        QString path;
        QString evidenceName;
        // Its process died before it had the script: the next one is started
        // for it, so a process that keeps dying fails it instead.
        bool lost = false;
    };

    ScriptProcess *newProcess();
    void dispatch();
    void startSpares();
    void checkIdle();

    int m_size;
    ScriptProcess::Setup m_setup;
    QList<Job> m_queue;
    QHash<ScriptProcess *, Job> m_running;
    // Started ahead, no script yet.
    QList<ScriptProcess *> m_spares;
    QEventLoop *m_idle = nullptr;
    bool m_stopped = false;
};
