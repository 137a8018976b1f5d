#include "LocalScriptHost.h"

#include "CommandLine.h"
#include "ScriptRunGuard.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QMDrovebot/automation/AutomationState.h>
#include <QMWidgets/App.h>

LocalScriptHost::LocalScriptHost(const QString &evidenceFolder, ScriptRunGuard *guard)
    : m_evidenceFolder(evidenceFolder)
    , m_guard(guard)
{
}

LocalScriptHost::~LocalScriptHost() = default;

bool LocalScriptHost::start()
{
    // Nobody is there to answer the unsaved-changes question.
    QMDrovebot::AutomationState::setQuitsDirectly(true);
    m_frame = std::make_unique<JavaScriptEvaluator>();
    m_frame->showAtStartUp();
    if (QMWidgets::App *app = QMWidgets::App::instance())
        app->setMainWidget(m_frame.get());
    m_frame->mainWindow()->registerApplicationWidget(m_frame.get());
    CommandLine::waitUntilActive(m_frame.get());
    m_runner = std::make_unique<QMDrovebot::ScriptRunner>(m_frame->mainWindow()->editor());
    m_runner->setRunStep([this](QMDrovebot::Editor *editor) { m_guard->run(editor); });
    return true;
}

QMDrovebot::ScriptRun LocalScriptHost::run(const QString &path)
{
    QMDrovebot::ScriptRun result = m_runner->run(path);
    const bool failed = result.error || ScriptRunGuard::signalReceived();
    if (failed && !m_evidenceFolder.isEmpty())
        QMDrovebot::ScriptRunner::addEvidence(m_evidenceFolder, &result);
    return result;
}

bool LocalScriptHost::canRun() const
{
    return true;
}
