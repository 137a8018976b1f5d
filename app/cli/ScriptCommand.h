#pragma once

#include <QString>
#include <QStringList>

// What --run and --batch share besides the scripts themselves.
struct ScriptCommandOptions
{
    // A JUnit report to write; empty for none.
    QString reportPath;
    // Each script is stopped as Stop does after this many seconds; 0 for no
    // limit.
    int timeLimitSeconds = 0;
    // A failed script leaves its evidence (pictures of the windows, the
    // widget tree, the output) in a folder of its own below this one; empty
    // for none.
    QString evidenceFolder;
    // With --app: the program the scripts run in, then its arguments; empty
    // for Corvella's own frame.
    QStringList appCommand;

    // What only --batch takes.
    // Worker processes, each script in a fresh one; 0 for none (one editor
    // runs them all).
    int jobs = 0;
    // Runs only part `shardIndex` (from 1) of `shardCount`.
    int shardIndex = 1;
    int shardCount = 1;
    // An earlier JUnit report whose times balance the shards and start the
    // longest scripts first; empty for none.
    QString durationsPath;
    // A failed script runs again, in a fresh editor, up to this many times.
    int retries = 0;
    // A script that failed and then passed fails the run too.
    bool failOnFlaky = false;
};

// `corvella --batch LIST.jslst`: runs the scripts of the list in order in one
// editor, as the batch window's Start does, without a display of its own.
// Relative paths in the list are relative to the list file's folder.
//
// Standard output (ResultPrinter): for each script "== PATH" (the path as the
// list names it), its output pane as plain text, then "-- Done" or "--
// Error"; at the end one line such as "3 scripts: 2 done, 1 error". Returns 0
// when every script is done, 1 when any failed or did not run, 2 after one
// line on standard error when the list cannot be read or holds no scripts,
// when an output would overwrite an input, or when the report cannot be
// written. After SIGINT or SIGTERM, or a script's quitApplication(), the
// running script ends and the rest are not run.
//
// With a report path, the JUnit report (ReportFile) is in place, every row
// not run, before the application starts, and follows the results, so a
// process ended from outside still leaves a complete report that does not
// look green.
int runBatchCommand(int argc, char **argv, const QString &listPath, const ScriptCommandOptions &options);

// `corvella --run FILE`: runs FILE as the Run button does, once the window is
// up, and prints the output pane. Returns 0 without error, 1 with one (a time
// limit, SIGINT and SIGTERM included), 2 when FILE cannot be read (the report
// then holds the one case as an error). With a report path, the same report
// as --batch for the one script.
int runScriptCommand(int argc, char **argv, const QString &scriptPath, const ScriptCommandOptions &options);
