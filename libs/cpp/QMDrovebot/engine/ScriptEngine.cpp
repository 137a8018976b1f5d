#include "ScriptEngine.h"

#include "OutputArea.h"
#include "ValueTexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QScriptContext>
#include <QScriptContextInfo>
#include <QThread>
#include <QVector>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace QMDrovebot {

namespace {

// Often enough that the window repaints smoothly and Stop ends a computing
// script at once; rarely enough to cost nothing measurable.
constexpr int kEventInterval = 50;

QVector<ScriptEngine *> &runningEngines()
{
    static QVector<ScriptEngine *> engines;
    return engines;
}

// Engines with a run under way, evaluating or not yet.
QVector<ScriptEngine *> &busyEngines()
{
    static QVector<ScriptEngine *> engines;
    return engines;
}

int loopLevel()
{
    return QThread::currentThread()->loopLevel();
}

// Input the script posted, let through now that it waits. Handed to the
// engine, which delivers it as script activity: a handler it triggers
// computes like a timer's function does.
class HeldInput : public QEvent
{
public:
    HeldInput(QObject *receiver, QEvent *event)
        : QEvent(kind())
        , receiver(receiver)
        , event(event)
    {
    }

    static QEvent::Type kind()
    {
        static const int type = QEvent::registerEventType();
        return QEvent::Type(type);
    }

    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
};

} // namespace

ScriptEngine::ScriptEngine(QObject *parent)
    : QScriptEngine(parent)
    , m_texts(new ValueTexts(this))
{
    m_releaseTrigger.setInterval(0);
    connect(&m_releaseTrigger, &QTimer::timeout, this, [this] {
        if (!holdsScriptEvents())
            releaseDeferred();
    });
    connect(this, &QScriptEngine::signalHandlerException, this, &ScriptEngine::callbackFailed);
}

ScriptEngine::~ScriptEngine()
{
    busyEngines().removeAll(this);
    runningEngines().removeAll(this);
}

void ScriptEngine::setScriptFileName(const QString &fileName)
{
    m_scriptFileName = fileName;
}

QString ScriptEngine::scriptFileName() const
{
    return m_scriptFileName;
}

void ScriptEngine::setOutputArea(OutputArea *area)
{
    m_outputArea = area;
}

OutputArea *ScriptEngine::outputArea() const
{
    return m_outputArea;
}

QWidget *ScriptEngine::hostWidget() const
{
    return qobject_cast<QWidget *>(parent());
}

void ScriptEngine::setMainProgramLineOffset(int offset)
{
    m_mainProgramLineOffset = offset;
}

int ScriptEngine::mainProgramLineOffset() const
{
    return m_mainProgramLineOffset;
}

QString ScriptEngine::stopText()
{
    return QStringLiteral("Script evaluation is stopped by user");
}

QString ScriptEngine::abortText()
{
    return QStringLiteral("the script execution is aborted");
}

ScriptEngine::RunScope::RunScope(ScriptEngine *engine)
    : m_engine(engine)
{
    if (m_engine->m_runScopes++ > 0)
        return;
    static int lastRunId = 0;
    m_engine->m_runId = ++lastRunId;
    m_engine->clearInterrupt();
    busyEngines().append(m_engine);
}

ScriptEngine::RunScope::~RunScope()
{
    if (--m_engine->m_runScopes > 0)
        return;
    m_engine->m_runId = 0;
    // A stop that came after the program ended, or one that ended the run
    // before it started, concerns no later run.
    m_engine->clearInterrupt();
    busyEngines().removeOne(m_engine);
}

bool ScriptEngine::isBusy() const
{
    return m_runScopes > 0 || isEvaluating();
}

ScriptEngine *ScriptEngine::preparingEngine()
{
    const QVector<ScriptEngine *> &engines = busyEngines();
    for (int i = engines.size() - 1; i >= 0; --i) {
        if (!engines.at(i)->isRunningProgram())
            return engines.at(i);
    }
    return nullptr;
}

int ScriptEngine::runId() const
{
    return m_runId;
}

ScriptEngine::Activity::Activity(ScriptEngine *engine, Kind kind)
    : m_engine(engine && engine->isRunningProgram() ? engine : nullptr)
{
    if (!m_engine)
        return;
    m_depth = m_engine->m_doing.size();
    m_engine->m_doing.push_back({kind == Waiting, loopLevel()});
    if (kind == Waiting)
        m_engine->releaseDeferred();
}

ScriptEngine::Activity::~Activity()
{
    if (m_engine && m_engine->m_doing.size() > m_depth)
        m_engine->m_doing.resize(m_depth);
}

bool ScriptEngine::runProgramFailed(const QString &program, Failure *failure)
{
    RunScope scope(this);
    if (m_interrupted) {
        // Stopped while its included files were checked: it never started.
        *failure = Failure();
        failure->text = m_texts->text(m_interruptValue);
        m_deferred.clear();
        clearInterrupt();
        return true;
    }
    // A debugger brings its own agent and lets the user step; then the
    // script is neither watched nor given event passes.
    m_watched = !agent();
    if (m_watched)
        setProcessEventsInterval(kEventInterval);
    m_modalAtStart = QApplication::activeModalWidget();
    ++m_runDepth;
    runningEngines().append(this);
    m_doing.push_back({false, loopLevel()});

    evaluate(program, QString(), 1);

    m_doing.clear();
    runningEngines().removeOne(this);
    --m_runDepth;
    if (m_watched)
        setProcessEventsInterval(-1);
    // Whoever reads the pane after a run sees all it printed, whichever way
    // it reads.
    if (m_outputArea)
        m_outputArea->flush();

    bool failed = true;
    if (m_interrupted) {
        failure->text = m_texts->text(m_interruptValue);
        failure->line = m_interruptLine;
        failure->backtrace = m_interruptBacktrace;
        failure->computing = m_interruptComputing;
    } else if (hasUncaughtException()) {
        failure->text = m_texts->text(uncaughtException());
        failure->line = uncaughtExceptionLineNumber();
        failure->backtrace = uncaughtExceptionBacktrace();
    } else {
        failed = false;
    }
    // A stopped script's input and timers never take effect; a finished
    // one's still do, as they would after its last wait.
    if (m_interrupted) {
        m_deferred.clear();
        m_releaseTrigger.stop();
    } else {
        releaseDeferred();
    }
    clearInterrupt();
    clearExceptions();
    return failed;
}

void ScriptEngine::clearInterrupt()
{
    m_interrupted = false;
    m_interruptValue = QScriptValue();
    m_interruptLine = 0;
    m_interruptBacktrace.clear();
    m_interruptComputing = false;
}

bool ScriptEngine::isRunningProgram() const
{
    return m_runDepth > 0;
}

ScriptEngine *ScriptEngine::runningEngine()
{
    const QVector<ScriptEngine *> &engines = runningEngines();
    return engines.isEmpty() ? nullptr : engines.constLast();
}

void ScriptEngine::interrupt(const QString &text)
{
    // The first request is the one reported; the engine keeps it pending
    // through callbacks until the run ends.
    if (m_interrupted)
        return;
    if (isBusy() && !isRunningProgram()) {
        // Its included files are being checked: the check ends, the program
        // never starts.
        m_interrupted = true;
        m_interruptValue = currentContext()->throwError(QScriptContext::UnknownError, text);
        if (isEvaluating())
            abortEvaluation(m_interruptValue);
        else
            clearExceptions();
        emit interrupted();
        return;
    }
    if (!isEvaluating())
        return;
    recordMainProgramPosition();
    const QScriptValue error = currentContext()->throwError(QScriptContext::UnknownError, text);
    if (isRunningProgram())
        stopWith(error);
    else
        abortEvaluation(error);
}

void ScriptEngine::stopWith(const QScriptValue &value)
{
    m_interrupted = true;
    m_interruptValue = value;
    m_deferred.clear();
    m_releaseTrigger.stop();
    abortEvaluation(value);
    emit interrupted();
    closeScriptDialogs();
}

bool ScriptEngine::isInterrupted() const
{
    return m_interrupted;
}

void ScriptEngine::recordMainProgramPosition()
{
    // Unwatched, a debug run: the debugger's own views show where it
    // stood, and the run's failure is not reported.
    if (!m_watched || !isRunningProgram())
        return;
    // The calls the engine knows, innermost first. It knows each native
    // call (delay(), a dialog, abort()) and where its caller stands, but not
    // script code that calls script code: while script code computes, the
    // innermost context is that of the last native call (or the program),
    // and its line is unknown.
    QVector<QScriptContext *> calls;
    for (QScriptContext *call = currentContext(); call; call = call->parentContext())
        calls.append(call);
    if (calls.isEmpty())
        return;
    const auto isScript = [](QScriptContext *call) {
        return !call->parentContext() || QScriptContextInfo(call).functionType() == QScriptContextInfo::ScriptFunction;
    };
    // Script code running inside a native call (a timer's function during
    // delay(), a dialog handler) is not the main program: it stands where
    // the outermost such native call was made.
    int outside = 0;
    bool scriptInside = false;
    for (int i = 0; i < calls.size(); ++i) {
        if (!isScript(calls.at(i)) && scriptInside)
            outside = i + 1;
        scriptInside = scriptInside || isScript(calls.at(i));
    }
    for (int i = outside; i < calls.size(); ++i) {
        if (!isScript(calls.at(i)))
            continue;
        // The innermost context's line is known only from an inner call.
        m_interruptComputing = i == 0;
        if (!m_interruptComputing) {
            m_interruptLine = QScriptContextInfo(calls.at(i)).lineNumber();
            m_interruptBacktrace = m_texts->backtrace(calls.at(i));
        }
        return;
    }
}

void ScriptEngine::closeScriptDialogs()
{
    // The script's call that opened a modal dialog is waiting for an answer
    // that will never come now (its handler is a callback that no longer
    // runs). Dialogs open before the run are the user's.
    QVector<QWidget *> closed;
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (modal == m_modalAtStart || closed.contains(modal))
            break;
        closed.append(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void ScriptEngine::callbackFailed(const QScriptValue &exception)
{
    // A timer's or a dialog handler's function threw. Nothing would report
    // it, and the call the main program waits in (a modal dialog the handler
    // was meant to answer) might never return: end the run with the
    // callback's own error.
    if (!isRunningProgram() || m_interrupted || !isEvaluating())
        return;
    m_interruptLine = uncaughtExceptionLineNumber();
    m_interruptBacktrace = uncaughtExceptionBacktrace();
    stopWith(exception);
}

bool ScriptEngine::holdsScriptEvents() const
{
    // Script code is innermost unless a wait is, or an event loop started
    // inside the innermost script activity (a slot that opened a dialog).
    return isRunningProgram() && m_watched && !m_doing.empty() && !m_doing.back().waiting &&
           m_doing.back().loopLevel == loopLevel();
}

void ScriptEngine::whenScriptWaits(QObject *context, std::function<void()> action)
{
    ScriptEngine *engine = runningEngine();
    if (!engine) {
        action();
        return;
    }
    if (engine->m_interrupted)
        return;
    engine->m_deferred.push_back({context, std::move(action)});
    if (!engine->m_releaseTrigger.isActive())
        engine->m_releaseTrigger.start();
}

void ScriptEngine::postWhenScriptWaits(QObject *receiver, QEvent *event)
{
    auto owned = std::make_shared<std::unique_ptr<QEvent>>(event);
    whenScriptWaits(receiver, [receiver, owned] {
        if (ScriptEngine *engine = runningEngine())
            QCoreApplication::postEvent(engine, new HeldInput(receiver, owned->release()));
        else
            QCoreApplication::postEvent(receiver, owned->release());
    });
}

void ScriptEngine::customEvent(QEvent *event)
{
    if (event->type() != HeldInput::kind())
        return;
    auto *held = static_cast<HeldInput *>(event);
    if (!held->receiver || m_interrupted)
        return;
    Activity computing(this, Activity::Computing);
    QCoreApplication::sendEvent(held->receiver, held->event.get());
}

void ScriptEngine::scriptWaits()
{
    if (ScriptEngine *engine = runningEngine())
        engine->releaseDeferred();
}

void ScriptEngine::releaseDeferred()
{
    m_releaseTrigger.stop();
    // An action may defer more (a timer's function posts a click): those
    // wait for the next release.
    std::vector<Deferred> due;
    due.swap(m_deferred);
    for (Deferred &deferred : due) {
        if (deferred.context)
            deferred.action();
    }
}

void ScriptEngine::reportError(const QString &html)
{
    emit errorReported(html);
}

ScriptEngine *ScriptEngine::from(QScriptEngine *engine)
{
    return qobject_cast<ScriptEngine *>(engine);
}

void ScriptEngine::adopt(QObject *object)
{
    m_objects.adopt(object);
}

quint64 ScriptEngine::adoptedCount() const
{
    return m_objects.count();
}

void ScriptEngine::freeTimersSince(quint64 mark)
{
    m_objects.freeTimersSince(mark);
}

} // namespace QMDrovebot
