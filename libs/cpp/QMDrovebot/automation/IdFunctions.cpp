#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include "WidgetLookup.h"
#include <QMDrovebot/ids/WidgetIds.h>

#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue generateIDs(QScriptContext *, QScriptEngine *engine)
{
    WidgetIds::generateIDs();
    return engine->nullValue();
}

QScriptValue generateIDsForWidget(QScriptContext *context, QScriptEngine *engine)
{
    WidgetIds::generateIDsForWidget(widgetArg(context, 0));
    return engine->nullValue();
}

QScriptValue restoreOriginalToolTips(QScriptContext *, QScriptEngine *engine)
{
    WidgetIds::restoreOriginalToolTips();
    return engine->nullValue();
}

QScriptValue getWidgetByID(QScriptContext *context, QScriptEngine *engine)
{
    // Generated IDs are shown as tool tips.
    return objectResult(engine, WidgetLookup::byToolTip(textArg(context, 0), false));
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
