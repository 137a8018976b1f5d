#include "SyntaxCheck.h"

#include <QScriptEngine>
#include <QScriptValue>

namespace QMDrovebot {

bool evaluatorAcceptsProgram(const QString &program)
{
    // The program becomes the body of a function that is never called; a
    // bare engine keeps the compiled function away from the user's globals.
    QScriptEngine parser;
    QScriptValue functionConstructor = parser.globalObject().property(QStringLiteral("Function"));
    functionConstructor.construct(QScriptValueList() << QScriptValue(program));
    return !parser.hasUncaughtException();
}

} // namespace QMDrovebot
