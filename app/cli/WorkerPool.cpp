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

ScriptProcess *WorkerPool::newProcess()
{
    auto *process = new ScriptProcess(m_setup, this);
    connect(process, &ScriptProcess::ended, process, &QObject::deleteLater);
    connect(process, &ScriptProcess::ended, this, [this, process] { m_spares.removeOne(process); });
    connect(process, &ScriptProcess::ready, this, &WorkerPool::startSpares);
    connect(process, &ScriptProcess::lost, this, [this, process] {
        Job job = m_running.take(process);
        job.lost = true;
        if (!m_stopped)
            m_queue.prepend(job);
        dispatch();
        checkIdle();
    });
    connect(process, &ScriptProcess::finished, this, [this, process](const QMDrovebot::ScriptRun &result) {
        const Job job = m_running.take(process);
        emit finished(job.id, result);
        dispatch();
        checkIdle();
    });
    return process;
}

void WorkerPool::dispatch()
{
    while (!m_stopped && m_running.size() < m_size && !m_queue.isEmpty()) {
        const Job job = m_queue.takeFirst();
        ScriptProcess *process = m_spares.isEmpty() || job.lost ? newProcess() : m_spares.takeFirst();
        m_running.insert(process, job);
        emit started(job.id);
        process->run(job.path, job.evidenceName);
    }
    startSpares();
}

void WorkerPool::startSpares()
{
    const int wanted = m_stopped ? 0 : qMin(m_size, m_queue.size());
    while (m_spares.size() > wanted)
        m_spares.takeLast()->cancel();
    // Not before the processes of the running scripts are up: they would
    // slow each other down.
    const bool ready =
        std::none_of(m_running.keyBegin(), m_running.keyEnd(), [](const ScriptProcess *p) { return p->isStarting(); });
    while (ready && m_spares.size() < wanted) {
        m_spares.append(newProcess());
        m_spares.last()->start();
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
    startSpares();
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
