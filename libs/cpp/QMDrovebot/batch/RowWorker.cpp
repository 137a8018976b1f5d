#include "RowWorker.h"

#include "RunChannel.h"
#include "ScriptRunner.h"
#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/editor/Editor.h>

#include <QCoreApplication>
#include <QJsonValue>
#include <QTimer>

namespace QMDrovebot {

RowWorker::RowWorker(Editor *editor, RunChannel *channel, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
    , m_channel(channel)
{
    connect(channel, &RunChannel::received, this, &RowWorker::received);
}

void RowWorker::sendReady()
{
    m_channel->send({{QStringLiteral("type"), QStringLiteral("ready")}});
}

QJsonObject RowWorker::resultMessage(const ScriptRun &run)
{
    return {{QStringLiteral("type"), QStringLiteral("result")},
            {QStringLiteral("path"), run.path},
            {QStringLiteral("opened"), run.opened},
            {QStringLiteral("error"), run.error},
            {QStringLiteral("endedEarly"), run.endedEarly},
            {QStringLiteral("quitRequested"), run.quitRequested},
            {QStringLiteral("outputText"), run.outputText},
            {QStringLiteral("errorText"), run.errorText},
            {QStringLiteral("milliseconds"), double(run.milliseconds)}};
}

ScriptRun RowWorker::runFromMessage(const QJsonObject &message)
{
    ScriptRun run;
    run.path = message.value(QStringLiteral("path")).toString();
    run.opened = message.value(QStringLiteral("opened")).toBool();
    run.error = message.value(QStringLiteral("error")).toBool();
    run.endedEarly = message.value(QStringLiteral("endedEarly")).toBool();
    run.quitRequested = message.value(QStringLiteral("quitRequested")).toBool();
    run.outputText = message.value(QStringLiteral("outputText")).toString();
    run.errorText = message.value(QStringLiteral("errorText")).toString();
    run.milliseconds = qint64(message.value(QStringLiteral("milliseconds")).toDouble());
    return run;
}

void RowWorker::received(const QJsonObject &message)
{
    const QString type = message.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("run")) {
        m_queue.enqueue(message);
        // Not from inside the channel's read: the script's waits must let the
        // channel deliver a stop.
        QTimer::singleShot(0, this, &RowWorker::runNext);
    } else if (type == QLatin1String("stop")) {
        const QString reason = message.value(QStringLiteral("reason")).toString();
        if (m_running && m_editor && m_editor->isEvaluating()) {
            m_editor->appendError(reason.toHtmlEscaped());
            if (!m_evidenceFolder.isEmpty())
                m_stopSnapshot = std::make_unique<Evidence::Snapshot>(Evidence::capture());
            m_editor->stopEvaluation();
        } else if (!m_queue.isEmpty()) {
            m_pendingStop = reason;
        }
    } else if (type == QLatin1String("quit")) {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    }
}

void RowWorker::runNext()
{
    if (m_running || m_queue.isEmpty() || !m_editor)
        return;
    const QJsonObject message = m_queue.dequeue();
    const QString path = message.value(QStringLiteral("path")).toString();
    ScriptRun result;
    m_running = true;
    m_evidenceFolder = message.value(QStringLiteral("evidence")).toString();
    m_stopSnapshot.reset();
    if (m_pendingStop.isEmpty()) {
        result = ScriptRunner(m_editor).run(path);
    } else {
        result.path = path;
        result.error = true;
        result.endedEarly = true;
        result.outputText = result.errorText = m_pendingStop;
        m_pendingStop.clear();
    }
    m_running = false;
    if (result.error && !m_evidenceFolder.isEmpty()) {
        QString name = message.value(QStringLiteral("evidenceName")).toString();
        if (name.isEmpty())
            name = path;
        ScriptRunner::addEvidence(m_evidenceFolder, name,
                                  !result.opened   ? Evidence::Snapshot()
                                  : m_stopSnapshot ? *m_stopSnapshot
                                                   : Evidence::capture(),
                                  &result);
    }
    m_channel->send(resultMessage(result));
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &RowWorker::runNext);
}

} // namespace QMDrovebot
