#include "ScriptApi.h"

#include "AutomationFunctions.h"
#include "QEventDefs.h"
#include "QtDefs.h"
#include "Support.h"
#include "TestObj.h"
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ProtocolFiles.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>

namespace QMDrovebot {

namespace {

// Registration order. Adding a function is one row here.
const ScriptFunction kFunctions[] = {
    {"getWidgetByObjectName", &AutomationFunctions::getWidgetByObjectName},                   // 1
    {"getWidgetByWindowTitle", &AutomationFunctions::getWidgetByWindowTitle},                 // 2
    {"getWidgetByClassName", &AutomationFunctions::getWidgetByClassName},                     // 3
    {"getSubWidgetByClassName", &AutomationFunctions::getSubWidgetByClassName},               // 4
    {"getVisibleSubWidgetByClassName", &AutomationFunctions::getVisibleSubWidgetByClassName}, // 5
    {"getSubWidgetByToolTip", &AutomationFunctions::getSubWidgetByToolTip},                   // 6
    {"getWidgetByToolTip", &AutomationFunctions::getWidgetByToolTip},                         // 7
    {"getVisibleWidgetByToolTip", &AutomationFunctions::getVisibleWidgetByToolTip},           // 8
    {"currentDateTimeString", &AutomationFunctions::currentDateTimeString},                   // 9
    {"currentAppVersion", &AutomationFunctions::currentAppVersion},                           // 10
    {"currentAppBuild", &AutomationFunctions::currentAppBuild},                               // 11
    {"getVisibleWidgetByClassName", &AutomationFunctions::getVisibleWidgetByClassName},       // 12
    {"getWidgetByID", &AutomationFunctions::getWidgetByID},                                   // 13
    {"getSubWidgetByObjectName", &AutomationFunctions::getSubWidgetByObjectName},             // 14
    {"getParentWidgetByClassName", &AutomationFunctions::getParentWidgetByClassName},         // 15
    {"grab", &AutomationFunctions::grab},                                                     // 16
    {"grabAndSave", &AutomationFunctions::grabAndSave},                                       // 17
    {"dragAndDrop", &AutomationFunctions::dragAndDrop},                                       // 18
    {"quitApplication", &AutomationFunctions::quitApplication},                               // 19
    {"getSubWidgetByInheritClassName", &AutomationFunctions::getSubWidgetByInheritClassName}, // 20
    {"sendEvent", &AutomationFunctions::sendEvent},                                           // 21
    {"clickMenuItem", &AutomationFunctions::clickMenuItem},                                   // 22
    {"mouseClick", &AutomationFunctions::mouseClick},                                         // 23
    {"mouseDoubleClick", &AutomationFunctions::mouseDoubleClick},                             // 24
    {"mousePress", &AutomationFunctions::mousePress},                                         // 25
    {"mouseRelease", &AutomationFunctions::mouseRelease},                                     // 26
    {"keyPress", &AutomationFunctions::keyPress},                                             // 27
    {"shortCutPress", &AutomationFunctions::shortCutPress},                                   // 28
    {"enterPress", &AutomationFunctions::enterPress},                                         // 29
    {"spacePress", &AutomationFunctions::spacePress},                                         // 30
    {"information", &AutomationFunctions::information},                                       // 31
    {"message", &AutomationFunctions::message},                                               // 32
    {"generateIDs", &AutomationFunctions::generateIDs},                                       // 33
    {"restoreOriginalToolTips", &AutomationFunctions::restoreOriginalToolTips},               // 34
    {"saveOutputToProtocol", &ScriptApi::saveOutputToProtocol},                               // 35
    {"createTimer", &AutomationFunctions::createTimer},                                       // 36
    {"newObject", &AutomationFunctions::newObject},                                           // 37
    {"singleShotTimer", &AutomationFunctions::singleShotTimer},                               // 38
    {"parent", &AutomationFunctions::parent},                                                 // 39
    {"parentByClassName", &AutomationFunctions::parentByClassName},                           // 40
    {"className", &AutomationFunctions::className},                                           // 41
    {"textDialog", &AutomationFunctions::textDialog},                                         // 42
    {"intDialog", &AutomationFunctions::intDialog},                                           // 43
    {"getVisibleDialog", &AutomationFunctions::getVisibleDialog},                             // 44
    {"waitForDialogTermination", &AutomationFunctions::waitForDialogTermination},             // 45
    {"abort", &ScriptApi::abort},                                                             // 46
    {"getVisiblePopup", &AutomationFunctions::getVisiblePopup},                               // 47
    {"printToScriptLog", &ScriptApi::printToScriptLog},                                       // 48
    {"printChildren", &AutomationFunctions::printChildren},                                   // 49
    {"dumpHierarchy", &AutomationFunctions::dumpHierarchy},                                   // 50
    {"getFileNames", &AutomationFunctions::getFileNames},                                     // 51
    {"waitForPopupTermination", &AutomationFunctions::waitForPopupTermination},               // 52
    {"include", &ScriptApi::include},                                                         // 53
    {"printout", &ScriptApi::printout},                                                       // 54
    {"generateIDsForWidget", &AutomationFunctions::generateIDsForWidget},                     // 55
    {"delay", &AutomationFunctions::delay},                                                   // 56
    {"waitFor", &AutomationFunctions::waitFor},
    {"waitForWidget", &AutomationFunctions::waitForWidget},
    {"waitForSignal", &AutomationFunctions::waitForSignal},
};

// After Stop or abort() the engine notices the request only once a call
// returns, so a callback could still start one call; it does nothing.
QScriptValue guardedCall(QScriptContext *context, QScriptEngine *engine, void *row)
{
    const ScriptEngine *own = ScriptEngine::from(engine);
    if (own && own->isInterrupted())
        return engine->nullValue();
    return static_cast<const ScriptFunction *>(row)->function(context, engine);
}

} // namespace

const ScriptFunction *ScriptApi::functions(int *count)
{
    *count = int(sizeof(kFunctions) / sizeof(kFunctions[0]));
    return kFunctions;
}

void ScriptApi::publishObject(QScriptEngine *engine, QObject *object, const QString &name)
{
    QScriptValue global = engine->globalObject();
    global.setProperty(name, engine->newQObject(object, QScriptEngine::QtOwnership), global.propertyFlags(name));
}

void ScriptApi::install(QScriptEngine *engine, const Objects &objects)
{
    publishObject(engine, objects.output, QStringLiteral("output"));
    publishObject(engine, objects.qt, QStringLiteral("Qt"));
    publishObject(engine, objects.qEvent, QStringLiteral("QEvent"));
    publishObject(engine, objects.support, QStringLiteral("Support"));
    publishObject(engine, objects.test, QStringLiteral("Test"));

    QScriptValue global = engine->globalObject();
    int count = 0;
    const ScriptFunction *table = functions(&count);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromLatin1(table[i].name);
        void *row = const_cast<ScriptFunction *>(&table[i]);
        global.setProperty(name, engine->newFunction(guardedCall, row), global.propertyFlags(name));
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
        own->interrupt(ScriptEngine::abortText());
        return engine->nullValue();
    }
    const QScriptValue error =
        engine->currentContext()->throwError(QScriptContext::UnknownError, ScriptEngine::abortText());
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
