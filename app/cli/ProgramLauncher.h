#pragma once

#include "WorkerProcess.h"

#include <QStringList>

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
    WorkerProcess *process();
    // The program as the command line named it, for the lines that speak of
    // it.
    QString name() const;

    // A program that never creates a Qt application (a wrapper script whose
    // program fails) is given up after this long.
    static constexpr int attachMilliseconds = 30000;

private:
    QString attachLibrary() const;
    bool refuse(const QString &line);

    QStringList m_command;
    Mode m_mode;
    WorkerProcess m_process;
};

// `corvella --app PROGRAM [-- ARGS]`: the program with the script editor
// window beside its own; ends with the program's exit status.
int runAttachedEditor(int argc, char **argv, const QStringList &command);
