#include "AutomationFunctions.h"

#include "ScriptDialogs.h"
#include "Support.h"
#include "Timer.h"
#include "Waits.h"
#include <MTools/Delay.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

#include <climits>
#include <cmath>

namespace QMDrovebot {
namespace AutomationFunctions {

namespace {

QString textArg(QScriptContext *context, int index)
{
    return context->argument(index).toString();
}

QObject *objectArg(QScriptContext *context, int index)
{
    return context->argument(index).toQObject();
}

// An object that is not a widget counts as no widget.
QWidget *widgetArg(QScriptContext *context, int index)
{
    return qobject_cast<QWidget *>(objectArg(context, index));
}

// Toward zero, with NaN (a missing argument) as 0 and the infinities clamped
// instead of overflowing.
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

// A time to wait, as a number of milliseconds: rounded up, so no wait ends
// early; NaN (a missing argument) and negative times as 0; Infinity, and
// anything far beyond any real wait, as forever.
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

// An object the script made: its engine frees it when nothing else did.
QScriptValue createdResult(QScriptEngine *engine, QObject *object)
{
    if (ScriptEngine *own = ScriptEngine::from(engine))
        own->adopt(object);
    return objectResult(engine, object);
}

using MouseOperation = void (Support::*)(QWidget *, int, int, int, int);

// The global mouse functions take (widget [, button [, x, y]]) and default to
// the left button at (1, 1); the button is also the held-buttons state.
QScriptValue mouseFunction(QScriptContext *context, QScriptEngine *engine, MouseOperation operation)
{
    QWidget *widget = widgetArg(context, 0);
    const int count = context->argumentCount();
    const int button = count >= 2 ? numberArg(context, 1) : int(Qt::LeftButton);
    int x = 1;
    int y = 1;
    if (count >= 4) {
        x = numberArg(context, 2);
        y = numberArg(context, 3);
    }
    Support support;
    (support.*operation)(widget, x, y, button, button);
    return engine->nullValue();
}

ScriptEngine *ownEngine(QScriptEngine *engine)
{
    return ScriptEngine::from(engine);
}

OutputArea *outputOf(QScriptEngine *engine)
{
    ScriptEngine *own = ownEngine(engine);
    return own ? own->outputArea() : nullptr;
}

} // namespace

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

QScriptValue getWidgetByObjectName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getWidgetByObjectName(textArg(context, 0)));
}

QScriptValue getWidgetByWindowTitle(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getWidgetByWindowTitle(textArg(context, 0)));
}

QScriptValue getWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getWidgetByClassName(textArg(context, 0)));
}

QScriptValue getSubWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getSubWidgetByClassName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getVisibleSubWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getVisibleSubWidgetByClassName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getSubWidgetByToolTip(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getSubWidgetByToolTip(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getWidgetByToolTip(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getWidgetByToolTip(textArg(context, 0)));
}

QScriptValue getVisibleWidgetByToolTip(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getVisibleWidgetByToolTip(textArg(context, 0)));
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

QScriptValue getVisibleWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getVisibleWidgetByClassName(textArg(context, 0)));
}

QScriptValue getWidgetByID(QScriptContext *context, QScriptEngine *engine)
{
    // Generated IDs are shown as tool tips.
    return objectResult(engine, Support().getWidgetByToolTip(textArg(context, 0)));
}

QScriptValue getSubWidgetByObjectName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getSubWidgetByObjectName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue getParentWidgetByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getParentWidgetByClassName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue grab(QScriptContext *context, QScriptEngine *engine)
{
    QWidget *widget = widgetArg(context, 0);
    if (!widget)
        return engine->nullValue();
    const QPixmap pixmap = Support().grab(widget);
    auto *label = new QLabel;
    label->setPixmap(pixmap);
    label->setFixedSize(pixmap.size());
    return createdResult(engine, label);
}

QScriptValue grabAndSave(QScriptContext *context, QScriptEngine *engine)
{
    Support().grabAndSave(widgetArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue dragAndDrop(QScriptContext *context, QScriptEngine *engine)
{
    if (context->argumentCount() == 6) {
        Support().dragAndDrop(widgetArg(context, 0), numberArg(context, 1), numberArg(context, 2),
                              widgetArg(context, 3), numberArg(context, 4), numberArg(context, 5));
    }
    return engine->nullValue();
}

QScriptValue quitApplication(QScriptContext *, QScriptEngine *engine)
{
    Support().quitApplication();
    return engine->nullValue();
}

QScriptValue getSubWidgetByInheritClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().getSubWidgetByInheritClassName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue sendEvent(QScriptContext *context, QScriptEngine *engine)
{
    Support().sendEvent(widgetArg(context, 0), int32Arg(context, 1));
    return engine->nullValue();
}

QScriptValue clickMenuItem(QScriptContext *context, QScriptEngine *engine)
{
    Support().clickMenuItem(widgetArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue mouseClick(QScriptContext *context, QScriptEngine *engine)
{
    return mouseFunction(context, engine, &Support::mouseClick);
}

QScriptValue mouseDoubleClick(QScriptContext *context, QScriptEngine *engine)
{
    return mouseFunction(context, engine, &Support::mouseDoubleClick);
}

QScriptValue mousePress(QScriptContext *context, QScriptEngine *engine)
{
    return mouseFunction(context, engine, &Support::mousePress);
}

QScriptValue mouseRelease(QScriptContext *context, QScriptEngine *engine)
{
    return mouseFunction(context, engine, &Support::mouseRelease);
}

QScriptValue keyPress(QScriptContext *context, QScriptEngine *engine)
{
    Support().keyPress(widgetArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue shortCutPress(QScriptContext *context, QScriptEngine *engine)
{
    // The running script's own editor must not take the shortcut.
    ScriptEngine *own = ownEngine(engine);
    QWidget *editor = own ? own->hostWidget() : nullptr;
    Support().shortCutPress(textArg(context, 0), editor);
    return engine->nullValue();
}

QScriptValue enterPress(QScriptContext *context, QScriptEngine *engine)
{
    Support().keyPress(widgetArg(context, 0), int(Qt::Key_Enter));
    return engine->nullValue();
}

QScriptValue spacePress(QScriptContext *context, QScriptEngine *engine)
{
    Support().keyPress(widgetArg(context, 0), int(Qt::Key_Space));
    return engine->nullValue();
}

QScriptValue information(QScriptContext *context, QScriptEngine *engine)
{
    Support().informationDialog(textArg(context, 0));
    return engine->nullValue();
}

QScriptValue message(QScriptContext *context, QScriptEngine *engine)
{
    Support().messageDialog(integerArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue generateIDs(QScriptContext *, QScriptEngine *engine)
{
    WidgetIds::generateIDs();
    return engine->nullValue();
}

QScriptValue restoreOriginalToolTips(QScriptContext *, QScriptEngine *engine)
{
    WidgetIds::restoreOriginalToolTips();
    return engine->nullValue();
}

QScriptValue createTimer(QScriptContext *, QScriptEngine *engine)
{
    auto *timer = new Timer;
    timer->setEngine(ownEngine(engine));
    return createdResult(engine, timer);
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

QScriptValue singleShotTimer(QScriptContext *context, QScriptEngine *engine)
{
    auto *timer = new Timer;
    timer->setEngine(ownEngine(engine));
    // A negative interval would leave the timer stopped for good, and the
    // dialog handler a script hangs on it would never run.
    timer->start(qMax(0, int32Arg(context, 0)));
    return createdResult(engine, timer);
}

QScriptValue parent(QScriptContext *context, QScriptEngine *engine)
{
    QObject *object = objectArg(context, 0);
    return object ? objectResult(engine, object->parent()) : engine->nullValue();
}

QScriptValue parentByClassName(QScriptContext *context, QScriptEngine *engine)
{
    return objectResult(engine, Support().parentByClassName(widgetArg(context, 0), textArg(context, 1)));
}

QScriptValue className(QScriptContext *context, QScriptEngine *)
{
    QObject *object = objectArg(context, 0);
    return QScriptValue(object ? QString::fromLatin1(object->metaObject()->className()) : QString());
}

QScriptValue textDialog(QScriptContext *context, QScriptEngine *)
{
    return QScriptValue(Support().textDialog(textArg(context, 0), textArg(context, 1)));
}

QScriptValue intDialog(QScriptContext *context, QScriptEngine *)
{
    return QScriptValue(Support().intDialog(textArg(context, 0), integerArg(context, 1)));
}

QScriptValue getVisibleDialog(QScriptContext *, QScriptEngine *engine)
{
    return objectResult(engine, Support().findVisibleDialog());
}

QScriptValue waitForDialogTermination(QScriptContext *, QScriptEngine *engine)
{
    Support().waitForDialogTermination();
    return engine->nullValue();
}

QScriptValue getVisiblePopup(QScriptContext *, QScriptEngine *engine)
{
    return objectResult(engine, Support().findVisiblePopup());
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
    Support().dumpHierarchy(widgetArg(context, 0));
    return engine->nullValue();
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

QScriptValue waitForPopupTermination(QScriptContext *, QScriptEngine *engine)
{
    Support().waitForDialogTermination();
    return engine->nullValue();
}

QScriptValue generateIDsForWidget(QScriptContext *context, QScriptEngine *engine)
{
    WidgetIds::generateIDsForWidget(widgetArg(context, 0));
    return engine->nullValue();
}

QScriptValue delay(QScriptContext *context, QScriptEngine *engine)
{
    ScriptDialogs::delay(millisecondsArg(context, 0));
    return engine->nullValue();
}

QScriptValue waitFor(QScriptContext *context, QScriptEngine *engine)
{
    QScriptValue condition = context->argument(0);
    if (!condition.isFunction())
        return engine->nullValue();
    QScriptValue result;
    bool threw = false;
    Waits::until(ownEngine(engine), millisecondsArg(context, 1), [&] {
        result = condition.call();
        threw = engine->hasUncaughtException();
        return threw || result.toBool();
    });
    // An exception in the condition is left pending, so it goes on up the
    // script like any other.
    if (threw || result.toBool())
        return result;
    return engine->nullValue();
}

QScriptValue waitForWidget(QScriptContext *context, QScriptEngine *engine)
{
    ScriptEngine *own = ownEngine(engine);
    const QString kindName = textArg(context, 0);
    const Waits::Kind kind = Waits::kindFromName(kindName);
    const QString text = textArg(context, 1);
    const qint64 milliseconds = millisecondsArg(context, 2);
    if (kind == Waits::Kind::Unknown) {
        if (own)
            own->reportError(QStringLiteral("waitForWidget: unknown kind \"%1\"; use objectName, windowTitle, "
                                            "className, toolTip or id")
                                 .arg(kindName)
                                 .toHtmlEscaped());
        return engine->nullValue();
    }
    QWidget *found = nullptr;
    Waits::until(own, milliseconds, [&] { return (found = Waits::readyWidget(kind, text)) != nullptr; });
    if (found)
        return objectResult(engine, found);
    if (own && !engine->hasUncaughtException() && !own->isInterrupted())
        own->reportError(
            (QStringLiteral("waitForWidget: ") + Waits::timeoutReport(kind, text, milliseconds)).toHtmlEscaped());
    return engine->nullValue();
}

QScriptValue waitForSignal(QScriptContext *context, QScriptEngine *engine)
{
    return QScriptValue(
        Waits::forSignal(ownEngine(engine), objectArg(context, 0), textArg(context, 1), millisecondsArg(context, 2)));
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
