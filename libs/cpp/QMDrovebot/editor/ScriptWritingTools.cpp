#include "ScriptWritingTools.h"

#include "DocWindow.h"
#include "Editor.h"
#include "InputRecorder.h"
#include "LineTextWidget.h"
#include "WidgetPicker.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace QMDrovebot {

namespace {

bool callsGenerateIds(const DocWindow *document)
{
    return document->toPlainText().contains(QLatin1String("generateIDs("));
}

} // namespace

ScriptWritingTools::ScriptWritingTools(Editor *editor, QMainWindow *window)
    : QObject(window)
    , m_editor(editor)
    , m_window(window)
    , m_pickAction(new QAction(QStringLiteral("Pick Widget"), window))
    , m_recordAction(new QAction(QStringLiteral("Record"), window))
    , m_state(new QLabel)
    , m_picker(new WidgetPicker(this))
    , m_recorder(new InputRecorder(this))
{
    m_pickAction->setObjectName(QStringLiteral("pickWidgetAction"));
    m_pickAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+K")));
    m_recordAction->setObjectName(QStringLiteral("recordAction"));
    m_recordAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+R")));
    connect(m_pickAction, &QAction::triggered, this,
            [this] { m_picker->isPicking() ? m_picker->cancel() : pickWidget(); });
    connect(m_recordAction, &QAction::triggered, this, [this] { isRecording() ? stopRecording() : startRecording(); });
    // What starts and stops the recording is not part of it.
    m_recorder->ignore(m_pickAction);
    m_recorder->ignore(m_recordAction);
    for (QWidget *own : {static_cast<QWidget *>(editor->textEdit()), static_cast<QWidget *>(editor->gutter())}) {
        m_picker->exclude(own);
        m_recorder->exclude(own);
    }
    connect(m_picker, &WidgetPicker::picked, this, &ScriptWritingTools::picked);
    connect(m_picker, &WidgetPicker::finished, this, &ScriptWritingTools::showState);
    // Characters typed in a burst (a script's keyPress) are written once.
    m_writeSoon.setSingleShot(true);
    m_writeSoon.setInterval(0);
    connect(&m_writeSoon, &QTimer::timeout, this, &ScriptWritingTools::writeRecording);
    connect(m_recorder, &InputRecorder::changed, &m_writeSoon, qOverload<>(&QTimer::start));

    m_state->setObjectName(QStringLiteral("recordingState"));
    m_state->setStyleSheet(QStringLiteral("QLabel{background: #B01030; color: white; font-weight: bold; "
                                          "border-radius: 3px; padding: 1px 6px}"));
    m_state->hide();
    window->statusBar()->addPermanentWidget(m_state);
}

ScriptWritingTools::~ScriptWritingTools() = default;

QAction *ScriptWritingTools::pickAction() const
{
    return m_pickAction;
}

QAction *ScriptWritingTools::recordAction() const
{
    return m_recordAction;
}

WidgetPicker *ScriptWritingTools::picker() const
{
    return m_picker;
}

InputRecorder *ScriptWritingTools::recorder() const
{
    return m_recorder;
}

bool ScriptWritingTools::isRecording() const
{
    return m_recorder->isRecording();
}

void ScriptWritingTools::showState()
{
    QString state;
    if (m_recorder->isRecording())
        state = QStringLiteral("\u25CF Recording: Ctrl+Shift+R stops");
    else if (m_picker->isPicking())
        state = QStringLiteral("Pick a widget: click it, Esc cancels");
    m_state->setText(state);
    m_state->setVisible(!state.isEmpty());
    m_recordAction->setText(m_recorder->isRecording() ? QStringLiteral("Stop Recording") : QStringLiteral("Record"));
}

void ScriptWritingTools::pickWidget()
{
    m_picker->start();
    showState();
}

void ScriptWritingTools::picked(QWidget *widget, const WidgetLocator &locator)
{
    if (!locator.isValid()) {
        m_window->statusBar()->showMessage(
            QStringLiteral("No expression finds this %1").arg(QString::fromLatin1(widget->metaObject()->className())),
            10000);
        return;
    }
    const QString expression = locator.expression();
    DocWindow *document = m_editor->textEdit();
    QTextCursor cursor = document->textCursor();
    cursor.beginEditBlock();
    if (locator.kind() == WidgetLocator::Kind::Id && !callsGenerateIds(document)) {
        QTextCursor line = cursor;
        line.movePosition(QTextCursor::StartOfBlock);
        line.insertText(QStringLiteral("generateIDs();\n"));
    }
    cursor.insertText(expression);
    cursor.endEditBlock();
    document->setTextCursor(cursor);
    QGuiApplication::clipboard()->setText(expression);
    m_window->statusBar()->showMessage(QStringLiteral("Picked ") + expression, 10000);
    m_window->activateWindow();
    document->setFocus();
}

void ScriptWritingTools::startRecording()
{
    if (isRecording())
        return;
    DocWindow *document = m_editor->textEdit();
    QTextCursor cursor = document->textCursor();
    cursor.clearSelection();
    // The lines go in on lines of their own, before the next line.
    if (!cursor.atBlockStart() && !cursor.movePosition(QTextCursor::NextBlock)) {
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(QStringLiteral("\n"));
    }
    m_start = cursor;
    m_end = cursor;
    m_written = false;
    m_recorder->start(document->toPlainText());
    showState();
}

void ScriptWritingTools::stopRecording()
{
    m_recorder->stop();
    m_writeSoon.stop();
    writeRecording();
    showState();
}

void ScriptWritingTools::writeRecording()
{
    DocWindow *document = m_editor->textEdit();
    if (m_start.isNull() || m_start.document() != document->document())
        return;
    const QString text = m_recorder->text();
    const int start = m_start.position();
    QTextCursor edit = m_start;
    edit.setPosition(m_end.position(), QTextCursor::KeepAnchor);
    // One recording is one step to undo.
    if (m_written)
        edit.joinPreviousEditBlock();
    else
        edit.beginEditBlock();
    m_written = true;
    edit.insertText(text);
    edit.endEditBlock();
    m_start.setPosition(start);
    m_end.setPosition(start + text.size());
    // The latest line in view, not the helper function after it.
    const int helper = text.lastIndexOf(QLatin1Char('\n') + WidgetLocator::buttonHelper());
    QTextCursor latest = m_end;
    latest.setPosition(start + (helper >= 0 ? helper : text.size()));
    document->setTextCursor(latest);
    document->ensureCursorVisible();
}

} // namespace QMDrovebot
