#include "RunAgent.h"

#include <QRegularExpression>
#include <QScriptContext>
#include <QScriptContextInfo>
#include <QScriptEngine>

namespace QMDrovebot {

RunAgent::RunAgent(QScriptEngine *engine)
    : QScriptEngineAgent(engine)
{
}

void RunAgent::reset()
{
    m_frames.clear();
    m_thrownLine = 0;
    m_thrownBacktrace.clear();
}

bool RunAgent::scriptCodeInnermost() const
{
    return !m_frames.isEmpty() && m_frames.constLast().script;
}

bool RunAgent::mainProgramPosition(int *line, QScriptContext **context) const
{
    int boundary = m_frames.size();
    for (int i = 0; i < m_frames.size() && boundary == m_frames.size(); ++i) {
        if (m_frames.at(i).script)
            continue;
        for (int j = i + 1; j < m_frames.size(); ++j) {
            if (m_frames.at(j).script) {
                boundary = i;
                break;
            }
        }
    }
    for (int i = boundary - 1; i >= 0; --i) {
        const Frame &frame = m_frames.at(i);
        if (frame.script && frame.line > 0) {
            *line = frame.line;
            *context = frame.context;
            return true;
        }
    }
    return false;
}

QStringList RunAgent::backtrace(QScriptContext *context) const
{
    // The engine's record of a call's line lags behind within the call
    // ("at -1" in the middle of a loop, "at 0" where a plain value was
    // thrown); the statements the calls reached last are known here.
    static const QRegularExpression lineAtEnd(QStringLiteral(" at -?\\d+$"));
    QStringList entries = context->backtrace();
    int index = 0;
    for (QScriptContext *call = context; call && index < entries.size(); call = call->parentContext(), ++index) {
        const int known = lineOf(call);
        QString &entry = entries[index];
        const QRegularExpressionMatch match = lineAtEnd.match(entry);
        if (known > 0 && match.hasMatch())
            entry = entry.left(match.capturedStart()) + QStringLiteral(" at ") + QString::number(known);
    }
    return entries;
}

int RunAgent::lineOf(const QScriptContext *context) const
{
    for (const Frame &frame : m_frames) {
        if (frame.context == context)
            return frame.line;
    }
    return 0;
}

void RunAgent::functionEntry(qint64 scriptId)
{
    // Native functions, slots included, are reported with id -1.
    m_frames.append({scriptId != -1, 0, nullptr});
}

void RunAgent::functionExit(qint64, const QScriptValue &)
{
    if (!m_frames.isEmpty())
        m_frames.removeLast();
}

void RunAgent::positionChange(qint64, int lineNumber, int)
{
    if (!m_frames.isEmpty()) {
        // Here, unlike between statements, the engine knows its context.
        Frame &top = m_frames.last();
        top.line = lineNumber;
        top.context = engine()->currentContext();
    }
}

void RunAgent::exceptionThrow(qint64, const QScriptValue &, bool hasHandler)
{
    if (hasHandler)
        return;
    QScriptContext *context = engine()->currentContext();
    m_thrownLine = lineOf(context);
    if (m_thrownLine <= 0)
        m_thrownLine = QScriptContextInfo(context).lineNumber();
    m_thrownBacktrace = backtrace(context);
}

int RunAgent::thrownLine() const
{
    return m_thrownLine;
}

QStringList RunAgent::thrownBacktrace() const
{
    return m_thrownBacktrace;
}

} // namespace QMDrovebot
