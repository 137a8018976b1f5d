#pragma once

#include <QScriptValue>
#include <QString>

class QScriptContext;
class QScriptEngine;

namespace QMDrovebot {

// The native global functions scripts call, grouped as the scripting
// reference groups them, one source file per group. ScriptApi registers them
// in its own table order. None of them throws for bad arguments: missing ones
// convert as the engine converts undefined, and an argument that wraps no
// widget is a null widget.
namespace AutomationFunctions {

// Find widgets (FindFunctions.cpp).
QScriptValue getWidgetByObjectName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getWidgetByWindowTitle(QScriptContext *context, QScriptEngine *engine);
QScriptValue getWidgetByClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getVisibleWidgetByClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getWidgetByToolTip(QScriptContext *context, QScriptEngine *engine);
QScriptValue getVisibleWidgetByToolTip(QScriptContext *context, QScriptEngine *engine);
QScriptValue getSubWidgetByObjectName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getSubWidgetByClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getVisibleSubWidgetByClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getSubWidgetByInheritClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue getSubWidgetByToolTip(QScriptContext *context, QScriptEngine *engine);
QScriptValue getParentWidgetByClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue parentByClassName(QScriptContext *context, QScriptEngine *engine);
QScriptValue parent(QScriptContext *context, QScriptEngine *engine);
QScriptValue className(QScriptContext *context, QScriptEngine *engine);
QScriptValue printChildren(QScriptContext *context, QScriptEngine *engine);
QScriptValue dumpHierarchy(QScriptContext *context, QScriptEngine *engine);

// Click and type, drag and drop (InputFunctions.cpp).
QScriptValue mouseClick(QScriptContext *context, QScriptEngine *engine);
QScriptValue mouseDoubleClick(QScriptContext *context, QScriptEngine *engine);
QScriptValue mousePress(QScriptContext *context, QScriptEngine *engine);
QScriptValue mouseRelease(QScriptContext *context, QScriptEngine *engine);
QScriptValue keyPress(QScriptContext *context, QScriptEngine *engine);
QScriptValue enterPress(QScriptContext *context, QScriptEngine *engine);
QScriptValue spacePress(QScriptContext *context, QScriptEngine *engine);
QScriptValue sendEvent(QScriptContext *context, QScriptEngine *engine);
QScriptValue dragAndDrop(QScriptContext *context, QScriptEngine *engine);

// Shortcuts and menus (MenuFunctions.cpp).
QScriptValue shortCutPress(QScriptContext *context, QScriptEngine *engine);
QScriptValue getVisiblePopup(QScriptContext *context, QScriptEngine *engine);
QScriptValue clickMenuItem(QScriptContext *context, QScriptEngine *engine);
QScriptValue waitForPopupTermination(QScriptContext *context, QScriptEngine *engine);

// Wait (WaitFunctions.cpp).
QScriptValue delay(QScriptContext *context, QScriptEngine *engine);
QScriptValue waitForDialogTermination(QScriptContext *context, QScriptEngine *engine);
// (func, milliseconds): func's first truthy result, or null after the time.
QScriptValue waitFor(QScriptContext *context, QScriptEngine *engine);
// (kind, text, milliseconds): the widget once it is visible and enabled, or
// null and a red line that says why not.
QScriptValue waitForWidget(QScriptContext *context, QScriptEngine *engine);
// (object, signal name, milliseconds): whether the signal came in time.
QScriptValue waitForSignal(QScriptContext *context, QScriptEngine *engine);

// Dialogs (DialogFunctions.cpp).
QScriptValue getVisibleDialog(QScriptContext *context, QScriptEngine *engine);
QScriptValue information(QScriptContext *context, QScriptEngine *engine);
QScriptValue message(QScriptContext *context, QScriptEngine *engine);
QScriptValue textDialog(QScriptContext *context, QScriptEngine *engine);
QScriptValue intDialog(QScriptContext *context, QScriptEngine *engine);

// Timers (TimerFunctions.cpp).
QScriptValue createTimer(QScriptContext *context, QScriptEngine *engine);
QScriptValue singleShotTimer(QScriptContext *context, QScriptEngine *engine);

// Screenshots (ScreenshotFunctions.cpp).
QScriptValue grab(QScriptContext *context, QScriptEngine *engine);
QScriptValue grabAndSave(QScriptContext *context, QScriptEngine *engine);

// Output and protocol files (OutputFunctions.cpp).
QScriptValue printout(QScriptContext *context, QScriptEngine *engine);
QScriptValue saveOutputToProtocol(QScriptContext *context, QScriptEngine *engine);
QScriptValue printToScriptLog(QScriptContext *context, QScriptEngine *engine);

// Widget IDs (IdFunctions.cpp).
QScriptValue generateIDs(QScriptContext *context, QScriptEngine *engine);
QScriptValue generateIDsForWidget(QScriptContext *context, QScriptEngine *engine);
QScriptValue restoreOriginalToolTips(QScriptContext *context, QScriptEngine *engine);
QScriptValue getWidgetByID(QScriptContext *context, QScriptEngine *engine);

// Includes, stopping and the others (OtherFunctions.cpp).
QScriptValue include(QScriptContext *context, QScriptEngine *engine);
QScriptValue abort(QScriptContext *context, QScriptEngine *engine);
QScriptValue quitApplication(QScriptContext *context, QScriptEngine *engine);
QScriptValue currentDateTimeString(QScriptContext *context, QScriptEngine *engine);
QScriptValue currentAppVersion(QScriptContext *context, QScriptEngine *engine);
QScriptValue currentAppBuild(QScriptContext *context, QScriptEngine *engine);
QScriptValue getFileNames(QScriptContext *context, QScriptEngine *engine);
QScriptValue newObject(QScriptContext *context, QScriptEngine *engine);

// The compiler's build date ("Jul 30 2014", day padded with a blank) as
// month/day/year without leading zeros ("7/30/2014").
QString buildDate(const QString &compilerDate);

} // namespace AutomationFunctions

} // namespace QMDrovebot
