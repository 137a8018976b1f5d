#include "WorkerCommand.h"

#include "CommandLine.h"
#include "LocalScriptHost.h"
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
            // Not from inside the channel's read: the script's waits must let
            // the channel deliver a stop.
            QTimer::singleShot(0, &app, [&, message] {
                host.setEvidenceFolder(message.value(QStringLiteral("evidence")).toString());
                const QMDrovebot::ScriptRun result = host.run(message.value(QStringLiteral("path")).toString(),
                                                              message.value(QStringLiteral("evidenceName")).toString());
                channel.send(QMDrovebot::RowWorker::resultMessage(result));
                QCoreApplication::exit(0);
            });
        }
    });
    channel.send({{QStringLiteral("type"), QStringLiteral("ready")}});
    return app.exec();
}
