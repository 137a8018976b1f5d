#include "ProgramLauncher.h"

#include "CommandLine.h"
#include "ProgramCheck.h"

#if defined(__SANITIZE_ADDRESS__)
#include <link.h>
#endif
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonValue>
#include <QTimer>

#include <csignal>

ProgramLauncher::ProgramLauncher(const QStringList &command, Mode mode, QObject *parent)
    : QObject(parent)
    , m_command(command)
    , m_mode(mode)
    , m_environment(QProcessEnvironment::systemEnvironment())
{
}

WorkerProcess *ProgramLauncher::process()
{
    return &m_process;
}

QString ProgramLauncher::name() const
{
    return m_command.value(0);
}

QString ProgramLauncher::attachLibrary() const
{
    // Beside the program in the build tree; in its own folder once installed.
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {dir + QStringLiteral("/libcorvella-attach.so"),
                                     dir + QStringLiteral("/" CORVELLA_ATTACH_LIBRARY_FROM_BINDIR)}) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QString();
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
// A library built with AddressSanitizer can be preloaded only after the
// sanitizer's own runtime: the sanitized test run attaches to programs too.
QString sanitizerRuntime()
{
    QString found;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            const QString name = QString::fromLocal8Bit(info->dlpi_name);
            if (!name.contains(QLatin1String("libasan.so")))
                return 0;
            *static_cast<QString *>(data) = name;
            return 1;
        },
        &found);
    return found;
}
#else
QString sanitizerRuntime()
{
    return QString();
}
#endif

} // namespace

void ProgramLauncher::conclude(bool attached, const QString &refusal)
{
    if (m_done)
        return;
    m_done = true;
    m_attached = attached;
    m_refusal = refusal;
    m_giveUp.stop();
    disconnect(m_messages);
    disconnect(m_end);
    if (!attached)
        m_process.kill();
    emit finished(attached);
}

QProcessEnvironment &ProgramLauncher::environment()
{
    return m_environment;
}

QString ProgramLauncher::refusal() const
{
    return m_refusal;
}

bool ProgramLauncher::attach()
{
    QEventLoop loop;
    connect(this, &ProgramLauncher::finished, &loop, &QEventLoop::quit);
    begin();
    if (!m_done)
        loop.exec();
    if (!m_attached)
        CommandLine::fail(m_refusal, 2);
    return m_attached;
}

void ProgramLauncher::begin()
{
    const QString program = ProgramCheck::resolve(name());
    const ProgramCheck::Kind kind = ProgramCheck::inspect(program);
    const QString refusal = ProgramCheck::refusal(kind, name());
    if (!refusal.isEmpty())
        return conclude(false, refusal);
    const QString library = attachLibrary();
    if (library.isEmpty())
        return conclude(false,
                        QStringLiteral("Corvella's library for --app (libcorvella-attach.so) is missing beside %1")
                            .arg(QCoreApplication::applicationFilePath()));

    const QProcessEnvironment environment = launchEnvironment(library);
    WorkerProcess::Options options;
    if (m_mode == Mode::Editor) {
        // The user's program in the user's terminal: its output, Ctrl+C and
        // life are its own.
        options.outputToStandardError = false;
        options.ownProcessGroup = false;
        options.endsWithLauncher = false;
    }
    QString error;
    if (!m_process.start(program, m_command.mid(1), environment, options, &error))
        return conclude(false, QStringLiteral("cannot start %1: %2").arg(name(), error));

    m_giveUp.setSingleShot(true);
    connect(&m_giveUp, &QTimer::timeout, this, [this] {
        conclude(false, QStringLiteral("%1 started no Qt 5 application within %2 seconds")
                            .arg(name())
                            .arg(attachMilliseconds / 1000));
    });
    m_messages = connect(&m_process, &WorkerProcess::received, this, &ProgramLauncher::handleMessage);
    m_end = connect(&m_process, &WorkerProcess::ended, this, [this] {
        conclude(
            false,
            m_applicationSeen
                ? QStringLiteral("%1 %2 before it showed a window").arg(name(), m_process.endText())
                : QStringLiteral("%1 %2 without starting a Qt 5 Widgets application").arg(name(), m_process.endText()));
    });
    m_giveUp.start(attachMilliseconds);
}

QProcessEnvironment ProgramLauncher::launchEnvironment(const QString &library) const
{
    QProcessEnvironment environment = m_environment;
    QStringList preloads{sanitizerRuntime(), library, environment.value(QStringLiteral("LD_PRELOAD"))};
    preloads.removeAll(QString());
    environment.insert(QStringLiteral("LD_PRELOAD"), preloads.join(QLatin1Char(' ')));
    environment.insert(QStringLiteral("CORVELLA_ATTACH"),
                       m_mode == Mode::Editor ? QStringLiteral("editor") : QStringLiteral("run"));
    return environment;
}

void ProgramLauncher::handleMessage(const QJsonObject &message)
{
    const QString type = message.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("app")) {
        m_applicationSeen = true;
        m_giveUp.stop();
        const QString qt = message.value(QStringLiteral("qt")).toString();
        const QString builtWith = message.value(QStringLiteral("builtWith")).toString();
        if (!message.value(QStringLiteral("widgets")).toBool()) {
            conclude(false, QStringLiteral("%1 is not a Qt Widgets program: its application object is a %2 (Qt "
                                           "Quick and QML cannot be driven)")
                                .arg(name(), message.value(QStringLiteral("class")).toString()));
        } else if (qt != builtWith) {
            conclude(false,
                     QStringLiteral("%1 runs on Qt %2, but Corvella is built with Qt %3").arg(name(), qt, builtWith));
        }
    } else if (type == QLatin1String("noWindow")) {
        conclude(false, QStringLiteral("%1 showed no window within 10 seconds").arg(name()));
    } else if (type == QLatin1String("ready")) {
        conclude(true, QString());
    }
}

int runAttachedEditor(int argc, char **argv, const QStringList &command)
{
    QCoreApplication app(argc, argv);
    ProgramLauncher launcher(command, ProgramLauncher::Mode::Editor);
    if (!launcher.attach())
        return 2;
    // Ctrl+C reaches the program too: it decides, and we report how it ended.
    ::signal(SIGINT, SIG_IGN);
    if (!launcher.process()->hasEnded()) {
        QEventLoop loop;
        QObject::connect(launcher.process(), &WorkerProcess::ended, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return launcher.process()->shellStatus();
}
