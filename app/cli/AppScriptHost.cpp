#include "AppScriptHost.h"

#include "ScriptRunGuard.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonValue>
#include <QTimer>

#include <QMDrovebot/batch/RowWorker.h>

namespace {

// The script itself was there: only --run's unreadable file means 2.
void failWith(QMDrovebot::ScriptRun &result, const QString &line)
{
    result.opened = true;
    result.error = true;
    result.outputText = result.errorText = line;
}

} // namespace

AppScriptHost::AppScriptHost(const QStringList &command, const QString &evidenceFolder, ScriptRunGuard *guard)
    : m_evidenceFolder(evidenceFolder)
    , m_guard(guard)
    , m_launcher(command, ProgramLauncher::Mode::Run)
{
}

AppScriptHost::~AppScriptHost()
{
    WorkerProcess *process = m_launcher.process();
    if (!m_attached || process->hasEnded())
        return;
    QEventLoop loop;
    QObject::connect(process, &WorkerProcess::ended, &loop, &QEventLoop::quit);
    process->send({{QStringLiteral("type"), QStringLiteral("quit")}});
    // A program that asks before quitting, with nobody to answer, is ended.
    QTimer::singleShot(graceMilliseconds, process, [process] { process->terminate(2000); });
    if (!process->hasEnded())
        loop.exec();
}

bool AppScriptHost::start()
{
    m_attached = m_launcher.attach();
    return m_attached;
}

bool AppScriptHost::canRun() const
{
    return m_attached && !const_cast<ProgramLauncher &>(m_launcher).process()->hasEnded();
}

QMDrovebot::ScriptRun AppScriptHost::run(const QString &path, const QString &evidenceName)
{
    QMDrovebot::ScriptRun result;
    result.path = path;
    WorkerProcess *process = m_launcher.process();
    const QString refusal = refusalBeforeRun();
    if (!refusal.isEmpty()) {
        failWith(result, refusal);
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    bool finished = false;
    QString stopReason;
    QEventLoop loop;
    const QMetaObject::Connection results =
        QObject::connect(process, &WorkerProcess::received, &loop, [&](const QJsonObject &message) {
            if (message.value(QStringLiteral("type")).toString() != QLatin1String("result"))
                return;
            result = QMDrovebot::RowWorker::runFromMessage(message);
            finished = true;
            loop.quit();
        });
    const QMetaObject::Connection end = QObject::connect(process, &WorkerProcess::ended, &loop, &QEventLoop::quit);
    QTimer killer;
    killer.setSingleShot(true);
    bool killed = false;
    QObject::connect(&killer, &QTimer::timeout, process, [&] {
        killed = true;
        process->kill();
    });
    process->send({{QStringLiteral("type"), QStringLiteral("run")},
                   {QStringLiteral("path"), path},
                   {QStringLiteral("evidence"), m_evidenceFolder},
                   {QStringLiteral("evidenceName"), evidenceName}});
    m_guard->run(
        [&] {
            if (!finished && !process->hasEnded())
                loop.exec();
        },
        [&](const QString &reason) {
            stopReason = reason;
            process->send({{QStringLiteral("type"), QStringLiteral("stop")}, {QStringLiteral("reason"), reason}});
            killer.start(graceMilliseconds);
        });
    QObject::disconnect(results);
    QObject::disconnect(end);
    if (finished)
        return result;
    result.path = path;
    result.milliseconds = clock.elapsed();
    if (killed)
        failWith(result,
                 stopReason + QStringLiteral("\nError: %1 did not stop the script within %2 seconds and was killed")
                                  .arg(m_launcher.name())
                                  .arg(graceMilliseconds / 1000));
    else
        failWith(result,
                 QStringLiteral("Error: %1 %2 while the script ran").arg(m_launcher.name(), process->endText()));
    return result;
}

QString AppScriptHost::refusalBeforeRun()
{
    if (!canRun())
        return QStringLiteral("Error: %1 %2 before this script could run")
            .arg(m_launcher.name(), m_launcher.process()->endText());
    if (ScriptRunGuard::signalReceived())
        return QStringLiteral("Error: the run was interrupted before the script started");
    return QString();
}
