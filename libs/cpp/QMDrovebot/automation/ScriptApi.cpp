#include "ScriptApi.h"

#include "AutomationFunctions.h"
#include "QEventDefs.h"
#include "QtDefs.h"
#include "Support.h"
#include "TestObj.h"
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>

namespace QMDrovebot {

namespace {

// A script that lists the global object's properties sees the functions in
// this order, so new ones go at the end: adding a function is one row here.
const ScriptFunction kFunctions[] = {
    {"getWidgetByObjectName", &AutomationFunctions::getWidgetByObjectName},
    {"getWidgetByWindowTitle", &AutomationFunctions::getWidgetByWindowTitle},
    {"getWidgetByClassName", &AutomationFunctions::getWidgetByClassName},
    {"getSubWidgetByClassName", &AutomationFunctions::getSubWidgetByClassName},
    {"getVisibleSubWidgetByClassName", &AutomationFunctions::getVisibleSubWidgetByClassName},
    {"getSubWidgetByToolTip", &AutomationFunctions::getSubWidgetByToolTip},
    {"getWidgetByToolTip", &AutomationFunctions::getWidgetByToolTip},
    {"getVisibleWidgetByToolTip", &AutomationFunctions::getVisibleWidgetByToolTip},
    {"currentDateTimeString", &AutomationFunctions::currentDateTimeString},
    {"currentAppVersion", &AutomationFunctions::currentAppVersion},
    {"currentAppBuild", &AutomationFunctions::currentAppBuild},
    {"getVisibleWidgetByClassName", &AutomationFunctions::getVisibleWidgetByClassName},
    {"getWidgetByID", &AutomationFunctions::getWidgetByID},
    {"getSubWidgetByObjectName", &AutomationFunctions::getSubWidgetByObjectName},
    {"getParentWidgetByClassName", &AutomationFunctions::getParentWidgetByClassName},
    {"grab", &AutomationFunctions::grab},
    {"grabAndSave", &AutomationFunctions::grabAndSave},
    {"dragAndDrop", &AutomationFunctions::dragAndDrop},
    {"quitApplication", &AutomationFunctions::quitApplication},
    {"getSubWidgetByInheritClassName", &AutomationFunctions::getSubWidgetByInheritClassName},
    {"sendEvent", &AutomationFunctions::sendEvent},
    {"clickMenuItem", &AutomationFunctions::clickMenuItem},
    {"mouseClick", &AutomationFunctions::mouseClick},
    {"mouseDoubleClick", &AutomationFunctions::mouseDoubleClick},
    {"mousePress", &AutomationFunctions::mousePress},
    {"mouseRelease", &AutomationFunctions::mouseRelease},
    {"keyPress", &AutomationFunctions::keyPress},
    {"shortCutPress", &AutomationFunctions::shortCutPress},
    {"enterPress", &AutomationFunctions::enterPress},
    {"spacePress", &AutomationFunctions::spacePress},
    {"information", &AutomationFunctions::information},
    {"message", &AutomationFunctions::message},
    {"generateIDs", &AutomationFunctions::generateIDs},
    {"restoreOriginalToolTips", &AutomationFunctions::restoreOriginalToolTips},
    {"saveOutputToProtocol", &AutomationFunctions::saveOutputToProtocol},
    {"createTimer", &AutomationFunctions::createTimer},
    {"newObject", &AutomationFunctions::newObject},
    {"singleShotTimer", &AutomationFunctions::singleShotTimer},
    {"parent", &AutomationFunctions::parent},
    {"parentByClassName", &AutomationFunctions::parentByClassName},
    {"className", &AutomationFunctions::className},
    {"textDialog", &AutomationFunctions::textDialog},
    {"intDialog", &AutomationFunctions::intDialog},
    {"getVisibleDialog", &AutomationFunctions::getVisibleDialog},
    {"waitForDialogTermination", &AutomationFunctions::waitForDialogTermination},
    {"abort", &AutomationFunctions::abort},
    {"getVisiblePopup", &AutomationFunctions::getVisiblePopup},
    {"printToScriptLog", &AutomationFunctions::printToScriptLog},
    {"printChildren", &AutomationFunctions::printChildren},
    {"dumpHierarchy", &AutomationFunctions::dumpHierarchy},
    {"getFileNames", &AutomationFunctions::getFileNames},
    {"waitForPopupTermination", &AutomationFunctions::waitForPopupTermination},
    {"include", &AutomationFunctions::include},
    {"printout", &AutomationFunctions::printout},
    {"generateIDsForWidget", &AutomationFunctions::generateIDsForWidget},
    {"delay", &AutomationFunctions::delay},
    // Added later; scripts written for the first 56 keep their order.
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

namespace {

// On the engine, where scripts cannot reach it.
const char kPublished[] = "corvellaPublishedObjects";

} // namespace

void ScriptApi::publishObject(QScriptEngine *engine, QObject *object, const QString &name)
{
    QScriptValue global = engine->globalObject();
    global.setProperty(name, engine->newQObject(object, QScriptEngine::QtOwnership), global.propertyFlags(name));
    QStringList names = publishedNames(engine);
    if (!names.contains(name))
        engine->setProperty(kPublished, names << name);
}

QStringList ScriptApi::publishedNames(const QScriptEngine *engine)
{
    return engine->property(kPublished).toStringList();
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

} // namespace QMDrovebot
