#pragma once

#include <QString>

// `corvella --run FILE [--timeout SECONDS]`, once the application object
// exists: opens FILE, runs it as the Run button does once the window is up,
// prints the output pane to standard output. Exit status 0 without error, 1
// with one (a time limit, SIGINT and SIGTERM included), 2 when FILE cannot
// be read. A limit of 0 means none.
int runCommand(const QString &path, int timeLimitSeconds);
