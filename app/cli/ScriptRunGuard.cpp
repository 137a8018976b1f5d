#include "ScriptRunGuard.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <QMDrovebot/editor/Editor.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The handler only writes a byte; the event loop, which the engine keeps
// running even while a script computes, reads it and stops the run.
int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_signalNumber = 0;
ScriptRunGuard *g_activeGuard = nullptr;

void onSignal(int number)
{
    if (g_signalNumber != 0) {
        // Asked twice: whatever keeps the run from ending, the user means it.
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    g_signalNumber = number;
    const char byte = 1;
    const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    (void)written;
}

} // namespace

ScriptRunGuard::ScriptRunGuard(int timeLimitSeconds, QObject *parent)
    : QObject(parent)
    , m_timeLimitSeconds(timeLimitSeconds)
    , m_timeLimit(new QTimer(this))
{
    m_timeLimit->setSingleShot(true);
    m_timeLimit->setTimerType(Qt::PreciseTimer);
    connect(m_timeLimit, &QTimer::timeout, this, [this] {
        // A timer may fire a little early: the clock decides.
        const qint64 left = m_timeLimitSeconds * qint64(1000) - m_clock.elapsed();
        if (left > 0)
            m_timeLimit->start(int(std::min<qint64>(left, INT_MAX)));
        else
            stopRun(timeLimitText(m_timeLimitSeconds));
    });

    static QPointer<QSocketNotifier> notifier;
    if (!notifier && ::pipe(g_signalPipe) == 0) {
        for (int fd : g_signalPipe)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
        notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
            char byte = 0;
            const ssize_t read = ::read(g_signalPipe[0], &byte, 1);
            (void)read;
            if (g_activeGuard)
                g_activeGuard->signalArrived();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
}

ScriptRunGuard::~ScriptRunGuard()
{
    if (g_activeGuard == this)
        g_activeGuard = nullptr;
}

void ScriptRunGuard::run(QMDrovebot::Editor *editor)
{
    if (!editor)
        return;
    QPointer<QMDrovebot::Editor> guarded(editor);
    run(
        [guarded] {
            if (guarded)
                guarded->run();
        },
        [guarded](const QString &reason) {
            if (!guarded || !guarded->isEvaluating())
                return;
            guarded->appendError(reason);
            guarded->stopEvaluation();
        });
}

void ScriptRunGuard::run(const std::function<void()> &body, const std::function<void(const QString &)> &stop)
{
    if (signalReceived())
        return;
    m_stop = stop;
    ScriptRunGuard *outer = g_activeGuard;
    g_activeGuard = this;
    m_clock.start();
    if (m_timeLimitSeconds > 0)
        m_timeLimit->start(int(std::min<qint64>(m_timeLimitSeconds * qint64(1000), INT_MAX)));
    body();
    m_timeLimit->stop();
    g_activeGuard = outer;
    m_stop = nullptr;
}

bool ScriptRunGuard::signalReceived()
{
    return g_signalNumber != 0;
}

QString ScriptRunGuard::timeLimitText(int seconds)
{
    return seconds == 1 ? QStringLiteral("Error: the script ran into its time limit of 1 second")
                        : QStringLiteral("Error: the script ran into its time limit of %1 seconds").arg(seconds);
}

void ScriptRunGuard::signalArrived()
{
    const QString name = g_signalNumber == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
    stopRun(QStringLiteral("Error: the run was interrupted by %1").arg(name));
}

void ScriptRunGuard::stopRun(const QString &reason)
{
    if (m_stop)
        m_stop(reason);
}
