#include "ScriptArguments.h"

#include <MTools/Delay.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

#include <climits>
#include <cmath>

namespace QMDrovebot {
namespace ScriptArguments {

namespace {

int truncated(qsreal value)
{
    if (std::isnan(value))
        return 0;
    if (value >= qsreal(INT_MAX))
        return INT_MAX;
    if (value <= qsreal(INT_MIN))
        return INT_MIN;
    return int(value);
}

} // namespace

QString textArg(QScriptContext *context, int index)
{
    return context->argument(index).toString();
}

QObject *objectArg(QScriptContext *context, int index)
{
    return context->argument(index).toQObject();
}

QWidget *widgetArg(QScriptContext *context, int index)
{
    return qobject_cast<QWidget *>(objectArg(context, index));
}

int numberArg(QScriptContext *context, int index)
{
    return truncated(context->argument(index).toNumber());
}

int integerArg(QScriptContext *context, int index)
{
    return truncated(context->argument(index).toInteger());
}

int int32Arg(QScriptContext *context, int index)
{
    return context->argument(index).toInt32();
}

qint64 millisecondsArg(QScriptContext *context, int index)
{
    const qsreal value = context->argument(index).toNumber();
    if (std::isnan(value) || value <= 0)
        return 0;
    if (value >= qsreal(qint64(1) << 62))
        return MTools::Delay::kForever;
    return qint64(std::ceil(value));
}

QScriptValue objectResult(QScriptEngine *engine, QObject *object)
{
    return object ? engine->newQObject(object, QScriptEngine::QtOwnership) : engine->nullValue();
}

QScriptValue createdResult(QScriptEngine *engine, QObject *object)
{
    if (ScriptEngine *own = ScriptEngine::from(engine))
        own->adopt(object);
    return objectResult(engine, object);
}

OutputArea *outputOf(QScriptEngine *engine)
{
    ScriptEngine *own = ScriptEngine::from(engine);
    return own ? own->outputArea() : nullptr;
}

} // namespace ScriptArguments
} // namespace QMDrovebot
