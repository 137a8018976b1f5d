#include "ScriptEngine.h"

#include "OutputArea.h"

#include <QScriptContext>
#include <QScriptContextInfo>
#include <QWidget>

namespace QMDrovebot {

ScriptEngine::ScriptEngine(QObject *parent)
    : QScriptEngine(parent)
{
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

void ScriptEngine::interrupt(const QString &text)
{
    if (!isEvaluating())
        return;
    // The innermost context with a line is the script statement that called
    // the waiting function (the native call itself has none).
    for (QScriptContext *context = currentContext(); context; context = context->parentContext()) {
        const QScriptContextInfo info(context);
        if (info.lineNumber() > 0) {
            m_interruptLine = info.lineNumber();
            m_interruptBacktrace = context->backtrace();
            break;
        }
    }
    const QScriptValue error = currentContext()->throwError(QScriptContext::UnknownError, text);
    abortEvaluation(error);
}

int ScriptEngine::interruptLine() const
{
    return m_interruptLine;
}

QStringList ScriptEngine::interruptBacktrace() const
{
    return m_interruptBacktrace;
}

void ScriptEngine::clearInterrupt()
{
    m_interruptLine = 0;
    m_interruptBacktrace.clear();
}

void ScriptEngine::reportError(const QString &html)
{
    emit errorReported(html);
}

ScriptEngine *ScriptEngine::from(QScriptEngine *engine)
{
    return qobject_cast<ScriptEngine *>(engine);
}

} // namespace QMDrovebot
