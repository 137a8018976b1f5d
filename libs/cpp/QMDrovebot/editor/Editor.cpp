#include "Editor.h"

#include "CodeCompleter.h"
#include "DeletionGuard.h"
#include "DocWindow.h"
#include "LineTextWidget.h"
#include "RecoveryFile.h"
#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/automation/ScriptApi.h>
#include <QMDrovebot/engine/IncludeExpander.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMDrovebot/engine/SyntaxCheck.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QAction>
#include <QHBoxLayout>
#include <QScriptContext>
#include <QScriptContextInfo>
#include <QScriptEngineDebugger>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>

#include <QMWidgets/App.h>

#include <cmath>
#include <memory>

namespace QMDrovebot {

Editor::Editor(QWidget *parent)
    : QWidget(parent)
{
    m_engine = new ScriptEngine(this);
    m_textEdit = new DocWindow;
    m_outputArea = new OutputArea;
    m_gutter = new LineTextWidget;
    m_engine->setOutputArea(m_outputArea);
    m_recovery = new RecoveryFile(m_textEdit, this);
    m_deletionGuard = new DeletionGuard(this);
    for (QObject *own : {static_cast<QObject *>(this), static_cast<QObject *>(m_textEdit),
                         static_cast<QObject *>(m_outputArea), static_cast<QObject *>(m_gutter)})
        m_deletionGuard->protect(own);
    connect(m_deletionGuard, &DeletionGuard::refused, this, &Editor::appendError);
    m_outputArea->setStyleSheet(QStringLiteral("QTextEdit{background-color: #A0A0A0; color: #000000}"));
    m_gutter->setTextEdit(m_textEdit);
    fitGutterWidth();
    connect(m_textEdit->document(), &QTextDocument::blockCountChanged, this, &Editor::fitGutterWidth);
    m_textEdit->setStyleSheet(QStringLiteral("QTextEdit{background-color: white; color: black; selection-color:black; "
                                             "selection-background-color:lightBlue}"));
    m_unzoomedPointSize = m_textEdit->font().pointSizeF();
    connect(m_textEdit, &DocWindow::changeWindowTitle, this, &Editor::changeWindowTitle);
    connect(m_textEdit, &DocWindow::statusMessage, this, &Editor::statusMessage);
    connect(m_textEdit, &DocWindow::fileStatus, this, &Editor::fileStatus);

    ScriptApi::install(m_engine, {m_outputArea, &m_qtDefs, &m_qEventDefs, &m_support, &m_testObj});
    AutomationState::setUp();
    connect(&m_testObj, &TestObj::testOutput, this, &Editor::appendError);
    connect(m_engine, &ScriptEngine::errorReported, this, &Editor::appendError);

    connect(m_textEdit, &QTextEdit::textChanged, this, &Editor::cursorChanged);
    connect(m_textEdit, &QTextEdit::cursorPositionChanged, this, &Editor::cursorChanged);
    new CodeCompleter(m_textEdit, m_engine, this);

    setZoom(QMWidgets::App::settingValue(QStringLiteral("zoom"), 0).toInt());

    auto *textPane = new QWidget;
    auto *textLayout = new QHBoxLayout(textPane);
    textLayout->setContentsMargins(1, 1, 1, 1);
    textLayout->setSpacing(0);
    textLayout->addWidget(m_gutter);
    textLayout->addWidget(m_textEdit);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(textPane);
    splitter->addWidget(m_outputArea);
    splitter->setSizes({300, 100});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    layout->addWidget(splitter);
}

Editor::~Editor() = default;

DocWindow *Editor::textEdit() const
{
    return m_textEdit;
}

OutputArea *Editor::outputArea() const
{
    return m_outputArea;
}

ScriptEngine *Editor::engine() const
{
    return m_engine;
}

LineTextWidget *Editor::gutter() const
{
    return m_gutter;
}

RecoveryFile *Editor::recoveryFile() const
{
    return m_recovery;
}

void Editor::protectFromScripts(QObject *widget)
{
    m_deletionGuard->protect(widget);
}

QString Editor::fileName() const
{
    return m_textEdit->fileName();
}

bool Editor::isModified() const
{
    return m_textEdit->isModified();
}

QtDefs *Editor::qtDefs()
{
    return &m_qtDefs;
}

QEventDefs *Editor::qEventDefs()
{
    return &m_qEventDefs;
}

TestObj *Editor::testObj()
{
    return &m_testObj;
}

Support *Editor::support()
{
    return &m_support;
}

// ---- editing ----

void Editor::newFile()
{
    m_textEdit->newFile();
}

void Editor::open()
{
    m_textEdit->open();
}

void Editor::open(const QString &path)
{
    m_textEdit->open(path);
}

void Editor::save()
{
    m_textEdit->save();
}

void Editor::saveAs()
{
    m_textEdit->saveAs();
}

void Editor::copy()
{
    m_textEdit->copy();
}

void Editor::paste()
{
    m_textEdit->paste();
}

void Editor::undo()
{
    m_textEdit->undo();
}

void Editor::redo()
{
    m_textEdit->redo();
}

void Editor::setZoom(int level)
{
    // The toolkit ignores a zoom that would take the size to zero or below,
    // all of it at once; the smallest size it allows is what such a level
    // shows when taken step by step.
    const int smallest = int(std::floor(-m_unzoomedPointSize)) + 1;
    zoomBy(qMax(level, smallest) - appliedZoom());
    m_zoomLevel = appliedZoom();
}

int Editor::zoomLevel() const
{
    return m_zoomLevel;
}

int Editor::appliedZoom() const
{
    return qRound(m_textEdit->font().pointSizeF() - m_unzoomedPointSize);
}

void Editor::zoomBy(int steps)
{
    if (steps > 0) {
        m_textEdit->zoomIn(steps);
        m_outputArea->zoomIn(steps);
    } else if (steps < 0) {
        m_textEdit->zoomOut(-steps);
        m_outputArea->zoomOut(-steps);
    }
    fitGutterWidth();
}

void Editor::zoomIn()
{
    zoomBy(1);
    // What is stored is what the user sees: a step the toolkit ignored at
    // the smallest size does not count, so the next start shows this size.
    m_zoomLevel = appliedZoom();
    QMWidgets::App::setSettingValue(QStringLiteral("zoom"), m_zoomLevel);
    m_gutter->repaint();
}

void Editor::zoomOut()
{
    zoomBy(-1);
    m_zoomLevel = appliedZoom();
    QMWidgets::App::setSettingValue(QStringLiteral("zoom"), m_zoomLevel);
    m_gutter->repaint();
}

void Editor::fitGutterWidth()
{
    m_gutter->setFixedWidth(qMax(40, m_gutter->fittingWidth()));
}

void Editor::cursorChanged()
{
    const QTextCursor cursor = m_textEdit->textCursor();
    emit cursorPositionChanged(cursor.blockNumber() + 1, cursor.positionInBlock() + 1);
}

void Editor::showAliaces()
{
    WidgetIds::showAliases();
}

// ---- execution ----

QString Editor::embeddedFunctionsText()
{
    return QStringLiteral("\n"
                          " // ------- embedded functions --------\n"
                          "function startFunction(arg1, arg2){singleShotTimer(arg1).timeout.connect(arg2)}\n"
                          "function dialogHandler(arg){singleShotTimer(50).timeout.connect(arg)}\n"
                          "function popupHandler(arg){singleShotTimer(50).timeout.connect(arg)}\n"
                          "function printOut(arg) {output.append(arg)}\n"
                          "function clearOutput() {output.clear()}\n"
                          "function mouseClickID(arg) {mouseClick(getVisibleWidgetByToolTip(arg))}\n"
                          "function printHierarchy(arg) {\n"
                          "    var temp = arg;\n"
                          "    var str = \"\";\n"
                          "    output.append(className(temp));\n"
                          "    for (;;) {\n"
                          "        str += \"  \";\n"
                          "        temp = parent(temp);\n"
                          "        if (temp == null) {\n"
                          "            break;\n"
                          "        }\n"
                          "        output.append(str + className(temp))\n"
                          "    }\n"
                          "}\n");
}

void Editor::setEmbeddedFunctionsEnabled(bool enabled)
{
    m_embeddedFunctionsEnabled = enabled;
}

bool Editor::embeddedFunctionsEnabled() const
{
    return m_embeddedFunctionsEnabled;
}

int Editor::mainProgramLineOffset() const
{
    return m_engine->mainProgramLineOffset();
}

int Editor::errorStatus() const
{
    return m_errorStatus;
}

QString Editor::outputHtml() const
{
    return m_outputArea->toHtml();
}

bool Editor::isEvaluating() const
{
    // From the check of the included files on: a stop must reach that too.
    return m_engine->isBusy();
}

void Editor::appendError(const QString &text)
{
    // Inserted at the end: re-reading the whole pane as HTML for each red
    // line made a run with many failed checks quadratic. The fragment is
    // parsed as the pane's own HTML is, so line feeds between backtrace
    // entries vanish and blanks stay as they were, and it gets a paragraph of
    // its own (a loose <BR> would otherwise open with an empty line).
    QTextDocument *document = m_outputArea->document();
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    if (!document->isEmpty())
        end.insertBlock(QTextBlockFormat(), QTextCharFormat());
    end.insertHtml(QStringLiteral("<html><head><meta name=\"qrichtext\" content=\"1\" /><style type=\"text/css\">"
                                  "p, li { white-space: pre-wrap; }</style></head><body>"
                                  "<p style=\" margin-top:12px; margin-bottom:12px;\"><FONT COLOR=#AA0000>") +
                   text + QStringLiteral("</FONT><FONT COLOR=#000000></FONT></p></body></html>"));
    end.endEditBlock();
    // Later appends take the format of the pane's cursor. It goes back to
    // the start, as after the whole pane was set anew, but with plain
    // characters: text printed after an error keeps its own colour.
    QTextCursor start(document);
    start.setCharFormat(QTextCharFormat());
    m_outputArea->setTextCursor(start);
    m_errorStatus = 1;
    emit errorAppended(text);
}

bool Editor::ranToEnd() const
{
    return m_ranToEnd;
}

void Editor::displayError(const QString &message)
{
    m_outputArea->append(QStringLiteral("Error:") + message);
    m_errorStatus = 1;
}

void Editor::displayWarning(const QString &message)
{
    m_outputArea->append(QStringLiteral("Warning:") + message);
}

void Editor::publishObject(QObject *object, const QString &name)
{
    ScriptApi::publishObject(m_engine, object, name);
}

QString Editor::includedFilesText(const QString &text)
{
    QString result;
    const QStringList names = IncludeExpander::includedNames(text);
    for (const QString &name : names) {
        const QString path = IncludeExpander::resolve(name, fileName());
        QString contents;
        bool readable = false;
        QString problem = checkIncludedFile(path, &contents, &readable);
        if (!problem.isEmpty())
            appendError(problem.replace(QLatin1Char('\n'), QStringLiteral("<BR>")));
        // Inserted even when its check failed, as long as it could be read.
        if (readable)
            result += IncludeExpander::fileBlock(path, contents);
    }
    return result;
}

QString Editor::programPrefix()
{
    QString prefix;
    if (m_embeddedFunctionsEnabled)
        prefix += embeddedFunctionsText();
    const QString included = includedFilesText(m_textEdit->toPlainText());
    prefix += included;
    if (m_embeddedFunctionsEnabled || !included.isEmpty())
        prefix += QStringLiteral("// --------- Main Program ----------\n");
    m_engine->setMainProgramLineOffset(IncludeExpander::lineCount(prefix));
    return prefix;
}

bool Editor::checkSyntax()
{
    const QString program = programPrefix() + m_textEdit->toPlainText();
    const SyntaxVerdict result = checkProgramSyntax(program);
    if (result.valid)
        return true;

    const int line = result.line;
    const int offset = mainProgramLineOffset();
    if (line > offset) {
        appendError(QStringLiteral("Syntax Error:") + result.message.toHtmlEscaped() + QStringLiteral("<BR>") +
                    QStringLiteral("Line:") + QString::number(line - offset) + QStringLiteral("<BR>Column:") +
                    QString::number(result.column));
        // Put the cursor on the offending line so the user sees it at once.
        const QTextBlock block = m_textEdit->document()->findBlockByNumber(line - offset - 1);
        if (block.isValid()) {
            QTextCursor cursor(block);
            m_textEdit->setTextCursor(cursor);
        }
    } else {
        appendError(QStringLiteral("Syntax Error in included file ") + result.message.toHtmlEscaped());
    }
    m_textEdit->ensureCursorVisible();
    return false;
}

bool Editor::refuseNestedRun()
{
    if (!m_engine->isBusy())
        return false;
    // A script waiting in delay() lets the user press Run again; a second
    // evaluation inside the first would interleave both in one engine.
    emit statusMessage(tr("A script is still running: press Stop first"));
    return true;
}

bool Editor::startRun()
{
    // A script can take the whole process down (the engine has fatal
    // limits); what the user typed must outlive it.
    m_recovery->writeNow();
    m_errorStatus = 0;
    m_engine->collectGarbage();
    m_engine->setScriptFileName(fileName());
    if (!checkSyntax())
        return false;
    // Stopped while the included files were checked: the pane keeps why
    // (a time limit's line), the stop is reported after it.
    if (!m_engine->isInterrupted())
        m_outputArea->clear();
    return true;
}

bool Editor::programFailed(ScriptEngine::Failure *failure)
{
    if (m_engine->isInterrupted())
        return m_engine->runProgramFailed(QString(), failure);
    // Assembled again: the included files may have changed since the check,
    // and their problems belong in the pane that was just cleared.
    const QString program = programPrefix() + m_textEdit->toPlainText();
    return m_engine->runProgramFailed(program, failure);
}

void Editor::run()
{
    if (refuseNestedRun())
        return;
    ScriptEngine::RunScope scope(m_engine);
    m_ranToEnd = false;
    if (!startRun())
        return;
    ScriptEngine::Failure failure;
    if (programFailed(&failure))
        reportFailure(failure);
    else
        m_ranToEnd = true;
}

void Editor::reportFailure(const ScriptEngine::Failure &failure)
{
    const int offset = mainProgramLineOffset();
    // The engine's texts are escaped: the pane renders HTML, and every
    // backtrace ends in "<global>()", which would otherwise vanish as a tag.
    if (failure.computing) {
        // Stopped while computing: where is not known, but it is no
        // included file's fault.
        appendError(QStringLiteral("Evaluation Error: Line:?<BR>") + failure.text.toHtmlEscaped());
    } else if (failure.line > offset) {
        appendError(QStringLiteral("Evaluation Error: Line:") + QString::number(failure.line - offset) +
                    QStringLiteral("<BR>") + failure.text.toHtmlEscaped() + QStringLiteral("<BR>Backtrace: ") +
                    failure.backtrace.join(QLatin1Char('\n')).toHtmlEscaped());
    } else {
        appendError(QStringLiteral("Evaluation Error in included file"));
    }
}

void Editor::stopEvaluation()
{
    m_engine->interrupt(ScriptEngine::stopText());
    m_errorStatus = 1;
}

void Editor::debug()
{
    if (refuseNestedRun())
        return;
    ScriptEngine::RunScope scope(m_engine);
    if (!startRun())
        return;

    // One debugger per run: a debugger interrupts only once in its life.
    std::unique_ptr<QScriptEngineDebugger> debugger(new QScriptEngineDebugger);
    if (QWidget *code = debugger->widget(QScriptEngineDebugger::CodeWidget))
        code->setStyleSheet(QStringLiteral("background-color: white"));
    emit debuggerCreated(debugger.get());
    debugger->attachTo(m_engine);
    debugger->action(QScriptEngineDebugger::InterruptAction)->trigger();

    // A debug run leaves its outcome to the debugger's own views.
    ScriptEngine::Failure ignored;
    programFailed(&ignored);
    debugger->detach();
}

} // namespace QMDrovebot
