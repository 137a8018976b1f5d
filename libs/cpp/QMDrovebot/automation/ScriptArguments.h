#pragma once

#include <QScriptValue>
#include <QString>

class QObject;
class QScriptContext;
class QScriptEngine;
class QWidget;

namespace QMDrovebot {

class OutputArea;

// How the global functions read their arguments and hand back objects. A
// missing argument converts as the engine converts undefined, so none of
// them throws for bad arguments.
namespace ScriptArguments {

QString textArg(QScriptContext *context, int index);
QObject *objectArg(QScriptContext *context, int index);
// An object that is not a widget counts as no widget.
QWidget *widgetArg(QScriptContext *context, int index);
// A number toward zero, with NaN (a missing argument) as 0 and the
// infinities clamped instead of overflowing.
int numberArg(QScriptContext *context, int index);
// As numberArg(), after the engine's own integer conversion.
int integerArg(QScriptContext *context, int index);
int int32Arg(QScriptContext *context, int index);
// A time to wait, as a number of milliseconds: rounded up, so no wait ends
// early; NaN (a missing argument) and negative times as 0; Infinity, and
// anything far beyond any real wait, as MTools::Delay::kForever.
qint64 millisecondsArg(QScriptContext *context, int index);

// The object wrapped with toolkit ownership, or null for none.
QScriptValue objectResult(QScriptEngine *engine, QObject *object);
// An object the script made: its engine frees it when nothing else did.
QScriptValue createdResult(QScriptEngine *engine, QObject *object);

// The running script's output pane; null outside an editor.
OutputArea *outputOf(QScriptEngine *engine);

} // namespace ScriptArguments

} // namespace QMDrovebot
