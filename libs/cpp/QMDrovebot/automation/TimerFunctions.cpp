#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include "Timer.h"
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptEngine>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue createTimer(QScriptContext *, QScriptEngine *engine)
{
    auto *timer = new Timer;
    timer->setEngine(ScriptEngine::from(engine));
    return createdResult(engine, timer);
}

QScriptValue singleShotTimer(QScriptContext *context, QScriptEngine *engine)
{
    auto *timer = new Timer;
    timer->setEngine(ScriptEngine::from(engine));
    // A negative interval would leave the timer stopped for good, and the
    // dialog handler a script hangs on it would never run.
    timer->start(qMax(0, int32Arg(context, 0)));
    return createdResult(engine, timer);
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
