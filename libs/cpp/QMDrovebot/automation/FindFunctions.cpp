#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include "WidgetLookup.h"
#include <QMDrovebot/engine/OutputArea.h>

#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue getWidgetByObjectName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::byObjectName(textArg(context, 0)));
}

QScriptValue getWidgetByWindowTitle(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::byWindowTitle(textArg(context, 0)));
}

QScriptValue getWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::byClassName(textArg(context, 0), false));
}

QScriptValue getVisibleWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::byClassName(textArg(context, 0), true));
}

QScriptValue getWidgetByToolTip(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::byToolTip(textArg(context, 0), false));
}

QScriptValue getVisibleWidgetByToolTip(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::byToolTip(textArg(context, 0), true));
}

QScriptValue getSubWidgetByObjectName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::subByObjectName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getSubWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::subByClassName(widgetArg(context, 0), textArg(context, 1), false));
}

QScriptValue getVisibleSubWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::subByClassName(widgetArg(context, 0), textArg(context, 1), true));
}

QScriptValue getSubWidgetByInheritClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::subByInheritance(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getSubWidgetByToolTip(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::subByToolTip(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getParentWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::ancestorByClassName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue parentByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, WidgetLookup::chainByClassNameOrSuffix(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue parent(QScriptContext *context, QScriptEngine *engine)
{
    QObject *object = objectArg(context, 0);
    return object ? objectResult(engine, object->parent()) : engine->nullValue();
}

QScriptValue className(QScriptContext *context, QScriptEngine *)
{
    QObject *object = objectArg(context, 0);
    return QScriptValue(object ? QString::fromLatin1(object->metaObject()->className()) : QString());
}

QScriptValue printChildren(QScriptContext *context, QScriptEngine *engine)
{
    QObject *object = objectArg(context, 0);
    OutputArea *output = outputOf(engine);
    if (!object || !output)
        return engine->nullValue();
    const QList<QWidget *> descendants = object->findChildren<QWidget *>();
    for (QWidget *descendant : descendants)
        output->append(QString::fromLatin1(descendant->metaObject()->className()));
    return engine->nullValue();
}

QScriptValue dumpHierarchy(QScriptContext *context, QScriptEngine *engine)
{
    WidgetLookup::dumpChain(widgetArg(context, 0));
    return engine->nullValue();
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
