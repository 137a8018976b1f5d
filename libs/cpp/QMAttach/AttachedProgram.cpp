#include "AttachedProgram.h"

#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/batch/RowWorker.h>
#include <QMDrovebot/batch/RunChannel.h>
#include <QMDrovebot/batch/ScriptEditor.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/ids/ScriptWindows.h>

#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <QWindow>

namespace {

QWidget *firstShownWindow()
{
    const QWidgetList windows = QMDrovebot::ScriptWindows::topLevels();
    for (QWidget *window : windows) {
        if (window->isVisible() && !qobject_cast<QMenu *>(window) && window->windowType() != Qt::ToolTip &&
            window->windowHandle() && window->windowHandle()->isExposed())
            return window;
    }
    return nullptr;
}

} // namespace

AttachedProgram::AttachedProgram(Mode mode, QMDrovebot::RunChannel *channel, QObject *parent)
    : QObject(parent)
    , m_mode(mode)
    , m_channel(channel)
{
    QMDrovebot::prepareHostProgram();
    if (m_mode == Mode::Run) {
        // Nobody is there to answer the program's own questions on quitting.
        QMDrovebot::AutomationState::setQuitsDirectly(true);
        // Without the launcher no script can run or report any more.
        connect(m_channel, &QMDrovebot::RunChannel::closed, qApp, [] { QCoreApplication::exit(1); });
    }
    m_clock.start();
    connect(&m_poll, &QTimer::timeout, this, &AttachedProgram::poll);
    m_poll.start(10);
}

void AttachedProgram::poll()
{
    QWidget *window = firstShownWindow();
    if (!window) {
        if (m_clock.elapsed() > firstWindowMilliseconds) {
            m_poll.stop();
            m_channel->send({{QStringLiteral("type"), QStringLiteral("noWindow")}});
        }
        return;
    }
    if (m_mode == Mode::Run) {
        // A script's first shortcut reaches only the active window; a
        // platform that never activates it still gets its run.
        if (!m_activating.isValid()) {
            m_activating.start();
            window->activateWindow();
        }
        if (!window->isActiveWindow() && m_activating.elapsed() < 5000)
            return;
    }
    m_poll.stop();
    begin();
}

void AttachedProgram::begin()
{
    if (m_mode == Mode::Editor) {
        QMDrovebot::openScriptEditor();
        m_channel->send({{QStringLiteral("type"), QStringLiteral("ready")}});
        return;
    }
    // Never shown: the scripts run in it, and the searches see the program.
    auto *editor = new QMDrovebot::Editor;
    editor->setWindowFlag(Qt::Tool);
    connect(qApp, &QCoreApplication::aboutToQuit, editor, [editor] { delete editor; });
    auto *worker = new QMDrovebot::RowWorker(editor, m_channel, this);
    worker->sendReady();
}
