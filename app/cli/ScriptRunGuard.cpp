#include "ScriptRunGuard.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>

#include <QMDrovebot/editor/Editor.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The handler only writes a byte; the event loop, which the engine keeps
// running even while a script computes, reads it and stops the run.
int g_signalPipe[2] = {-1, -1};
// Read by the watchdog's thread too.
std::atomic<int> g_signalNumber{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler may only touch lock-free atomics");
ScriptRunGuard *g_activeGuard = nullptr;

void onSignal(int number)
{
    if (g_signalNumber != 0) {
        // Asked twice: whatever keeps the run from ending, the user means it.
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    g_signalNumber = number;
    const char byte = 1;
    const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    (void)written;
}

} // namespace

ScriptRunGuard::ScriptRunGuard(int timeLimitSeconds, QObject *parent)
    : QObject(parent)
    , m_timeLimitSeconds(timeLimitSeconds)
    , m_timeLimit(new QTimer(this))
    , m_lateDialogs(new QTimer(this))
{
    m_lateDialogs->setInterval(10);
    connect(m_lateDialogs, &QTimer::timeout, this, &ScriptRunGuard::closeLateDialog);
    m_timeLimit->setSingleShot(true);
    m_timeLimit->setTimerType(Qt::PreciseTimer);
    connect(m_timeLimit, &QTimer::timeout, this, [this] {
        // A timer may fire a little early: the clock decides.
        const qint64 left = m_timeLimitSeconds * qint64(1000) - m_clock.elapsed();
        if (left > 0)
            m_timeLimit->start(int(std::min<qint64>(left, INT_MAX)));
        else
            stop(timeLimitText(m_timeLimitSeconds));
    });

    static QPointer<QSocketNotifier> notifier;
    if (!notifier && ::pipe(g_signalPipe) == 0) {
        for (int fd : g_signalPipe)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
        notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
            char byte = 0;
            const ssize_t read = ::read(g_signalPipe[0], &byte, 1);
            (void)read;
            if (g_activeGuard)
                g_activeGuard->signalArrived();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
}

ScriptRunGuard::~ScriptRunGuard()
{
    if (g_activeGuard == this)
        g_activeGuard = nullptr;
}

void ScriptRunGuard::run(QMDrovebot::Editor *editor)
{
    if (!editor)
        return;
    m_editor = editor;
    run(
        [this] {
            if (!m_editor)
                return;
            m_editor->run();
            settle();
        },
        [this](const QString &reason) {
            if (!m_editor)
                return;
            if (!m_editor->isEvaluating()) {
                // The script has ended; what holds the run up now is what it
                // set in motion last.
                closeLateDialog();
                return;
            }
            m_editor->appendError(reason);
            if (m_beforeStop)
                m_beforeStop();
            m_editor->stopEvaluation();
        });
    m_editor = nullptr;
}

void ScriptRunGuard::run(const std::function<void()> &body, const std::function<void(const QString &)> &stop)
{
    if (signalReceived())
        return;
    m_stop = stop;
    ScriptRunGuard *outer = g_activeGuard;
    g_activeGuard = this;
    m_clock.start();
    if (m_timeLimitSeconds > 0)
        m_timeLimit->start(int(std::min<qint64>(m_timeLimitSeconds * qint64(1000), INT_MAX)));
    body();
    m_timeLimit->stop();
    g_activeGuard = outer;
    m_stop = nullptr;
}

bool ScriptRunGuard::signalReceived()
{
    return g_signalNumber != 0;
}

void ScriptRunGuard::setBeforeStop(std::function<void()> beforeStop)
{
    m_beforeStop = std::move(beforeStop);
}

QString ScriptRunGuard::signalName()
{
    const int number = g_signalNumber;
    if (number == 0)
        return QString();
    return number == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
}

QString ScriptRunGuard::signalText()
{
    const QString name = signalName();
    return name.isEmpty() ? QString() : QStringLiteral("Error: the run was interrupted by %1").arg(name);
}

void ScriptRunGuard::settle()
{
    // Still under the limit and the signals: a click the script posted last
    // may open a modal dialog here that nobody will answer.
    if (!m_editor)
        return;
    m_lateDialogs->start();
    QCoreApplication::processEvents();
    m_lateDialogs->stop();
}

void ScriptRunGuard::closeLateDialog()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !m_editor || m_editor->isEvaluating())
        return;
    const QString name =
        modal->windowTitle().isEmpty() ? QString::fromLatin1(modal->metaObject()->className()) : modal->windowTitle();
    m_editor->appendError(QStringLiteral("Error: the dialog \"%1\" opened after the script ended; it was closed")
                              .arg(name)
                              .toHtmlEscaped());
    if (m_beforeStop)
        m_beforeStop();
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}

QString ScriptRunGuard::timeLimitText(int seconds)
{
    return seconds == 1 ? QStringLiteral("Error: the script ran into its time limit of 1 second")
                        : QStringLiteral("Error: the script ran into its time limit of %1 seconds").arg(seconds);
}

void ScriptRunGuard::signalArrived()
{
    stop(signalText());
}

void ScriptRunGuard::stop(const QString &reason)
{
    if (m_stop)
        m_stop(reason);
}
