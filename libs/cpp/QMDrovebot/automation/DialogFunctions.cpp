#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include "ScriptDialogs.h"
#include "WidgetLookup.h"

#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue getVisibleDialog(QScriptContext *, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::visibleDialog());
}

QScriptValue information(QScriptContext *context, QScriptEngine *engine)
{
    ScriptDialogs::information(textArg(context, 0));
    return engine->nullValue();
}

QScriptValue message(QScriptContext *context, QScriptEngine *engine)
{
    ScriptDialogs::message(integerArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue textDialog(QScriptContext *context, QScriptEngine *)
{
    return QScriptValue(ScriptDialogs::askText(textArg(context, 0), textArg(context, 1)));
}

QScriptValue intDialog(QScriptContext *context, QScriptEngine *)
{
    return QScriptValue(ScriptDialogs::askInt(textArg(context, 0), integerArg(context, 1)));
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
