#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include "ScriptDialogs.h"
#include "Waits.h"
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue delay(QScriptContext *context, QScriptEngine *engine)
{
    ScriptDialogs::delay(millisecondsArg(context, 0));
    return engine->nullValue();
}

QScriptValue waitForDialogTermination(QScriptContext *, QScriptEngine *engine)
{
    ScriptDialogs::processPendingEvents();
    return engine->nullValue();
}

QScriptValue waitFor(QScriptContext *context, QScriptEngine *engine)
{
    QScriptValue condition = context->argument(0);
    if (!condition.isFunction())
        return engine->nullValue();
    QScriptValue result;
    bool threw = false;
    Waits::until(ScriptEngine::from(engine), millisecondsArg(context, 1), [&] {
        result = condition.call();
        threw = engine->hasUncaughtException();
        return threw || result.toBool();
    });
    // An exception in the condition is left pending, so it goes on up the
    // script like any other.
    if (threw || result.toBool())
        return result;
    return engine->nullValue();
}

QScriptValue waitForWidget(QScriptContext *context, QScriptEngine *engine)
{
    ScriptEngine *own = ScriptEngine::from(engine);
    const QString kindName = textArg(context, 0);
    const Waits::Kind kind = Waits::kindFromName(kindName);
    const QString text = textArg(context, 1);
    const qint64 milliseconds = millisecondsArg(context, 2);
    if (kind == Waits::Kind::Unknown) {
        if (own)
            own->reportError(QStringLiteral("waitForWidget: unknown kind \"%1\"; use objectName, windowTitle, "
                                            "className, toolTip or id")
                                 .arg(kindName)
                                 .toHtmlEscaped());
        return engine->nullValue();
    }
    QWidget *found = nullptr;
    Waits::until(own, milliseconds, [&] { return (found = Waits::readyWidget(kind, text)) != nullptr; });
    if (found)
        return objectResult(engine, found);
    if (own && !engine->hasUncaughtException() && !own->isInterrupted())
        own->reportError(
            (QStringLiteral("waitForWidget: ") + Waits::timeoutReport(kind, text, milliseconds)).toHtmlEscaped());
    return engine->nullValue();
}

QScriptValue waitForSignal(QScriptContext *context, QScriptEngine *engine)
{
    return QScriptValue(Waits::forSignal(ScriptEngine::from(engine), objectArg(context, 0), textArg(context, 1),
                                         millisecondsArg(context, 2)));
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
