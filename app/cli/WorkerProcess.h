#pragma once

#include <QJsonObject>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

namespace QMDrovebot {
class RunChannel;
} // namespace QMDrovebot

class QProcess;

// The launcher's side of a process that runs scripts for it: starts the
// process with one end of a socket pair (its number in CORVELLA_CHANNEL),
// speaks the run channel's protocol with it, and says how it ended.
class WorkerProcess : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        // The process's own standard output goes to our standard error, so
        // it never mixes with what the launcher prints.
        bool outputToStandardError = true;
        // A process group of its own: Ctrl+C in a terminal reaches only the
        // launcher, which stops the script the orderly way.
        bool ownProcessGroup = true;
        // Killed when the launcher dies, so no headless program outlives it.
        bool endsWithLauncher = true;
    };

    explicit WorkerProcess(QObject *parent = nullptr);
    ~WorkerProcess() override;

    // False with `error` set when the process could not be started.
    bool start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               const Options &options, QString *error);
    bool send(const QJsonObject &message);

    // SIGTERM, then SIGKILL after `graceMilliseconds` unless it ended.
    void terminate(int graceMilliseconds);
    void kill();

    bool hasEnded() const;
    // Started and not yet ended.
    bool isRunning() const;
    // "ended with exit status 3", "ended with signal 9 (Killed)".
    QString endText() const;
    // What a shell would report: the exit status, or 128 plus the signal.
    int shellStatus() const;

signals:
    void received(const QJsonObject &message);
    void ended();

private:
    QProcess *m_process = nullptr;
    QMDrovebot::RunChannel *m_channel = nullptr;
    bool m_ended = false;
    bool m_signalled = false;
    int m_code = 0;
};
