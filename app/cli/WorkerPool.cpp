#include "WorkerPool.h"

#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>

WorkerPool::WorkerPool(int size, const ScriptProcess::Setup &setup, QObject *parent)
    : QObject(parent)
    , m_size(qMax(1, size))
    , m_setup(setup)
{
}

WorkerPool::~WorkerPool()
{
    const auto ending = [this] {
        const QList<ScriptProcess *> processes = findChildren<ScriptProcess *>(QString(), Qt::FindDirectChildrenOnly);
        return std::any_of(processes.cbegin(), processes.cend(), [](const ScriptProcess *p) { return !p->hasEnded(); });
    };
    if (!ending())
        return;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!ending() || clock.elapsed() > ScriptProcess::graceMilliseconds)
            loop.quit();
    });
    poll.start(10);
    loop.exec();
}

void WorkerPool::enqueue(int job, const QString &path, const QString &evidenceName, bool first)
{
    if (m_stopped)
        return;
    if (first)
        m_queue.prepend({job, path, evidenceName});
    else
        m_queue.append({job, path, evidenceName});
    dispatch();
}

void WorkerPool::dispatch()
{
    while (!m_stopped && m_running.size() < m_size && !m_queue.isEmpty()) {
        const Job job = m_queue.takeFirst();
        auto *process = new ScriptProcess(m_setup, this);
        connect(process, &ScriptProcess::ended, process, &QObject::deleteLater);
        connect(process, &ScriptProcess::finished, this, [this, process](const QMDrovebot::ScriptRun &result) {
            const int id = m_running.take(process);
            emit finished(id, result);
            dispatch();
            checkIdle();
        });
        m_running.insert(process, job.id);
        emit started(job.id);
        process->run(job.path, job.evidenceName);
    }
}

void WorkerPool::stopAll(const QString &reason)
{
    m_stopped = true;
    m_queue.clear();
    const QList<ScriptProcess *> running = m_running.keys();
    for (ScriptProcess *process : running) {
        if (process->scriptStarted()) {
            process->stop(reason);
        } else {
            m_running.remove(process);
            process->cancel();
        }
    }
    checkIdle();
}

void WorkerPool::checkIdle()
{
    if (m_idle && m_running.isEmpty() && (m_stopped || m_queue.isEmpty()))
        m_idle->quit();
}

void WorkerPool::waitUntilIdle()
{
    if (m_running.isEmpty() && m_queue.isEmpty())
        return;
    QEventLoop loop;
    m_idle = &loop;
    loop.exec();
    m_idle = nullptr;
}
