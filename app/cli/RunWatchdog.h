#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Ends the process when a script does not stop. A time limit and SIGINT or
// SIGTERM stop a script from the GUI thread's event loop (ScriptRunGuard),
// which a long native call (a join of a huge array) never returns to. When a
// row is still running `graceSeconds` after its time limit, or the process
// is still there that long after a signal, this thread has the host print and
// report what it has, and ends the process with status 1.
class RunWatchdog
{
public:
    static constexpr int graceSeconds = 5;

    // Called on the watchdog's thread with the row that did not stop (-1
    // when none was running) and the lines that say why; the process ends
    // with status 1 when it returns.
    using Ending = std::function<void(int row, const QString &lines)>;

    // `consequence` ends the last line: "so <consequence>".
    RunWatchdog(int timeLimitSeconds, Ending ending, const QString &consequence = QStringLiteral("the run was ended"));
    ~RunWatchdog();

    // The row's time limit counts from here.
    void rowStarted(int row);
    void rowFinished();

private:
    void watch();

    using Clock = std::chrono::steady_clock;
    const int m_timeLimitSeconds;
    const Ending m_ending;
    const QString m_consequence;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    int m_row = -1;
    Clock::time_point m_rowStart;
    std::thread m_thread;
};
