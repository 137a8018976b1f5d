#pragma once

#include <QString>

namespace QMDrovebot {

// Whether the evaluator's own parser accepts `program`, without running any
// of it. The engine's static syntax check uses a different parser that
// rejects some valid programs (an operator ending a line before "++x"), so a
// static-check error is only believed when this rejects the program too.
bool evaluatorAcceptsProgram(const QString &program);

// A character of a name or keyword, as the scanners of this library tell
// words apart.
bool isNameChar(QChar c);

// A conservative measure of how deep the engine's static parser must stack
// states for `program`: brackets, and the operators still waiting for their
// right operand, outside strings, comments and regex literals.
int parserNestingEstimate(const QString &program);

// The static parser writes past a fixed stack once it nests deeper than
// about 120 states, which corrupts the heap (an array literal holding 31
// nested arrays of three elements is enough). Programs estimated deeper than
// this are left to the evaluator's parser alone.
constexpr int maximumStaticCheckNesting = 48;

struct SyntaxVerdict
{
    bool valid = true;
    int line = 0;   // 1-based; 0 when unknown
    int column = 0; // 1-based; 0 when unknown
    QString message;
};

// The syntax check every run and every included file goes through: the
// static check where it is safe, its error confirmed by the evaluator's
// parser; for deep programs the evaluator's parser alone.
SyntaxVerdict checkProgramSyntax(const QString &program);

} // namespace QMDrovebot
