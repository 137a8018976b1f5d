#pragma once

#include "ScriptObjects.h"

#include <QPointer>
#include <QScriptEngine>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

namespace QMDrovebot {

class OutputArea;
class ValueTexts;

// The engine of one editor, and the run state that script functions need:
// the document path, the output pane, where the main program starts in the
// assembled text, and a pending stop or abort. Script functions reach all of
// it through the engine they are called with, never through the editor.
//
// While a main program runs (runProgramFailed), the engine lets the event loop
// run every few milliseconds, so the window repaints and Stop gets through
// even to a script that computes without waiting. What the script itself
// set in motion waits meanwhile: its posted input and its timers take
// effect only while it waits (delay(), a dialog, any call that runs an event
// loop) or once it has ended, exactly as when nothing else ran.
//
// No engine agent watches a run: any agent makes the engine leave its
// compiled code, and calls get many times slower. What the run needs to
// know it keeps itself: which of its own activities is innermost (script
// code computing, or a waiting call), counted with the event loops that run
// inside it; where the main program stands, from the engine's contexts.
class ScriptEngine : public QScriptEngine
{
    Q_OBJECT

public:
    explicit ScriptEngine(QObject *parent = nullptr);
    ~ScriptEngine() override;

    void setScriptFileName(const QString &fileName);
    QString scriptFileName() const;
    void setOutputArea(OutputArea *area);
    OutputArea *outputArea() const;

    // The widget that hosts this engine (its parent, the editor), or null.
    // Simulated shortcuts disable it so the script's own editor ignores them.
    QWidget *hostWidget() const;

    // Lines of text placed before the main program at the latest assembly.
    void setMainProgramLineOffset(int offset);
    int mainProgramLineOffset() const;

    static QString stopText();
    static QString abortText();

    // Why a main program failed: the error's text, its line in the assembled
    // program (0 or less when it has none) and the engine's backtrace.
    // `computing`: stopped while script code computed, whose line the
    // engine does not tell without an agent.
    struct Failure
    {
        QString text;
        int line = 0;
        QStringList backtrace;
        bool computing = false;
    };

    // Everything from a Run's first step (its included files are checked)
    // to its end. A stop meanwhile ends the check in progress and keeps the
    // program from starting; the run is busy all along.
    class RunScope
    {
    public:
        explicit RunScope(ScriptEngine *engine);
        ~RunScope();
        Q_DISABLE_COPY(RunScope)

    private:
        ScriptEngine *m_engine;
    };
    // A run is under way, its program evaluating or not yet.
    bool isBusy() const;
    // The engine whose run is in its first steps (no program evaluating
    // yet), or null: the included-file check belongs to it.
    static ScriptEngine *preparingEngine();
    // Numbers the runs of the process; 0 when no run is under way.
    int runId() const;

    // What the running script does while an object of this class lives:
    // script code computing that an event started (a timer's function,
    // handlers of the input the script posted), or a wait that lets events
    // through without an event loop of its own. Does nothing when no main
    // program runs.
    class Activity
    {
    public:
        enum Kind { Computing, Waiting };
        // `engine` may be null or not running a main program.
        Activity(ScriptEngine *engine, Kind kind);
        ~Activity();
        Q_DISABLE_COPY(Activity)

    private:
        QPointer<ScriptEngine> m_engine;
        size_t m_depth = 0;
    };

    // Evaluates `program` as the main program of a run. True when it failed
    // (an uncaught exception, Stop, abort(), an exception in a callback),
    // with `failure` filled in. Nothing of the run stays pending afterwards.
    bool runProgramFailed(const QString &program, Failure *failure);
    bool isRunningProgram() const;
    // The innermost engine whose main program is running, or null.
    static ScriptEngine *runningEngine();

    // Ends the running evaluation with an error carrying `text`. During a
    // main program the request holds until the program has ended: no later
    // statement runs, callbacks included; the script's timers stop, its
    // waits end and the modal dialogs it opened are closed. The report names
    // the line where the main program stood when that is known (it waited,
    // or called abort()). Nothing happens when no run is busy.
    void interrupt(const QString &text);
    bool isInterrupted() const;

    // True while the main program computes: script code is innermost, and
    // the engine itself let the event loop run.
    bool holdsScriptEvents() const;

    // Runs `action` once the running script waits or its program ends; at
    // once when no main program runs. Dropped when the script is stopped or
    // `context` is destroyed first.
    static void whenScriptWaits(QObject *context, std::function<void()> action);
    // Posts `event` (taking it over) to `receiver` under the same rule.
    static void postWhenScriptWaits(QObject *receiver, QEvent *event);
    // A wait of the script begins: what it held back is let through now, so
    // even a wait of no time delivers it.
    static void scriptWaits();

    // Shows `html` in red in the output pane and marks the run failed (the
    // host connects errorReported).
    void reportError(const QString &html);

    // The engine of a native function's call, when it is one of ours.
    static ScriptEngine *from(QScriptEngine *engine);

    // Objects scripts create (timers, labels, widgets) have no parent: the
    // engine that made them frees what is left of them when it goes.
    void adopt(QObject *object);
    // How many objects scripts have created so far: a mark for
    // freeTimersSince().
    quint64 adoptedCount() const;
    // Stops and frees the timers scripts created since `mark`, with the
    // handlers connected to them. A batch row ends so: nothing it started
    // fires into the next row, and a row's timers cost nothing later.
    void freeTimersSince(quint64 mark);

signals:
    // A red error text for the output pane; the host marks its run failed.
    void errorReported(const QString &html);
    // A stop or abort of the running main program was requested.
    void interrupted();

protected:
    void customEvent(QEvent *event) override;

private:
    struct Deferred
    {
        QPointer<QObject> context;
        std::function<void()> action;
    };
    struct Doing
    {
        bool waiting;
        // The event loops running when it began; one more means the script
        // waits in it (a dialog that a slot opened, a drag).
        int loopLevel;
    };

    void stopWith(const QScriptValue &value);
    void recordMainProgramPosition();
    void closeScriptDialogs();
    void releaseDeferred();
    void callbackFailed(const QScriptValue &exception);
    void clearInterrupt();

    QString m_scriptFileName;
    QPointer<OutputArea> m_outputArea;
    int m_mainProgramLineOffset = 0;
    int m_interruptLine = 0;
    QStringList m_interruptBacktrace;
    bool m_interruptComputing = false;

    std::unique_ptr<ValueTexts> m_texts;
    int m_runDepth = 0;
    int m_runScopes = 0;
    int m_runId = 0;
    bool m_watched = false;
    std::vector<Doing> m_doing;
    bool m_interrupted = false;
    QScriptValue m_interruptValue;
    QPointer<QWidget> m_modalAtStart;
    std::vector<Deferred> m_deferred;
    // Lets deferred work through at the first pass of events that is not the
    // engine's own while the script computes.
    QTimer m_releaseTrigger;

    ScriptObjects m_objects;
};

} // namespace QMDrovebot
