#include "LocalScriptHost.h"

#include "CommandLine.h"
#include "OutputMirror.h"
#include "ScriptRunGuard.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
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
    QMDrovebot::Editor *editor = m_frame->mainWindow()->editor();
    m_runner = std::make_unique<QMDrovebot::ScriptRunner>(editor);
    m_runner->setRunStep([this](QMDrovebot::Editor *e) { m_guard->run(e); });
    m_mirror = std::make_unique<OutputMirror>(editor->outputArea());
    m_guard->setBeforeStop([this] {
        if (!m_evidenceFolder.isEmpty())
            m_stopSnapshot = std::make_unique<QMDrovebot::Evidence::Snapshot>(QMDrovebot::Evidence::capture());
    });
    return true;
}

QMDrovebot::ScriptRun LocalScriptHost::run(const QString &path, const QString &evidenceName)
{
    m_stopSnapshot.reset();
    QMDrovebot::ScriptRun result = m_runner->run(path);
    const bool failed = result.error || ScriptRunGuard::signalReceived();
    if (failed && !m_evidenceFolder.isEmpty()) {
        using QMDrovebot::Evidence;
        QMDrovebot::ScriptRunner::addEvidence(m_evidenceFolder, evidenceName,
                                              !result.opened   ? Evidence::Snapshot()
                                              : m_stopSnapshot ? *m_stopSnapshot
                                                               : Evidence::capture(),
                                              &result);
    }
    return result;
}

void LocalScriptHost::setEvidenceFolder(const QString &folder)
{
    m_evidenceFolder = folder;
}

const OutputMirror *LocalScriptHost::mirror() const
{
    return m_mirror.get();
}

bool LocalScriptHost::canRun() const
{
    return true;
}
