#include "ScriptRunner.h"

#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace QMDrovebot {

ScriptRunner::ScriptRunner(Editor *editor)
    : m_editor(editor)
    , m_runStep([](Editor *e) {
        e->run();
        // What the script posted last (a click, a key) still takes effect
        // before its output is read, as after a run from the command line.
        QCoreApplication::processEvents();
    })
{
}

void ScriptRunner::setRunStep(RunStep step)
{
    m_runStep = std::move(step);
}

bool ScriptRunner::open(const QString &path)
{
    QString reason =
        QCoreApplication::translate("QMDrovebot::ScriptRunner", "Cannot open an empty path: the row names no file");
    bool opened = false;
    if (!path.isEmpty()) {
        // The document explains a failed open in a status message; the row
        // keeps that explanation.
        const QMetaObject::Connection connection = QObject::connect(
            m_editor->textEdit(), &DocWindow::statusMessage, [&reason](const QString &message) { reason = message; });
        opened = m_editor->textEdit()->openFile(path);
        QObject::disconnect(connection);
    }
    if (!opened) {
        m_editor->outputArea()->clear();
        m_editor->appendError(reason.toHtmlEscaped());
    }
    return opened;
}

ScriptRun ScriptRunner::run(const QString &path)
{
    ScriptRun result;
    result.path = path;
    if (!m_editor || m_editor->isEvaluating()) {
        // The editor would refuse the run and keep the previous outcome; its
        // text and pane belong to the script that is still running.
        result.error = true;
        result.endedEarly = true;
        result.errorText =
            QCoreApplication::translate("QMDrovebot::ScriptRunner", "Another script is still running in this editor");
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    m_editor->outputArea()->clear();
    AutomationState::setQuitRequested(false);
    QStringList errors;
    const QMetaObject::Connection recording =
        QObject::connect(m_editor, &Editor::errorAppended, [&errors](const QString &html) {
            errors << QTextDocumentFragment::fromHtml(html).toPlainText();
        });
    result.opened = open(path);
    if (result.opened) {
        const quint64 created = m_editor->engine()->adoptedCount();
        m_runStep(m_editor);
        // A row's timers end with it: none fires into the next row.
        if (m_editor)
            m_editor->engine()->freeTimersSince(created);
        result.error = !m_editor || m_editor->errorStatus() != 0;
        result.endedEarly = !m_editor || !m_editor->ranToEnd();
    } else {
        result.error = true;
        result.endedEarly = true;
    }
    QObject::disconnect(recording);
    result.quitRequested = AutomationState::quitRequested();
    result.milliseconds = clock.elapsed();
    result.errorText = errors.join(QLatin1Char('\n'));
    if (!m_editor)
        return result;
    result.outputHtml = m_editor->outputHtml();
    result.outputText = m_editor->outputArea()->toPlainText();
    // An error shown without colour (displayError) still needs a text, and
    // never one the script printed.
    if (result.error && result.errorText.isEmpty()) {
        const QStringList lines = result.outputText.split(QLatin1Char('\n')).filter(QRegularExpression("^Error:"));
        result.errorText = lines.isEmpty() ? QCoreApplication::translate("QMDrovebot::ScriptRunner",
                                                                         "The script failed without an error text")
                                           : lines.join(QLatin1Char('\n'));
    }
    return result;
}

void ScriptRunner::addEvidence(const QString &folder, const QString &name, const Evidence::Snapshot &snapshot,
                               ScriptRun *run)
{
    QString error;
    const QString path = Evidence::write(folder, name, run->outputText, snapshot, &error);
    const QString line = path.isEmpty() ? QStringLiteral("No evidence: ") + error : QStringLiteral("Evidence: ") + path;
    for (QString *text : {&run->outputText, &run->errorText})
        *text += (text->isEmpty() ? QString() : QStringLiteral("\n")) + line;
}

} // namespace QMDrovebot
