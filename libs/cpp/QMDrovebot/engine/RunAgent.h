#pragma once

#include <QScriptEngineAgent>
#include <QStringList>
#include <QVector>

class QScriptContext;

namespace QMDrovebot {

// Watches a run from inside the engine. It knows whether script code or a
// native call (delay(), a dialog, any slot) is innermost, which tells a
// script that computes from one that waits.
//
// It must be installed before the program is compiled: the engine reports
// positions only in code compiled while an agent is attached.
class RunAgent : public QScriptEngineAgent
{
public:
    explicit RunAgent(QScriptEngine *engine);

    void reset();
    bool scriptCodeInnermost() const;
    // Where the main program stands: the innermost script call outside the
    // outermost native call that has script code running inside it (a
    // timer's function during delay(), a dialog handler). False before any
    // statement ran. Unlike the engine's own current context this is right
    // even while the engine lets events through in the middle of a loop.
    bool mainProgramPosition(int *line, QScriptContext **context) const;
    // The statement the call of `context` reached last; 0 when unknown.
    int lineOf(const QScriptContext *context) const;
    // The engine's backtrace from `context` out, with those lines.
    QStringList backtrace(QScriptContext *context) const;
    // Where the latest exception that no handler catches was thrown. With
    // an agent attached the engine itself keeps neither a backtrace nor the
    // line of a thrown value that is no Error.
    int thrownLine() const;
    QStringList thrownBacktrace() const;

    void functionEntry(qint64 scriptId) override;
    void functionExit(qint64 scriptId, const QScriptValue &returnValue) override;
    void positionChange(qint64 scriptId, int lineNumber, int columnNumber) override;
    void exceptionThrow(qint64 scriptId, const QScriptValue &exception, bool hasHandler) override;

private:
    int m_thrownLine = 0;
    QStringList m_thrownBacktrace;
    struct Frame
    {
        bool script;
        int line;
        QScriptContext *context;
    };
    // One entry per active call, innermost last, with the statement a
    // script call reached last.
    QVector<Frame> m_frames;
};

} // namespace QMDrovebot
