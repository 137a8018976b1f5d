#include "AutomationFunctions.h"

#include "InputSimulator.h"
#include "ScriptArguments.h"
#include "ScriptDialogs.h"
#include "WidgetLookup.h"
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue shortCutPress(QScriptContext *context, QScriptEngine *engine)
{
    // The running script's own editor must not take the shortcut.
    ScriptEngine *own = ScriptEngine::from(engine);
    QWidget *editor = own ? own->hostWidget() : nullptr;
    InputSimulator::postShortcut(textArg(context, 0), editor);
    return engine->nullValue();
}

QScriptValue getVisiblePopup(QScriptContext *, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::visiblePopup());
}

QScriptValue clickMenuItem(QScriptContext *context, QScriptEngine *engine)
{
    InputSimulator::clickMenuItem(widgetArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue waitForPopupTermination(QScriptContext *, QScriptEngine *engine)
{
    ScriptDialogs::processPendingEvents();
    return engine->nullValue();
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
