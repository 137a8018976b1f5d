#pragma once

#include <QScriptValue>
#include <QStringList>

class QScriptContext;
class QScriptEngine;

namespace QMDrovebot {

// Error texts and backtraces written without running any of the script's
// code. The engine's own conversions call a thrown object's toString, a
// getter of its message, the toString of every argument in a backtrace; a
// script that overrides one of them (say, with a toString that recurses
// until the stack overflows) would otherwise run again while its error is
// being reported, and could keep the report from ever ending.
class ValueTexts
{
public:
    // Remembers the engine's own conversions; made before any script runs
    // in `engine`, so a script cannot pass off its own as the engine's.
    explicit ValueTexts(QScriptEngine *engine);

    // The value as a string: what the engine's conversion gives for plain
    // values, arrays, errors and objects that keep the engine's toString;
    // "[object Class]" for an object whose conversion is the script's own.
    QString text(const QScriptValue &value) const;

    // The engine's backtrace from `context` outwards, one entry per call
    // ("f(a = 1) at 3"), with arguments converted as text() does.
    QStringList backtrace(QScriptContext *context) const;

private:
    QString text(const QScriptValue &value, int depth) const;
    // The object's toString as a lookup would find it; invalid when a getter
    // stands in the way (calling it would run script code).
    static QScriptValue plainProperty(QScriptValue object, const QString &name);
    QString entry(QScriptContext *context) const;

    QScriptValue m_objectToString;
    QScriptValueList m_safeToStrings;
};

} // namespace QMDrovebot
