#include "Timer.h"

#include <QMDrovebot/engine/ScriptEngine.h>

#include <QCoreApplication>
#include <QTimerEvent>

namespace QMDrovebot {

Timer::Timer(QObject *parent)
    : QTimer(parent)
{
    setSingleShot(true);
}

void Timer::setEngine(ScriptEngine *engine)
{
    if (m_engine)
        disconnect(m_engine, nullptr, this, nullptr);
    m_engine = engine;
    if (m_engine)
        connect(m_engine, &ScriptEngine::interrupted, this, [this] {
            m_due = false;
            stop();
        });
}

void Timer::timerEvent(QTimerEvent *event)
{
    if (m_engine && event->timerId() == timerId()) {
        if (m_engine->isInterrupted()) {
            stop();
            return;
        }
        if (m_engine->holdsScriptEvents()) {
            // Still running, so it keeps firing; one late timeout is owed.
            if (!m_due) {
                m_due = true;
                ScriptEngine::whenScriptWaits(this, [this] {
                    m_due = false;
                    if (isActive())
                        QCoreApplication::postEvent(this, new QTimerEvent(timerId()));
                });
            }
            return;
        }
    }
    // Its function is script code of the run: while it computes, the run's
    // other timers and input wait as they do for the main program.
    ScriptEngine::Activity computing(m_engine, ScriptEngine::Activity::Computing);
    QTimer::timerEvent(event);
}

} // namespace QMDrovebot
