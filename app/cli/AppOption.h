#pragma once

#include <QStringList>

// `--app PROGRAM [-- ARGS]`: the program's own arguments.

// Takes what follows the first "--" out of `arguments` when --app comes
// before it, and returns it; otherwise leaves `arguments` alone.
QStringList splitProgramArguments(QStringList *arguments);
