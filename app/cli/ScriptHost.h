#pragma once

#include <QString>

#include <QMDrovebot/batch/ScriptRunner.h>

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
    virtual QMDrovebot::ScriptRun run(const QString &path) = 0;
    // False once no further script can run (the program has ended).
    virtual bool canRun() const = 0;
};
