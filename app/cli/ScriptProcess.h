#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <QMDrovebot/batch/ScriptRunner.h>

#include <memory>

class ProgramLauncher;
class WorkerProcess;

// One script in a process started for it alone: a Corvella worker (a fresh
// frame drawing off screen, with settings and data folders of its own that
// vanish with it), or with --app a fresh instance of the program. Whatever
// the process does (crashes, is killed, hangs in native code), the script
// ends in exactly one result, and the process never outlives its use.
//
// The time limit is kept here: at the limit the script is stopped as Stop
// does, and a process that has not delivered its result `graceMilliseconds`
// later is killed; the result then says so in red.
class ScriptProcess : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        // Empty for a Corvella worker.
        QStringList appCommand;
        QString evidenceFolder;
        int timeLimitSeconds = 0;
    };

    explicit ScriptProcess(const Setup &setup, QObject *parent = nullptr);
    ~ScriptProcess() override;

    // Starts the process ahead of its script, so the script need not wait
    // for it.
    void start();
    // Starts the process unless it was, and once it is ready, the script.
    // finished() comes later, never from inside this call.
    void run(const QString &path, const QString &evidenceName);
    // False until the script was handed to the process.
    bool scriptStarted() const;
    // The process has not yet said it is ready.
    bool isStarting() const;
    // Stops the script with `reason` as its red line.
    void stop(const QString &reason);
    // Ends the process before its script began: no result comes.
    void cancel();
    bool hasEnded() const;

    static constexpr int graceMilliseconds = 10000;
    // A process that is not ready by then is not going to be.
    static constexpr int startMilliseconds = 30000;

signals:
    void ready();
    // A process started ahead of its script ended before it got the script:
    // no result comes, and the script is owed another process.
    void lost();
    void finished(const QMDrovebot::ScriptRun &result);
    // The process is gone; the object may be deleted.
    void ended();

private:
    enum class State { Idle, Starting, Ready, Running, Finished };

    void launch();
    void launchWorker();
    void launchProgram();
    void becomeReady();
    void sendRun();
    void received(const QJsonObject &message);
    void processEnded();
    QMDrovebot::ScriptRun failedRun(const QString &line) const;
    void fail(const QString &line);
    // `delivered`: the result came from the process, which then ends by
    // itself.
    void finish(const QMDrovebot::ScriptRun &result, bool delivered);
    // "the script's process", or the program as the command line names it.
    QString processName() const;
    WorkerProcess *process() const;

    Setup m_setup;
    QString m_path;
    QString m_evidenceName;
    State m_state = State::Idle;
    // run() was called: a result is owed.
    bool m_wanted = false;
    // start() came before run().
    bool m_ahead = false;
    // The worker said it has the script (a program never says so).
    bool m_taken = false;
    std::unique_ptr<QTemporaryDir> m_folders;
    std::unique_ptr<WorkerProcess> m_worker;
    std::unique_ptr<ProgramLauncher> m_launcher;
    QTimer m_limit;
    QTimer m_grace;
    QElapsedTimer m_clock;
    QString m_stopReason;
    bool m_killed = false;
    bool m_ended = false;
};
