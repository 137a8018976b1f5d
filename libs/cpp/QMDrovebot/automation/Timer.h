#pragma once

#include <QPointer>
#include <QTimer>

namespace QMDrovebot {

class ScriptEngine;

// The timer scripts create: single-shot, so a script that connects a function
// to timeout() gets exactly one call per start().
//
// It belongs to the engine that created it: while that engine's script
// computes, a due timeout waits until the script waits (its function would
// otherwise cut into the middle of the computation), and once the script is
// stopped the timer stops for good.
class Timer : public QTimer
{
    Q_OBJECT

public:
    explicit Timer(QObject *parent = nullptr);

    void setEngine(ScriptEngine *engine);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    QPointer<ScriptEngine> m_engine;
    bool m_due = false;
};

} // namespace QMDrovebot
