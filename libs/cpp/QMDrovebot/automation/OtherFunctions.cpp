#include "AutomationFunctions.h"

#include "AutomationState.h"
#include "ScriptArguments.h"
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QString buildDate(const QString &compilerDate)
{
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QStringList parts = compilerDate.simplified().split(QLatin1Char(' '));
    if (!parts.isEmpty()) {
        for (int m = 0; m < 12; ++m) {
            if (parts.first() == QLatin1String(months[m])) {
                parts.first() = QString::number(m + 1);
                break;
            }
        }
    }
    return parts.join(QLatin1Char('/'));
}

QScriptValue include(QScriptContext *, QScriptEngine *engine)
{
    // Included files are pasted into the program text before it runs.
    return engine->nullValue();
}

QScriptValue abort(QScriptContext *, QScriptEngine *engine)
{
    if (ScriptEngine *own = ScriptEngine::from(engine)) {
        own->interrupt(ScriptEngine::abortText());
        return engine->nullValue();
    }
    const QScriptValue error =
        engine->currentContext()->throwError(QScriptContext::UnknownError, ScriptEngine::abortText());
    engine->abortEvaluation(error);
    return engine->nullValue();
}

QScriptValue quitApplication(QScriptContext *, QScriptEngine *engine)
{
    AutomationState::quitApplication();
    return engine->nullValue();
}

QScriptValue currentDateTimeString(QScriptContext *context, QScriptEngine *)
{
    return QScriptValue(QDateTime::currentDateTime().toString(textArg(context, 0)));
}

QScriptValue currentAppVersion(QScriptContext *, QScriptEngine *)
{
    return QScriptValue(QCoreApplication::instance() ? QCoreApplication::applicationVersion() : QString());
}

QScriptValue currentAppBuild(QScriptContext *, QScriptEngine *)
{
    return QScriptValue(QCoreApplication::instance() ? buildDate(QStringLiteral(__DATE__)) : QString());
}

QScriptValue getFileNames(QScriptContext *context, QScriptEngine *engine)
{
    const QStringList filters = textArg(context, 1).split(QLatin1Char(' '));
    const QStringList names = QDir(textArg(context, 0)).entryList(filters, QDir::Files, QDir::NoSort);
    QScriptValue array = engine->newArray(uint(names.size()));
    for (int i = 0; i < names.size(); ++i)
        array.setProperty(quint32(i), QScriptValue(names.at(i)));
    return array;
}

QScriptValue newObject(QScriptContext *context, QScriptEngine *engine)
{
    const QString type = textArg(context, 0);
    if (type == QLatin1String("QWidget"))
        return createdResult(engine, new QWidget);
    if (type == QLatin1String("QLabel"))
        return createdResult(engine, new QLabel);
    return engine->nullValue();
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
