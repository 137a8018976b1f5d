#include "AutomationFunctions.h"

#include "ScriptArguments.h"
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ProtocolFiles.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptEngine>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

QScriptValue printout(QScriptContext *context, QScriptEngine *engine)
{
    if (OutputArea *output = outputOf(engine))
        output->print(textArg(context, 0));
    return engine->nullValue();
}

QScriptValue saveOutputToProtocol(QScriptContext *, QScriptEngine *engine)
{
    ScriptEngine *own = ScriptEngine::from(engine);
    if (own && own->outputArea())
        ProtocolFiles(own->scriptFileName()).saveSnapshot(own->outputArea()->toPlainText());
    return engine->nullValue();
}

QScriptValue printToScriptLog(QScriptContext *context, QScriptEngine *engine)
{
    const QString text = textArg(context, 0);
    ScriptEngine *own = ScriptEngine::from(engine);
    if (!own)
        return engine->nullValue();
    const QString line = ProtocolFiles(own->scriptFileName()).appendLogLine(text);
    if (!line.isEmpty() && own->outputArea())
        own->outputArea()->append(line);
    return engine->nullValue();
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
