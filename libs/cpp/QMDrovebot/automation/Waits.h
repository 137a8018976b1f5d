#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace QMDrovebot {

class ScriptEngine;

// Waiting for a condition instead of for a fixed time. Every wait runs the
// event loop in short steps, as delay() does, so posted input and timers
// take effect meanwhile, and it ends at once when the running script is
// stopped or aborts.
namespace Waits {

// How often a condition is looked at while waiting. Short enough that a wait
// ends within a few milliseconds of the condition turning true.
constexpr int kStepMs = 5;

// Calls `ready` now and after each step until it returns true, the time is up
// or `engine` (may be null) has an error pending. True when ready. A time of
// MTools::Delay::kForever waits until one of the others.
bool until(ScriptEngine *engine, qint64 milliseconds, const std::function<bool()> &ready);

// What waitForWidget() searches by.
enum class Kind { ObjectName, WindowTitle, ClassName, ToolTip, Id, Unknown };
Kind kindFromName(const QString &name);
// "object name", "window title", ... as the time-out report reads.
QString kindText(Kind kind);

// The first widget that matches and is visible and enabled, in lookup order.
QWidget *readyWidget(Kind kind, const QString &text);

// Why no widget was ready: a match that is hidden or disabled, else the few
// visible widgets whose searched property is most like `text`.
QString timeoutReport(Kind kind, const QString &text, qint64 milliseconds);

// True once `object` emits the signal named `signal` (a bare name, or a full
// signature) within the time. False when it has no such signal.
bool forSignal(ScriptEngine *engine, QObject *object, const QString &signal, qint64 milliseconds);

} // namespace Waits

} // namespace QMDrovebot
