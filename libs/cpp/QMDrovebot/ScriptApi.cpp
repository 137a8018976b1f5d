#include "ScriptApi.h"

#include "Editor.h"
#include "OutputArea.h"
#include "ProtocolFiles.h"
#include "ScriptEngine.h"

#include <QScriptContext>

namespace QMDrovebot {

namespace {

// Registration order. Adding a function is one row here.
const ScriptFunction kFunctions[] = {
    {"saveOutputToProtocol", &ScriptApi::saveOutputToProtocol}, // 35
    {"abort", &ScriptApi::abort},                               // 46
    {"printToScriptLog", &ScriptApi::printToScriptLog},         // 48
    {"include", &ScriptApi::include},                           // 53
    {"printout", &ScriptApi::printout},                         // 54
};

} // namespace

const ScriptFunction *ScriptApi::functions(int *count)
{
    *count = int(sizeof(kFunctions) / sizeof(kFunctions[0]));
    return kFunctions;
}

void ScriptApi::publishObject(QScriptEngine *engine, QObject *object, const QString &name)
{
    QScriptValue global = engine->globalObject();
    global.setProperty(name, engine->newQObject(object, QScriptEngine::QtOwnership),
                       global.propertyFlags(name));
}

void ScriptApi::install(Editor *editor)
{
    QScriptEngine *engine = editor->engine();
    publishObject(engine, editor->outputArea(), QStringLiteral("output"));
    publishObject(engine, editor->qtDefs(), QStringLiteral("Qt"));
    publishObject(engine, editor->qEventDefs(), QStringLiteral("QEvent"));
    publishObject(engine, editor->support(), QStringLiteral("Support"));
    publishObject(engine, editor->testObj(), QStringLiteral("Test"));

    QScriptValue global = engine->globalObject();
    int count = 0;
    const ScriptFunction *table = functions(&count);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromLatin1(table[i].name);
        global.setProperty(name, engine->newFunction(table[i].function, 0), global.propertyFlags(name));
    }
}

QScriptValue ScriptApi::printout(QScriptContext *context, QScriptEngine *engine)
{
    ScriptEngine *own = ScriptEngine::from(engine);
    if (own && own->outputArea())
        own->outputArea()->append(context->argument(0).toString());
    return engine->nullValue();
}

QScriptValue ScriptApi::include(QScriptContext *, QScriptEngine *engine)
{
    // Included files are pasted into the program text before it runs.
    return engine->nullValue();
}

QScriptValue ScriptApi::abort(QScriptContext *, QScriptEngine *engine)
{
    if (ScriptEngine *own = ScriptEngine::from(engine)) {
        if (Editor *editor = own->editor()) {
            editor->interruptEvaluation(Editor::abortText());
            return engine->nullValue();
        }
    }
    const QScriptValue error = engine->currentContext()->throwError(QScriptContext::UnknownError, Editor::abortText());
    engine->abortEvaluation(error);
    return engine->nullValue();
}

QScriptValue ScriptApi::saveOutputToProtocol(QScriptContext *, QScriptEngine *engine)
{
    ScriptEngine *own = ScriptEngine::from(engine);
    if (own && own->outputArea())
        ProtocolFiles(own->scriptFileName()).saveSnapshot(own->outputArea()->toPlainText());
    return engine->nullValue();
}

QScriptValue ScriptApi::printToScriptLog(QScriptContext *context, QScriptEngine *engine)
{
    const QString text = context->argument(0).toString();
    ScriptEngine *own = ScriptEngine::from(engine);
    if (!own)
        return engine->nullValue();
    const QString line = ProtocolFiles(own->scriptFileName()).appendLogLine(text);
    if (!line.isEmpty() && own->outputArea())
        own->outputArea()->append(line);
    return engine->nullValue();
}

} // namespace QMDrovebot
