#pragma once

#include <QString>

#include <QMDrovebot/batch/ScriptRunner.h>

class OutputMirror;
class ScriptRunGuard;

// Where --run and --batch run their scripts: Corvella's own frame in this
// process, or a program Corvella is attached to. Either way a row runs under
// the guard's time limit and signals, and a failed row brings its evidence.
class ScriptHost
{
public:
    virtual ~ScriptHost();

    // Brings the host up (its window shown, the program attached); false
    // after one line on standard error.
    virtual bool start() = 0;
    // `evidenceName` names the evidence folder of a failed row.
    virtual QMDrovebot::ScriptRun run(const QString &path, const QString &evidenceName) = 0;
    // False once no further script can run (the program has ended).
    virtual bool canRun() const = 0;
    // What the running script has printed so far, readable from any thread,
    // when the script runs on this process's GUI thread and so can keep it
    // from returning; null for a host whose scripts run elsewhere.
    virtual const OutputMirror *mirror() const;
};
