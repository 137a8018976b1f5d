#include "TestSupport.h"

#include <MTools/Delay.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMWidgets/App.h>

#include <QScriptEngineDebugger>

using QMDrovebot::Editor;

namespace {

// What a pane shows after a run, one paragraph per segment: "+text" is a
// printed paragraph, "!html" the exact HTML of an error text, rendered the way
// the pane renders it (<BR> breaks the line; a bare line feed, as between
// backtrace entries, disappears, so the entries run on).
QString paneText(const QStringList &segments)
{
    QStringList paragraphs;
    for (const QString &segment : segments) {
        const QString text = segment.mid(1);
        QString shown = segment.startsWith(QLatin1Char('+')) && !Qt::mightBeRichText(text)
                            ? text
                            : QTextDocumentFragment::fromHtml(QStringLiteral("<p style=\"white-space:pre-wrap\">") +
                                                              QString(text).remove(QLatin1Char('\n')) + "</p>")
                                  .toPlainText();
        paragraphs << shown.replace(QChar(0x2028), QLatin1Char('\n'));
    }
    return paragraphs.join(QLatin1Char('\n'));
}

// A script calls this while it waits; the one pass of pending events it lets
// through is where a test's Stop, Run or Debug arrives, as a user's click
// arrives during delay().
QScriptValue waitOnce(QScriptContext *, QScriptEngine *engine)
{
    MTools::Delay::delay(0);
    return engine->nullValue();
}

// Any agent makes the engine leave its compiled code: calls get many times
// slower.
QScriptValue agentAttached(QScriptContext *, QScriptEngine *engine)
{
    return QScriptValue(engine->agent() != nullptr);
}

const QString kLib = QStringLiteral("lib.js=function a() {}\nfunction b() {}\nvar c = 3;");
const QString kAborted = QStringLiteral("Error: the script execution is aborted");
const QString kStopped = QStringLiteral("Error: Script evaluation is stopped by user");

// "var a=" and a value nested `levels` deep.
QString nested(const char *open, const char *close, int levels, const char *inner)
{
    return QStringLiteral("var a=") + QString(open).repeated(levels) + inner + QString(close).repeated(levels);
}

} // namespace

// What a run leaves: the pane's reports with lines counted in the user's
// document, the protocol files beside the script, where a stop or abort()
// is reported, red error lines appended at the end of the pane, and debug
// runs driven to their end.
class tst_EditorRun : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QMWidgets::App::setSaveDirectory(m_dir->filePath(QStringLiteral("saved")) + QLatin1Char('/'));
        m_editor.reset(new Editor);
        m_editor->engine()->globalObject().setProperty(QStringLiteral("waitOnce"),
                                                       m_editor->engine()->newFunction(waitOnce, 0));
        m_editor->engine()->globalObject().setProperty(QStringLiteral("agentAttached"),
                                                       m_editor->engine()->newFunction(agentAttached, 0));
        m_stopButton.reset(new QPushButton(QStringLiteral("Stop")));
        connect(m_stopButton.get(), &QPushButton::clicked, m_editor.get(), &Editor::stopEvaluation);
        m_stopButton->show();
        m_editor->publishObject(m_stopButton.get(), QStringLiteral("stopButton"));
        m_debuggers.clear();
        m_windows.clear();
        m_suspensions = 0;
    }

    void cleanup()
    {
        m_editor.reset();
        m_dir.reset();
    }

    // A script that calls waitOnce() is stopped by a click on Stop while it waits.
    void runReports_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("prelude");
        QTest::addColumn<QStringList>("output");
        QTest::addColumn<int>("errorStatus");
        // clang-format off
        QTest::newRow("printout lines") << QStringList() << "printout(\"a\");\nprintout(6 * 7);" << false << QStringList{"+a", "+42"} << 0;
        QTest::newRow("output object") << QStringList() << "output.append(\"gone\");\noutput.clear();\noutput.append(\"kept\");" << false << QStringList{"+kept"} << 0;
        QTest::newRow("prelude functions") << QStringList() << "printOut(\"via prelude\");" << true << QStringList{"+via prelude"} << 0;
        QTest::newRow("syntax error after prelude") << QStringList() << "var a = 1;\n  var = 3;" << true << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:2<BR>Column:7"} << 1;
        QTest::newRow("syntax error after a file ending in a line feed") << QStringList{kLib + "\n"} << "include(\"lib.js\");\nvar = 1;" << false
            << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:2<BR>Column:5"} << 1;
        QTest::newRow("syntax error after the same file twice") << QStringList{kLib} << "include(\"lib.js\");\ninclude(\"lib.js\");\nvar = 1;"
            << false << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:3<BR>Column:5"} << 1;
        QTest::newRow("syntax error on the first line after a file") << QStringList{kLib} << "var = 1; include(\"lib.js\");" << true
            << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:1<BR>Column:5"} << 1;
        QTest::newRow("valid program the static check rejects") << QStringList() << "var a = 1, d = 2;\nvar x = a &&\n++d;\nprintout(x);" << false << QStringList{"+3"} << 0;
        QTest::newRow("valid included file the static check rejects") << QStringList{"lib.js=var a = 1, d = 2;\nvar x = a &&\n++d;"}
            << "include(\"lib.js\");\nprintout(x);" << false << QStringList{"+3"} << 0;
        QTest::newRow("exception after prelude and file") << QStringList{kLib} << "include(\"lib.js\");\nvar x = 1;\nthrow new Error(\"boom\");"
            << true << QStringList{"!Evaluation Error: Line:3<BR>Error: boom<BR>Backtrace: &lt;global&gt;() at 30"} << 1;
        QTest::newRow("exception after a file with other line ends") << QStringList{"lib.js=var a = 1;\rvar b;\r\nvar c;\n\rvar d;\u2028var e;\u2029"}
            << "include(\"lib.js\");\nvar x = 1;\nthrow new Error(\"boom\");" << false
            << QStringList{"!Evaluation Error: Line:3<BR>Error: boom<BR>Backtrace: &lt;global&gt;() at 12"} << 1;
        QTest::newRow("include inside an included file does nothing") << QStringList{"lib.js=include(\"two.js\");\nvar x = 5;", "two.js=var y = 1;"}
            << "include(\"lib.js\");\nprintout(x + \" \" + typeof y);" << false << QStringList{"+5 undefined"} << 0;
        QTest::newRow("backtrace entries run on") << QStringList() << "function f() {\n  throw \"bad <b>\";\n}\nf();" << false
            << QStringList{"!Evaluation Error: Line:2<BR>bad &lt;b&gt;<BR>Backtrace: f() at 2\n&lt;global&gt;() at 4"} << 1;
        QTest::newRow("exception inside an included function") << QStringList{"lib.js=function boom() {\n  throw new Error(\"x\");\n}"}
            << "include(\"lib.js\");\nboom();" << false << QStringList{"!Evaluation Error in included file"} << 1;
        QTest::newRow("missing file") << QStringList() << "include(\"nope.js\");\nprintout(\"ran\");" << false << QStringList{"!Error: The included file\"%DIR%/nope.js\" does not exist", "+ran"} << 1;
        QTest::newRow("syntax error in included file") << QStringList{"lib.js=var a;\nvar = 1;"} << "include(\"lib.js\");\nprintout(\"no\");" << false
            << QStringList{"!Syntax error in included file:\"%DIR%/lib.js\" Expected `identifier'<BR>Line: 2<BR> Column: 5", "!Syntax Error in included file Expected `identifier'"}
            << 1;
        QTest::newRow("evaluation error in included file") << QStringList{"lib.js=function f() {\n  return missing.x;\n}\nf();"}
            << "include(\"lib.js\");\nprintout(\"no\");" << false
            << QStringList{"!Evaluation Error in included file:\"%DIR%/lib.js\"<BR>nLine2<BR>ReferenceError: Can't "
                "find variable: missing<BR>Backtrace: f() at 2<BR>&lt;global&gt;() at 4", "!Evaluation Error in "
                "included file"}
            << 1;
        QTest::newRow("abort inside a function after prelude") << QStringList()
            << "function f() {\n  printout(\"in\");\n  abort();\n}\nf();\nprintout(\"no\");" << true
            << QStringList{"+in", "!Evaluation Error: Line:3<BR>" + kAborted + "<BR>Backtrace: f() at 25\n&lt;global&gt;() at 27"} << 1;
        QTest::newRow("abort is not caught by the script") << QStringList() << "try {\n  abort();\n} catch (e) {\n  printout(\"caught\");\n}" << false
            << QStringList{"!Evaluation Error: Line:2<BR>" + kAborted + "<BR>Backtrace: &lt;global&gt;() at 2"} << 1;
        QTest::newRow("stop at top level") << QStringList() << "printout(\"before\");\nwaitOnce();\nprintout(\"after\");" << false
            << QStringList{"+before", "!Evaluation Error: Line:2<BR>" + kStopped + "<BR>Backtrace: &lt;global&gt;() at 2"} << 1;
        QTest::newRow("stop in a loop after prelude") << QStringList() << "function poll() {\n  for (;;)\n    waitOnce();\n}\npoll();" << true
            << QStringList{"!Evaluation Error: Line:3<BR>" + kStopped + "<BR>Backtrace: poll() at 25\n&lt;global&gt;() at 27"} << 1;
        QTest::newRow("stop inside an included function") << QStringList{"lib.js=function pause() {\n  waitOnce();\n}"}
            << "include(\"lib.js\");\npause();\nprintout(\"no\");" << false << QStringList{"!Evaluation Error in included file"} << 1;
        QTest::newRow("no agent watches the run") << QStringList() << "printout(agentAttached());" << false << QStringList{"+false"} << 0;
        // Error texts never call the script's own conversions.
        QTest::newRow("thrown object whose toString never returns") << QStringList() << "throw {toString: function () { for (;;); }};" << false
            << QStringList{"!Evaluation Error: Line:1<BR>[object Object]<BR>Backtrace: &lt;global&gt;() at 1"} << 1;
        QTest::newRow("toString that overflows the stack") << QStringList()
            << "var o = {};\no.toString = function () { return String(this); };\nString(o);" << false
            << QStringList{"!Evaluation Error: Line:2<BR>RangeError: Maximum call stack size exceeded.<BR>Backtrace: "} << 1;
        QTest::newRow("stop in a wait, an argument whose toString never returns") << QStringList()
            << "function f(o) {\n  waitOnce();\n}\nf({toString: function () { for (;;); }});" << false
            << QStringList{"!Evaluation Error: Line:2<BR>" + kStopped + "<BR>Backtrace: f(o = [object Object]) at 2\n&lt;global&gt;() at 4"} << 1;
        // Printed lines are gathered; reading or changing the pane takes them in first.
        QTest::newRow("printout read back at once") << QStringList()
            << "printout(\"a\");\nprintout(output.plainText);\nprintout(output.html.indexOf(\">a<\") > 0);" << false
            << QStringList{"+a", "+a", "+true"} << 0;
        QTest::newRow("printout and output.append keep their order") << QStringList() << "printout(\"a\");\noutput.append(\"b\");\nprintout(\"c\");" << false << QStringList{"+a", "+b", "+c"} << 0;
        QTest::newRow("a key typed into the pane during a wait comes after the printed text") << QStringList()
            << "printout(\"a\");\nkeyPress(output, \"Z\");\ndelay(0);\nprintout(output.plainText);" << false << QStringList{"+aZ", "+aZ"} << 0;
        QTest::newRow("a timer fires during waitForDialogTermination") << QStringList()
            << "var fired = 0;\nsingleShotTimer(0).timeout.connect(function () { fired++; });\nwaitForDialogTermination();\nprintout(fired);" << false
            << QStringList{"+1"} << 0;
        QTest::newRow("a handler of posted input is not cut into by a timer") << QStringList()
            << "var depth = 0, deepest = 0, t = createTimer();\nfunction busy() { depth++; deepest = Math.max(deepest, "
                "depth); var s = Date.now(); while (Date.now() - s < 150) {} depth--; }\nstopButton.pressed.connect(busy);\n"
                "t.timeout.connect(busy);\nt.start(10);\nmousePress(stopButton, Qt.LeftButton, 5, 5);\ndelay(400);\n"
                "printout(deepest);"
            << false << QStringList{"+1"} << 0;
        QTest::newRow("a timer's function is not cut into by another timer") << QStringList()
            << "var log = [], a = createTimer(), b = createTimer();\na.timeout.connect(function () { log.push(\"a\"); "
                "var s = Date.now(); while (Date.now() - s < 150) {} log.push(\"a end\"); });\nb.timeout.connect(function "
                "() { log.push(\"b\"); });\na.start(0);\nb.start(20);\ndelay(400);\nprintout(log.join());"
            << false << QStringList{"+a,a end,b"} << 0;
        // Programs nested too deeply for the static check's parser stack.
        const QString print = QStringLiteral(";printout(typeof a);");
        QTest::newRow("63 nested arrays") << QStringList() << nested("[", "]", 63, "1") + print << false << QStringList{"+object"} << 0;
        QTest::newRow("40 nested arrays of three") << QStringList() << nested("[1,2,", "]", 40, "3") + print << false << QStringList{"+object"} << 0;
        QTest::newRow("100 nested functions") << QStringList() << nested("function(){return ", "}", 100, "1") + print << false << QStringList{"+function"} << 0;
        QTest::newRow("deep program with a syntax error") << QStringList() << nested("[", "]", 63, "1") + "\nvar b = );" << false
            << QStringList{"!Syntax Error:Parse error<BR>Line:2<BR>Column:0"} << 1;
        QTest::newRow("deep included file") << QStringList{"deep.js=" + nested("[", "]", 70, "1")} << "include(\"deep.js\");" + print << false << QStringList{"+object"} << 0;
        // clang-format on
    }

    void runReports()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, script);
        QFETCH(bool, prelude);
        QFETCH(QStringList, output);
        QFETCH(int, errorStatus);
        writeFiles(files);
        openScript(script);
        m_editor->setEmbeddedFunctionsEnabled(prelude);
        if ((script + files.join(QString())).contains(QLatin1String("waitOnce")))
            QTimer::singleShot(0, m_editor.get(), &Editor::stopEvaluation);
        m_editor->run();
        QCOMPARE(pane(), paneText(output).replace(QStringLiteral("%DIR%"), m_dir->path()));
        QCOMPARE(m_editor->errorStatus(), errorStatus);
        QVERIFY(!m_editor->isEvaluating());
    }

    // The cursor goes to the offending line, so the user sees it at once.
    void syntaxErrorMovesTheCursor()
    {
        openScript(QStringLiteral("var a;\n\nprintout(\"second\";"));
        m_editor->run();
        QCOMPARE(m_editor->textEdit()->textCursor().blockNumber(), 2);
    }

    void stopWhenNothingRuns()
    {
        openScript(QStringLiteral("printout(\"done\");"));
        m_editor->run();
        m_editor->stopEvaluation();
        QCOMPARE(m_editor->errorStatus(), 1);
        // Nothing of the refused stop lingers into the next run.
        m_editor->run();
        QCOMPARE(pane(), QStringLiteral("done"));
        QCOMPARE(m_editor->errorStatus(), 0);
    }

    void nestedRunIsRefused()
    {
        openScript(QStringLiteral("printout(\"before\");\nwaitOnce();\nprintout(\"after\");"));
        QSignalSpy messages(m_editor.get(), &Editor::statusMessage);
        QTimer::singleShot(0, m_editor.get(), &Editor::run);
        QTimer::singleShot(0, m_editor.get(), &Editor::debug);
        m_editor->run();
        QCOMPARE(messages.count(), 2);
        // The waiting run went on untouched: its pane was not cleared.
        QCOMPARE(pane(), QStringLiteral("before\nafter"));
        QCOMPARE(m_editor->errorStatus(), 0);
    }

    // The script functions reach the protocol files of the running script.
    void protocolFilesOfTheScript()
    {
        openScript(QStringLiteral("printout(\"line one\");\nsaveOutputToProtocol();\nprintToScriptLog(\"logged\");"));
        m_editor->run();
        const QStringList lines = pane().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        const QDir protocol(m_dir->filePath(QStringLiteral("protocol")));
        QCOMPARE(TestSupport::readFile(protocol.filePath("main.log")), (lines.at(1) + '\n').toUtf8());
        QVERIFY2(lines.at(1).endsWith(": logged"), qPrintable(lines.at(1)));
        const QStringList snapshots = protocol.entryList({QStringLiteral("main*.txt")}, QDir::Files);
        QCOMPARE(snapshots.size(), 1);
        QCOMPARE(TestSupport::readFile(protocol.filePath(snapshots.first())), QByteArray("line one"));
    }

    // Red lines are inserted at the end of the pane, never by setting what it
    // holds anew, and never colour what is printed after them.
    void errorsAreAppendedAlone_data()
    {
        QTest::addColumn<QStringList>("appends"); // "!": a red error, "+": a printout
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colours"); // per paragraph: R red, B not
        // clang-format off
        QTest::newRow("error first") << QStringList{"!Error: missing", "+one", "+two"} << "Error: missing\none\ntwo" << "RBB";
        QTest::newRow("error between") << QStringList{"+one", "!bad", "+two", "!worse"} << "one\nbad\ntwo\nworse" << "BRBR";
        QTest::newRow("errors in a row") << QStringList{"!a", "!b", "+c"} << "a\nb\nc" << "RRB";
        QTest::newRow("bold printout after an error") << QStringList{"!x", "+<b>bold</b> rest"} << "x\nbold rest" << "RB";
        QTest::newRow("breaks and blanks kept, line feeds dropped") << QStringList{"!Line:2<BR>a  b<BR>f() at 2\n&lt;global&gt;() at 4", "+after"}
            << "Line:2\na  b\nf() at 2<global>() at 4\nafter" << "RB";
        // clang-format on
    }

    void errorsAreAppendedAlone()
    {
        QFETCH(QStringList, appends);
        QFETCH(QString, text);
        QFETCH(QString, colours);
        QTextDocument *document = m_editor->outputArea()->document();
        QSignalSpy changes(document, &QTextDocument::contentsChange);
        for (const QString &append : appends) {
            const int end = document->characterCount() - 1;
            changes.clear();
            if (append.startsWith(QLatin1Char('!')))
                m_editor->appendError(append.mid(1));
            else
                m_editor->outputArea()->append(append.mid(1));
            for (const QList<QVariant> &change : qAsConst(changes))
                QVERIFY2(change.at(0).toInt() >= end, "the pane's earlier content was set anew");
        }
        QCOMPARE(pane(), text);
        QString shown;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            QSet<bool> red;
            for (auto it = block.begin(); !it.atEnd(); ++it)
                red.insert(it.fragment().charFormat().foreground().color() == QColor(0xAA, 0, 0));
            shown += red.size() != 1 ? QLatin1Char('?') : red.contains(true) ? QLatin1Char('R') : QLatin1Char('B');
        }
        QCOMPARE(shown, colours);
    }

    // Printed lines wait to be put into the pane together; what comes between
    // them takes them in first, so each line keeps the colour it had.
    void printedLinesKeepTheirColours()
    {
        QMDrovebot::OutputArea *pane = m_editor->outputArea();
        pane->print(QStringLiteral("black"));
        pane->setTextColor(Qt::blue);
        pane->print(QStringLiteral("blue"));
        m_editor->appendError(QStringLiteral("red"));
        pane->print(QStringLiteral("plain"));
        QCOMPARE(pane->toPlainText(), QStringLiteral("black\nblue\nred\nplain"));
        const auto colour = [pane](const QString &line) {
            QTextCursor found = pane->document()->find(line);
            return found.charFormat().foreground().color();
        };
        QVERIFY(colour("black") != QColor(Qt::blue));
        QCOMPARE(colour("blue"), QColor(Qt::blue));
        QCOMPARE(colour("red"), QColor(0xAA, 0, 0));
        QVERIFY(colour("plain") != QColor(0xAA, 0, 0));
    }

    void printingTakesLinesTogether()
    {
        // Laid out one by one, each printed line cost about 70 us.
        QSignalSpy changes(m_editor->outputArea()->document(), &QTextDocument::contentsChange);
        m_editor->textEdit()->setPlainText(QStringLiteral("for (var i = 0; i < 300; i++)\n  printout(i);"));
        m_editor->run();
        QCOMPARE(pane().count(QLatin1Char('\n')), 299);
        QVERIFY2(changes.count() < 30, qPrintable(QString::number(changes.count())));
    }

    // Each debug run has a debugger of its own (one interrupts only once in
    // its life): it stops before the first statement, is continued to the end
    // and leaves the outcome to the debugger's own views, not the pane.
    void debugRunsAreDrivenToTheEnd_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("output");
        // clang-format off
        QTest::newRow("prints") << "var x = 2;\nprintout(\"one\");\nprintout(x);" << "one\n2";
        QTest::newRow("throws") << "var x = 2;\nprintout(\"a\");\nnull.x;\nprintout(\"b\");" << "a";
        // clang-format on
    }

    void debugRunsAreDrivenToTheEnd()
    {
        QFETCH(QString, script);
        QFETCH(QString, output);
        continueEveryDebugger();
        openScript(script);
        for (int run = 1; run <= 2; ++run) {
            const int suspensions = m_suspensions;
            m_editor->outputArea()->setPlainText(QStringLiteral("old output"));
            m_editor->debug();
            QCOMPARE(m_debuggers.size(), run);
            QVERIFY(m_suspensions > suspensions);
            QCOMPARE(pane(), output);
            QCOMPARE(m_editor->errorStatus(), 0);
            QVERIFY(!m_editor->isEvaluating());
            // The debugger and its window go when the run ends.
            QVERIFY(m_debuggers.last().isNull() && m_windows.last().isNull());
        }
        // Globals are shared with plain runs.
        openScript(QStringLiteral("printout(x * 5);"));
        m_editor->run();
        QCOMPARE(pane(), QStringLiteral("10"));
    }

    void syntaxErrorNeverOpensTheDebugger()
    {
        continueEveryDebugger();
        openScript(QStringLiteral("printout(\"before\");\nvar = 1;"));
        m_editor->outputArea()->setPlainText(QStringLiteral("old output"));
        m_editor->debug();
        QCOMPARE(m_debuggers.size() + m_suspensions, 0);
        QCOMPARE(m_editor->errorStatus(), 1);
        // The check failed, so the pane was not cleared.
        QCOMPARE(pane(), paneText({"+old output", "!Syntax Error:Expected `identifier'<BR>Line:2<BR>Column:5"}));
    }

    void initTestCase() { TestSupport::useTestIdentity(); }

private:
    QString write(const QString &name, const QString &text)
    {
        return TestSupport::writeFile(m_dir->filePath(name), text.toUtf8());
    }
    // "name=contents" each.
    void writeFiles(const QStringList &files)
    {
        for (const QString &file : files)
            write(file.section(QLatin1Char('='), 0, 0), file.section(QLatin1Char('='), 1));
    }
    void openScript(const QString &text) { QVERIFY(m_editor->textEdit()->openFile(write("main.js", text))); }
    QString pane() const { return m_editor->outputArea()->toPlainText(); }
    // Continues the debugger whenever it suspends, as a user pressing
    // Continue would, and counts the suspensions.
    void continueEveryDebugger()
    {
        connect(m_editor.get(), &Editor::debuggerCreated, this, [this](QScriptEngineDebugger *debugger) {
            m_debuggers << debugger;
            m_windows << debugger->standardWindow();
            connect(debugger, &QScriptEngineDebugger::evaluationSuspended, debugger, [this, debugger]() {
                ++m_suspensions;
                QTimer::singleShot(0, debugger->action(QScriptEngineDebugger::ContinueAction), &QAction::trigger);
            });
        });
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Editor> m_editor;
    std::unique_ptr<QPushButton> m_stopButton;
    QList<QPointer<QScriptEngineDebugger>> m_debuggers;
    QList<QPointer<QMainWindow>> m_windows;
    int m_suspensions = 0;
};

QTEST_MAIN(tst_EditorRun)
#include "tst_editorrun.moc"
