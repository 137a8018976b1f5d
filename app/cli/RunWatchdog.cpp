#include "RunWatchdog.h"

#include "ScriptRunGuard.h"

#include <cstdio>
#include <cstdlib>

RunWatchdog::RunWatchdog(int timeLimitSeconds, Ending ending, const QString &consequence)
    : m_timeLimitSeconds(timeLimitSeconds)
    , m_ending(std::move(ending))
    , m_consequence(consequence)
    , m_thread(&RunWatchdog::watch, this)
{
}

RunWatchdog::~RunWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void RunWatchdog::rowStarted(int row)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_row = row;
    m_rowStart = Clock::now();
}

void RunWatchdog::rowFinished()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_row = -1;
}

void RunWatchdog::watch()
{
    const auto grace = std::chrono::seconds(graceSeconds);
    bool signalSeen = false;
    Clock::time_point signalTime;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        // Signals are only flagged (the handler may do no more), so they are
        // polled.
        m_wake.wait_for(lock, std::chrono::milliseconds(100));
        if (m_quit)
            break;
        const Clock::time_point now = Clock::now();
        if (!signalSeen && ScriptRunGuard::signalReceived()) {
            signalSeen = true;
            signalTime = now;
        }
        QString why;
        if (m_row >= 0 && m_timeLimitSeconds > 0 &&
            now >= m_rowStart + std::chrono::seconds(m_timeLimitSeconds) + grace)
            why = ScriptRunGuard::timeLimitText(m_timeLimitSeconds);
        else if (signalSeen && now >= signalTime + grace)
            why = ScriptRunGuard::signalText();
        if (why.isEmpty())
            continue;
        // The lock stays taken: the GUI thread, should it come back, waits
        // at its next row instead of printing after these last words.
        m_ending(m_row, why + QStringLiteral("\nError: the script did not stop within %1 seconds, so %2")
                                  .arg(graceSeconds)
                                  .arg(m_consequence));
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(1);
    }
}
