// The entry of the library that Corvella's launcher preloads into a program
// (`corvella --app PROGRAM`). Loaded into any process that inherits the
// preload, it does nothing unless the launcher's variables are set, and it
// opens no port: it speaks only over the socket the launcher handed down.

#include "AttachedProgram.h"

#include <QMDrovebot/batch/RunChannel.h>

#include <QApplication>
#include <QJsonObject>
#include <QTimer>

namespace {

// The program's own child processes run untouched.
void forgetLauncher()
{
    qunsetenv("CORVELLA_ATTACH");
    qunsetenv("CORVELLA_CHANNEL");
    QList<QByteArray> kept;
    const QList<QByteArray> preloads = qgetenv("LD_PRELOAD").split(' ');
    for (const QByteArray &entry : preloads) {
        if (!entry.isEmpty() && !entry.contains("libcorvella-attach"))
            kept.append(entry);
    }
    if (kept.isEmpty())
        qunsetenv("LD_PRELOAD");
    else
        qputenv("LD_PRELOAD", kept.join(' '));
}

void attach(const QByteArray &mode, int fd)
{
    auto *channel = new QMDrovebot::RunChannel(fd, QCoreApplication::instance());
    const bool sameQt = qstrcmp(qVersion(), QT_VERSION_STR) == 0;
    const bool widgets = qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    channel->send({{QStringLiteral("type"), QStringLiteral("app")},
                   {QStringLiteral("qt"), QLatin1String(qVersion())},
                   {QStringLiteral("builtWith"), QLatin1String(QT_VERSION_STR)},
                   {QStringLiteral("widgets"), widgets},
                   {QStringLiteral("class"), QLatin1String(QCoreApplication::instance()->metaObject()->className())}});
    // The launcher explains the refusal; here nothing more happens.
    if (!sameQt || !widgets)
        return;
    new AttachedProgram(mode == "editor" ? AttachedProgram::Mode::Editor : AttachedProgram::Mode::Run, channel,
                        QCoreApplication::instance());
}

// Runs inside the application object's constructor, before the toolkit is
// fully up: the work waits for the event loop.
void startUp()
{
    const QByteArray mode = qgetenv("CORVELLA_ATTACH");
    if (mode.isEmpty())
        return;
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("CORVELLA_CHANNEL", &ok);
    forgetLauncher();
    if (!ok || fd < 3)
        return;
    QTimer::singleShot(0, QCoreApplication::instance(), [mode, fd] { attach(mode, fd); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startUp)
