#include "ScriptEngine.h"

#include "OutputArea.h"
#include "RunAgent.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QScriptContext>
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

} // namespace

ScriptEngine::ScriptEngine(QObject *parent)
    : QScriptEngine(parent)
    , m_agent(new RunAgent(this))
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
    for (const Adopted &adopted : m_adopted)
        delete adopted.object.data();
    if (agent() == m_agent)
        setAgent(nullptr);
    delete m_agent;
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

bool ScriptEngine::runProgram(const QString &program, Failure *failure)
{
    // A debugger brings its own agent and lets the user step; then the
    // script is neither watched nor given event passes.
    const bool watched = !agent();
    if (watched) {
        m_agent->reset();
        setAgent(m_agent);
        setProcessEventsInterval(kEventInterval);
    }
    m_interrupted = false;
    m_interruptValue = QScriptValue();
    m_interruptLine = 0;
    m_interruptBacktrace.clear();
    m_modalAtStart = QApplication::activeModalWidget();
    ++m_runDepth;
    runningEngines().append(this);

    evaluate(program, QString(), 1);

    runningEngines().removeOne(this);
    --m_runDepth;
    if (watched) {
        setProcessEventsInterval(-1);
        setAgent(nullptr);
    }

    bool failed = true;
    if (m_interrupted) {
        failure->text = m_interruptValue.toString();
        failure->line = m_interruptLine;
        failure->backtrace = m_interruptBacktrace;
    } else if (hasUncaughtException()) {
        failure->text = uncaughtException().toString();
        uncaughtPosition(watched, &failure->line, &failure->backtrace);
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
    m_interrupted = false;
    m_interruptValue = QScriptValue();
    clearExceptions();
    return failed;
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
    if (!isEvaluating())
        return;
    // The first request is the one reported; the engine keeps it pending
    // through callbacks until the run ends.
    if (m_interrupted)
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
    int line = 0;
    QScriptContext *context = nullptr;
    if (agent() == m_agent && m_agent->mainProgramPosition(&line, &context)) {
        m_interruptLine = line;
        m_interruptBacktrace = context ? m_agent->backtrace(context) : QStringList();
    }
    // Unwatched, a debug run: the debugger's own views show where it
    // stood, and the run's failure is not reported.
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
    uncaughtPosition(agent() == m_agent, &m_interruptLine, &m_interruptBacktrace);
    stopWith(exception);
}

void ScriptEngine::uncaughtPosition(bool watched, int *line, QStringList *backtrace) const
{
    *line = uncaughtExceptionLineNumber();
    *backtrace = uncaughtExceptionBacktrace();
    // Watched, the engine keeps no backtrace, nor a line for a thrown value
    // that is no Error; the agent saw where it was thrown.
    if (watched && backtrace->isEmpty()) {
        *backtrace = m_agent->thrownBacktrace();
        if (*line <= 0)
            *line = m_agent->thrownLine();
    }
}

bool ScriptEngine::holdsScriptEvents() const
{
    return isRunningProgram() && agent() == m_agent && m_agent->scriptCodeInnermost();
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
    whenScriptWaits(receiver, [receiver, owned] { QCoreApplication::postEvent(receiver, owned->release()); });
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
    if (m_adopted.size() >= m_adoptedPruneAt) {
        m_adopted.erase(std::remove_if(m_adopted.begin(), m_adopted.end(),
                                       [](const Adopted &adopted) { return adopted.object.isNull(); }),
                        m_adopted.end());
        m_adoptedPruneAt = qMax<size_t>(1024, 2 * m_adopted.size());
    }
    m_adopted.push_back({m_adoptedCount++, object});
}

quint64 ScriptEngine::adoptedCount() const
{
    return m_adoptedCount;
}

void ScriptEngine::freeTimersSince(quint64 mark)
{
    // Serials grow along the list: what came since the mark is its tail.
    const auto first = std::lower_bound(m_adopted.begin(), m_adopted.end(), mark,
                                        [](const Adopted &adopted, quint64 value) { return adopted.serial < value; });
    for (auto it = first; it != m_adopted.end(); ++it) {
        if (auto *timer = qobject_cast<QTimer *>(it->object.data())) {
            timer->stop();
            delete timer;
        }
    }
    m_adopted.erase(
        std::remove_if(first, m_adopted.end(), [](const Adopted &adopted) { return adopted.object.isNull(); }),
        m_adopted.end());
}

} // namespace QMDrovebot
