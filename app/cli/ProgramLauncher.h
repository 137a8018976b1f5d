#pragma once

#include "WorkerProcess.h"

#include <QStringList>
#include <QTimer>

// Starts a program with Corvella's library preloaded into it and waits until
// Corvella is attached: the program created its Qt 5 application and showed
// its first window. Every way this can fail ends in one line on standard
// error that says which (no such program, not executable, not Qt 5 Widgets,
// another Qt, no window, ended early).
class ProgramLauncher : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Editor, Run };

    // `command`: the program, then its arguments.
    ProgramLauncher(const QStringList &command, Mode mode, QObject *parent = nullptr);

    // False after the line on standard error; the program is then ended.
    bool attach();
    // The same without waiting: finished() comes once it is attached or
    // refused (perhaps before begin() returns), and refusal() then says
    // why, nothing printed.
    void begin();
    QString refusal() const;
    // What the program starts with; the user's own until changed.
    QProcessEnvironment &environment();
    WorkerProcess *process();
    // The program as the command line named it, for the lines that speak of
    // it.
    QString name() const;

    // A program that never creates a Qt application (a wrapper script whose
    // program fails) is given up after this long.
    static constexpr int attachMilliseconds = 30000;

signals:
    void finished(bool attached);

private:
    QString attachLibrary() const;
    // The user's environment with the library preloaded and the mode set.
    QProcessEnvironment launchEnvironment(const QString &library) const;
    // What the preloaded library reports: the application it found, its
    // first window, or why it cannot be driven.
    void handleMessage(const QJsonObject &message);
    void conclude(bool attached, const QString &refusal);

    QStringList m_command;
    Mode m_mode;
    QProcessEnvironment m_environment;
    WorkerProcess m_process;
    QTimer m_giveUp;
    QMetaObject::Connection m_messages;
    QMetaObject::Connection m_end;
    bool m_applicationSeen = false;
    bool m_done = false;
    bool m_attached = false;
    QString m_refusal;
};

// `corvella --app PROGRAM [-- ARGS]`: the program with the script editor
// window beside its own; ends with the program's exit status.
int runAttachedEditor(int argc, char **argv, const QStringList &command);
