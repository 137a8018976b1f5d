#pragma once

#include <QString>

namespace QMDrovebot {

// Whether the evaluator's own parser accepts `program`, without running any
// of it. The engine's static syntax check uses a different parser that
// rejects some valid programs (an operator ending a line before "++x"), so a
// static-check error is only believed when this rejects the program too.
bool evaluatorAcceptsProgram(const QString &program);

} // namespace QMDrovebot
