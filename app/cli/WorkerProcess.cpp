#include "WorkerProcess.h"

#include <QMDrovebot/batch/RunChannel.h>

#include <QProcess>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What happens between fork and exec, where only async-signal-safe calls
// are allowed.
class ChildProcess : public QProcess
{
public:
    using QProcess::QProcess;

    int channelFd = -1;
    pid_t launcher = 0;
    WorkerProcess::Options options;

protected:
    void setupChildProcess() override
    {
        // The channel's end survives exec; every other descriptor of ours is
        // closed on exec.
        ::fcntl(channelFd, F_SETFD, 0);
        if (options.outputToStandardError)
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
        if (options.ownProcessGroup)
            ::setpgid(0, 0);
        if (options.endsWithLauncher) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != launcher)
                ::_exit(127);
        }
    }
};

} // namespace

WorkerProcess::WorkerProcess(QObject *parent)
    : QObject(parent)
{
}

WorkerProcess::~WorkerProcess()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool WorkerProcess::start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                          const Options &options, QString *error)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    auto *process = new ChildProcess(this);
    process->channelFd = ends[1];
    process->launcher = ::getpid();
    process->options = options;
    QProcessEnvironment env = environment;
    env.insert(QStringLiteral("CORVELLA_CHANNEL"), QString::number(ends[1]));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    m_process = process;
    m_channel = new QMDrovebot::RunChannel(ends[0], this);
    connect(m_channel, &QMDrovebot::RunChannel::received, this, &WorkerProcess::received);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) {
                // The end can be noticed before the messages sent just before it.
                m_channel->readPending();
                m_ended = true;
                m_code = code;
                m_signalled = status == QProcess::CrashExit;
                emit ended();
            });
    process->start(program, arguments);
    const bool started = process->waitForStarted(10000);
    ::close(ends[1]);
    if (!started) {
        *error = process->errorString();
        return false;
    }
    return true;
}

bool WorkerProcess::send(const QJsonObject &message)
{
    return m_channel && m_channel->send(message);
}

void WorkerProcess::terminate(int graceMilliseconds)
{
    if (!m_process || m_ended)
        return;
    m_process->terminate();
    QTimer::singleShot(graceMilliseconds, this, &WorkerProcess::kill);
}

void WorkerProcess::kill()
{
    if (m_process && !m_ended)
        m_process->kill();
}

bool WorkerProcess::hasEnded() const
{
    return m_ended;
}

bool WorkerProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning && !m_ended;
}

QString WorkerProcess::endText() const
{
    if (!m_signalled)
        return QStringLiteral("ended with exit status %1").arg(m_code);
    return QStringLiteral("ended with signal %1 (%2)").arg(m_code).arg(QString::fromLocal8Bit(::strsignal(m_code)));
}

int WorkerProcess::shellStatus() const
{
    return m_signalled ? 128 + m_code : m_code;
}
