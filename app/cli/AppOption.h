#pragma once

#include <QCommandLineOption>
#include <QStringList>

class QCommandLineParser;

// `--app PROGRAM [-- ARGS]`: the option, and the program's own arguments.

// Takes what follows the first "--" out of `arguments` when --app comes
// before it, and returns it; otherwise leaves `arguments` alone.
QStringList splitProgramArguments(QStringList *arguments);
QCommandLineOption addAppOption(QCommandLineParser *parser);
