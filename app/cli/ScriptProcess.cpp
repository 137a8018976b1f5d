#include "ScriptProcess.h"

#include "ProgramLauncher.h"
#include "ScriptRunGuard.h"
#include "WorkerProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QJsonValue>

#include <QMDrovebot/batch/RowWorker.h>

ScriptProcess::ScriptProcess(const Setup &setup, QObject *parent)
    : QObject(parent)
    , m_setup(setup)
{
    m_limit.setSingleShot(true);
    m_limit.setTimerType(Qt::PreciseTimer);
    connect(&m_limit, &QTimer::timeout, this,
            [this] { stop(ScriptRunGuard::timeLimitText(m_setup.timeLimitSeconds)); });
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        switch (m_state) {
        case State::Starting:
            fail(QStringLiteral("Error: %1 was not ready within %2 seconds")
                     .arg(processName())
                     .arg(startMilliseconds / 1000));
            break;
        case State::Running:
            // Its result now comes from processEnded().
            m_killed = true;
            process()->kill();
            break;
        default:
            if (process())
                process()->kill();
        }
    });
}

ScriptProcess::~ScriptProcess() = default;

void ScriptProcess::start()
{
    if (m_state != State::Idle)
        return;
    m_state = State::Starting;
    m_ahead = !m_wanted;
    QTimer::singleShot(0, this, &ScriptProcess::launch);
}

void ScriptProcess::run(const QString &path, const QString &evidenceName)
{
    m_path = path;
    m_evidenceName = evidenceName;
    m_wanted = true;
    m_clock.start();
    if (m_state == State::Idle)
        start();
    else if (m_state == State::Ready)
        QTimer::singleShot(0, this, &ScriptProcess::sendRun);
}

bool ScriptProcess::scriptStarted() const
{
    return m_state == State::Running || (m_state == State::Finished && m_wanted);
}

bool ScriptProcess::isStarting() const
{
    return m_state == State::Idle || m_state == State::Starting;
}

bool ScriptProcess::hasEnded() const
{
    return m_ended;
}

WorkerProcess *ScriptProcess::process() const
{
    return m_launcher ? m_launcher->process() : m_worker.get();
}

QString ScriptProcess::processName() const
{
    return m_launcher ? m_launcher->name() : QStringLiteral("the script's process");
}

void ScriptProcess::launch()
{
    if (m_state != State::Starting)
        return;
    m_grace.start(startMilliseconds);
    if (m_setup.appCommand.isEmpty())
        launchWorker();
    else
        launchProgram();
}

void ScriptProcess::becomeReady()
{
    if (m_state != State::Starting)
        return;
    m_grace.stop();
    m_state = State::Ready;
    if (m_wanted)
        sendRun();
    emit ready();
}

void ScriptProcess::launchWorker()
{
    // Several of them side by side on one display would take the focus
    // from each other.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_folders = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/corvella-worker-XXXXXX"));
    if (m_folders->isValid()) {
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folders->filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_folders->filePath(QStringLiteral("data")));
    }
    m_worker = std::make_unique<WorkerProcess>();
    connect(m_worker.get(), &WorkerProcess::received, this, &ScriptProcess::received);
    connect(m_worker.get(), &WorkerProcess::ended, this, &ScriptProcess::processEnded);
    QString error;
    if (!m_worker->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--worker")}, environment,
                         WorkerProcess::Options(), &error))
        fail(QStringLiteral("Error: cannot start a process for the script: ") + error);
}

void ScriptProcess::launchProgram()
{
    m_launcher = std::make_unique<ProgramLauncher>(m_setup.appCommand, ProgramLauncher::Mode::Run);
    m_launcher->environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    connect(m_launcher.get(), &ProgramLauncher::finished, this, [this](bool attached) {
        if (attached)
            becomeReady();
        else
            fail(QStringLiteral("Error: ") + m_launcher->refusal());
    });
    m_launcher->begin();
    // After the launcher's own handlers, which explain a program that ends
    // before it is attached.
    connect(process(), &WorkerProcess::received, this, &ScriptProcess::received);
    connect(process(), &WorkerProcess::ended, this, &ScriptProcess::processEnded);
}

void ScriptProcess::sendRun()
{
    if (m_state != State::Ready || !m_wanted)
        return;
    m_state = State::Running;
    process()->send({{QStringLiteral("type"), QStringLiteral("run")},
                     {QStringLiteral("path"), m_path},
                     {QStringLiteral("evidence"), m_setup.evidenceFolder},
                     {QStringLiteral("evidenceName"), m_evidenceName},
                     {QStringLiteral("timeLimit"), m_setup.timeLimitSeconds}});
    if (m_setup.timeLimitSeconds > 0)
        m_limit.start(m_setup.timeLimitSeconds * 1000);
}

void ScriptProcess::received(const QJsonObject &message)
{
    const QString type = message.value(QStringLiteral("type")).toString();
    // A program's "ready" is its launcher's to read.
    if (type == QLatin1String("ready") && !m_launcher)
        becomeReady();
    else if (type == QLatin1String("taken"))
        m_taken = true;
    else if (type == QLatin1String("result") && m_state == State::Running)
        finish(QMDrovebot::RowWorker::runFromMessage(message), true);
}

void ScriptProcess::stop(const QString &reason)
{
    if (m_state != State::Running || !m_stopReason.isEmpty())
        return;
    m_stopReason = reason;
    m_limit.stop();
    process()->send({{QStringLiteral("type"), QStringLiteral("stop")}, {QStringLiteral("reason"), reason}});
    m_grace.start(graceMilliseconds);
}

void ScriptProcess::cancel()
{
    if (m_state == State::Finished)
        return;
    const bool ready = m_state == State::Ready;
    m_state = State::Finished;
    m_wanted = false;
    m_limit.stop();
    m_grace.stop();
    if (ready && process() && process()->isRunning()) {
        // Waiting for a script, it can end as it would have after one.
        process()->send({{QStringLiteral("type"), QStringLiteral("quit")}});
        m_grace.start(graceMilliseconds);
    } else if (process() && process()->isRunning()) {
        process()->kill();
    } else if (!m_ended) {
        QTimer::singleShot(0, this, [this] {
            m_ended = true;
            emit ended();
        });
    }
}

void ScriptProcess::processEnded()
{
    // A process started ahead can die unnoticed before its script is sent
    // (killed with the one beside it): the script never reached it.
    if (m_state == State::Running && m_ahead && !m_launcher && !m_taken && m_stopReason.isEmpty()) {
        m_state = State::Finished;
        m_limit.stop();
        m_grace.stop();
        emit lost();
    } else if (m_state == State::Running) {
        if (m_killed)
            fail(m_stopReason + QStringLiteral("\nError: the script did not stop within %1 seconds, so %2 was killed")
                                    .arg(graceMilliseconds / 1000)
                                    .arg(processName()));
        else
            fail(QStringLiteral("Error: %1 %2 while the script ran").arg(processName(), process()->endText()));
    } else if (m_state == State::Starting || m_state == State::Ready) {
        const bool owed = m_wanted;
        m_state = State::Finished;
        if (owed && m_ahead)
            emit lost();
        else if (owed)
            finish(
                failedRun(
                    QStringLiteral("Error: %1 %2 before the script started").arg(processName(), process()->endText())),
                false);
    }
    m_ended = true;
    emit ended();
}

QMDrovebot::ScriptRun ScriptProcess::failedRun(const QString &line) const
{
    QMDrovebot::ScriptRun result;
    result.path = m_path;
    result.opened = true;
    result.error = true;
    result.endedEarly = true;
    result.outputText = result.errorText = line;
    result.milliseconds = m_clock.elapsed();
    return result;
}

void ScriptProcess::fail(const QString &line)
{
    // A process started ahead owes nothing yet: its script gets another.
    if (!m_wanted)
        return cancel();
    finish(failedRun(line), false);
}

void ScriptProcess::finish(const QMDrovebot::ScriptRun &result, bool delivered)
{
    if (m_state == State::Finished)
        return;
    m_state = State::Finished;
    m_limit.stop();
    m_grace.stop();
    emit finished(result);
    WorkerProcess *p = process();
    if (!p || !p->isRunning()) {
        if (!m_ended && !(p && p->hasEnded()))
            QTimer::singleShot(0, this, [this] {
                m_ended = true;
                emit ended();
            });
        return;
    }
    // A worker ends by itself once its result is out; a program is asked to
    // quit as its user would. Either has the grace to do so.
    if (m_launcher)
        p->send({{QStringLiteral("type"), QStringLiteral("quit")}});
    else if (!delivered)
        p->kill();
    m_grace.start(graceMilliseconds);
}
