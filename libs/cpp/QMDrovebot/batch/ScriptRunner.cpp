#include "ScriptRunner.h"

#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>

namespace QMDrovebot {

namespace {

const QColor errorColour(0xAA, 0x00, 0x00);

} // namespace

ScriptRunner::ScriptRunner(Editor *editor)
    : m_editor(editor)
    , m_runStep([](Editor *e) { e->run(); })
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
        result.errorText =
            QCoreApplication::translate("QMDrovebot::ScriptRunner", "Another script is still running in this editor");
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    result.opened = open(path);
    if (result.opened) {
        const quint64 created = m_editor->engine()->adoptedCount();
        m_runStep(m_editor);
        // What the script posted last (a click, a key) still takes effect
        // before its output is read, as after a run from the command line.
        QCoreApplication::processEvents();
        // A row's timers end with it: none fires into the next row.
        if (m_editor)
            m_editor->engine()->freeTimersSince(created);
        result.error = !m_editor || m_editor->errorStatus() != 0;
    } else {
        result.error = true;
    }
    result.milliseconds = clock.elapsed();
    if (!m_editor)
        return result;
    result.outputHtml = m_editor->outputHtml();
    result.outputText = m_editor->outputArea()->toPlainText();
    result.errorText = errorText(m_editor->outputArea()->document());
    // An error shown without colour (displayError) still needs a text.
    if (result.error && result.errorText.isEmpty())
        result.errorText = result.outputText;
    return result;
}

QString ScriptRunner::errorText(const QTextDocument *document)
{
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QString line;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().foreground().color() == errorColour)
                line += fragment.text();
        }
        if (!line.isEmpty())
            lines.append(line);
    }
    // A <BR> inside a red text is a line separator within one block.
    return lines.join(QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
}

void ScriptRunner::addEvidence(const QString &folder, ScriptRun *run)
{
    QString error;
    const QString path = Evidence::write(folder, run->path, run->outputText, &error);
    const QString line = path.isEmpty() ? QStringLiteral("No evidence: ") + error : QStringLiteral("Evidence: ") + path;
    for (QString *text : {&run->outputText, &run->errorText})
        *text += (text->isEmpty() ? QString() : QStringLiteral("\n")) + line;
}

} // namespace QMDrovebot
