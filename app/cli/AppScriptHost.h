#pragma once

#include "ProgramLauncher.h"
#include "ScriptHost.h"

// The scripts run inside a program Corvella is attached to (--app), all in
// that one process, one after another, as its editor runs them. The time
// limit and signals are kept here: a script asked to stop that does not
// (the program itself hangs) has its program killed.
class AppScriptHost : public ScriptHost
{
public:
    AppScriptHost(const QStringList &command, const QString &evidenceFolder, ScriptRunGuard *guard);
    // Ends the program normally, as quitting it would.
    ~AppScriptHost() override;

    bool start() override;
    QMDrovebot::ScriptRun run(const QString &path, const QString &evidenceName) override;
    bool canRun() const override;

    // How long a program may take to stop a script, or to quit, when asked.
    static constexpr int graceMilliseconds = 10000;

private:
    // Why no script can start now (the program ended, a signal came), or
    // empty.
    QString refusalBeforeRun();

    QString m_evidenceFolder;
    ScriptRunGuard *m_guard;
    ProgramLauncher m_launcher;
    bool m_attached = false;
};
