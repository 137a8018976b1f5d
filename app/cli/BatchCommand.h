#pragma once

#include <QString>

// `corvella --batch LIST.jslst [--junit REPORT.xml]`: runs the scripts of the
// list in order in one editor, as the batch window's Start does, without a
// display of its own. Relative paths in the list are relative to the list
// file's folder.
//
// Standard output: for each script "== PATH" (the path as the list names it),
// its output pane as plain text, then "-- Done" or "-- Error"; at the end one
// line such as "3 scripts: 2 done, 1 error". Returns 0 when every script is
// done, 1 when any failed, 2 after one line on standard error when the list
// cannot be read or the report cannot be written.
//
// With a report path, a JUnit report is rewritten before and after every
// script, so a process ended from outside still leaves a complete report in
// which the script that was running counts as failed.
int runBatchCommand(int argc, char **argv, const QString &listPath, const QString &reportPath);

// `corvella --run FILE --junit REPORT.xml`: the output and statuses of --run,
// and the same report for the one script.
int runScriptWithReport(int argc, char **argv, const QString &scriptPath, const QString &reportPath);
