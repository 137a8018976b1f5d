#include "WorkerCommand.h"

#include "CommandLine.h"
#include "LocalScriptHost.h"
#include "OutputMirror.h"
#include "RunWatchdog.h"
#include "ScriptRunGuard.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QTimer>

#include <QMDrovebot/batch/RowWorker.h>
#include <QMDrovebot/batch/RunChannel.h>
#include <QMWidgets/App.h>

using QMDrovebot::RunChannel;

int runWorkerCommand(int argc, char **argv)
{
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("CORVELLA_CHANNEL", &ok);
    if (!ok || fd < 3)
        return CommandLine::fail(QStringLiteral("--worker is for corvella --batch --jobs only"), 2);
    // Programs a script starts are not workers.
    qunsetenv("CORVELLA_CHANNEL");
    CommandLine::chooseHeadlessPlatform();
    QMWidgets::App app(argc, argv, QLatin1String(CommandLine::organization), QLatin1String(CommandLine::application));
    CommandLine::setUpApplication(app);
    ScriptRunGuard guard;
    LocalScriptHost host(QString(), &guard);
    host.start();

    RunChannel channel(fd);
    // Without the launcher nobody is left to report to.
    QObject::connect(&channel, &RunChannel::closed, &app, [] { QCoreApplication::exit(1); });
    bool taken = false;
    QObject::connect(&channel, &RunChannel::received, &app, [&](const QJsonObject &message) {
        const QString type = message.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("stop")) {
            guard.stop(message.value(QStringLiteral("reason")).toString());
        } else if (type == QLatin1String("quit")) {
            QCoreApplication::exit(0);
        } else if (type == QLatin1String("run") && !taken) {
            taken = true;
            // Until this arrives, a worker that dies has not run the script.
            channel.send({{QStringLiteral("type"), QStringLiteral("taken")}});
            // Not from inside the channel's read: the script's waits must let
            // the channel deliver a stop.
            QTimer::singleShot(0, &app, [&, message] {
                const QString path = message.value(QStringLiteral("path")).toString();
                host.setEvidenceFolder(message.value(QStringLiteral("evidence")).toString());
                // A script stuck in one native call never lets the limit stop
                // it: its pane so far and why go out from the watchdog's
                // thread, before the launcher has to kill the process.
                RunWatchdog watchdog(
                    message.value(QStringLiteral("timeLimit")).toInt(),
                    [&](int, const QString &lines) {
                        QMDrovebot::ScriptRun abandoned;
                        abandoned.path = path;
                        abandoned.opened = abandoned.error = abandoned.endedEarly = true;
                        abandoned.errorText = lines;
                        abandoned.outputText = host.mirror()->text();
                        for (const QString &line : lines.split(QLatin1Char('\n'))) {
                            if (!abandoned.outputText.contains(line))
                                abandoned.outputText += QLatin1Char('\n') + line;
                        }
                        channel.send(QMDrovebot::RowWorker::resultMessage(abandoned));
                    },
                    QStringLiteral("its process was ended"));
                watchdog.rowStarted(0);
                const QMDrovebot::ScriptRun result =
                    host.run(path, message.value(QStringLiteral("evidenceName")).toString());
                watchdog.rowFinished();
                channel.send(QMDrovebot::RowWorker::resultMessage(result));
                QCoreApplication::exit(0);
            });
        }
    });
    channel.send({{QStringLiteral("type"), QStringLiteral("ready")}});
    return app.exec();
}
