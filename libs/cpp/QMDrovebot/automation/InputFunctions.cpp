#include "AutomationFunctions.h"

#include "InputSimulator.h"
#include "ScriptArguments.h"

#include <QEvent>
#include <QScriptContext>
#include <QScriptEngine>
#include <QWidget>

namespace QMDrovebot {
namespace AutomationFunctions {

using namespace ScriptArguments;

namespace {

struct MouseArguments
{
    QWidget *widget;
    int button;
    int x;
    int y;
};

// The global mouse functions take (widget [, button [, x, y]]) and default to
// the left button at (1, 1); the button is also the held-buttons state.
MouseArguments mouseArguments(QScriptContext *context)
{
    const int count = context->argumentCount();
    MouseArguments arguments{widgetArg(context, 0), count >= 2 ? numberArg(context, 1) : int(Qt::LeftButton), 1, 1};
    if (count >= 4) {
        arguments.x = numberArg(context, 2);
        arguments.y = numberArg(context, 3);
    }
    return arguments;
}

QScriptValue postMouse(QScriptContext *context, QScriptEngine *engine, QEvent::Type type)
{
    const MouseArguments a = mouseArguments(context);
    InputSimulator::postMouse(type, a.widget, a.x, a.y, a.button, a.button);
    return engine->nullValue();
}

} // namespace

QScriptValue mouseClick(QScriptContext *context, QScriptEngine *engine)
{
    const MouseArguments a = mouseArguments(context);
    InputSimulator::postClick(a.widget, a.x, a.y, a.button, a.button);
    return engine->nullValue();
}

QScriptValue mouseDoubleClick(QScriptContext *context, QScriptEngine *engine)
{
    return postMouse(context, engine, QEvent::MouseButtonDblClick);
}

QScriptValue mousePress(QScriptContext *context, QScriptEngine *engine)
{
    return postMouse(context, engine, QEvent::MouseButtonPress);
}

QScriptValue mouseRelease(QScriptContext *context, QScriptEngine *engine)
{
    return postMouse(context, engine, QEvent::MouseButtonRelease);
}

QScriptValue keyPress(QScriptContext *context, QScriptEngine *engine)
{
    InputSimulator::postText(widgetArg(context, 0), textArg(context, 1));
    return engine->nullValue();
}

QScriptValue enterPress(QScriptContext *context, QScriptEngine *engine)
{
    InputSimulator::postKey(widgetArg(context, 0), int(Qt::Key_Enter));
    return engine->nullValue();
}

QScriptValue spacePress(QScriptContext *context, QScriptEngine *engine)
{
    InputSimulator::postKey(widgetArg(context, 0), int(Qt::Key_Space));
    return engine->nullValue();
}

QScriptValue sendEvent(QScriptContext *context, QScriptEngine *engine)
{
    InputSimulator::sendEvent(widgetArg(context, 0), int32Arg(context, 1));
    return engine->nullValue();
}

QScriptValue dragAndDrop(QScriptContext *context, QScriptEngine *engine)
{
    if (context->argumentCount() == 6) {
        InputSimulator::dragAndDrop(widgetArg(context, 0), numberArg(context, 1), numberArg(context, 2),
                                    widgetArg(context, 3), numberArg(context, 4), numberArg(context, 5));
    }
    return engine->nullValue();
}

} // namespace AutomationFunctions
} // namespace QMDrovebot
