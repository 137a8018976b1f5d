#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include "ScriptDialogs.h"

#include <QLabel>
#include <QPixmap>
#include <QScriptContext>
#include <QScriptEngine>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue grab(QScriptContext *context, QScriptEngine *engine)
{
    QWidget *widget = widgetArg(context, 0);
    if (!widget)
        return engine->nullValue();
    const QPixmap pixmap = ScriptDialogs::grab(widget);
    auto *label = new QLabel;
    label->setPixmap(pixmap);
    label->setFixedSize(pixmap.size());
    return createdResult(engine, label);
}

QScriptValue grabAndSave(QScriptContext *context, QScriptEngine *engine)
{
    ScriptDialogs::grabAndSave(widgetArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
