#include "TestSupport.h"

#include <MTools/Delay.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMWidgets/App.h>

#include <QDir>
#include <QScriptContext>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextFragment>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

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

} // namespace

class tst_EditorRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void offset_data();
    void offset();
    void runReports_data();
    void runReports();

    void syntaxErrorKeepsEarlierOutput();
    void syntaxErrorMovesCursorToItsLine();
    void errorTextIsDarkRed();
    void boldPrintout();
    void displayErrorAndWarning_data();
    void displayErrorAndWarning();
    void errorStatusResetWhenRunStarts();
    void globalsPersistAcrossRuns();

    void stopWhileWaiting_data();
    void stopWhileWaiting();
    void stopWhenNothingRuns();
    void nestedRunIsRefused();

    void protocolFilesBesideScript();
    void neverSavedScriptKeepsProtocolOutOfRoot();

private:
    QString writeFile(const QString &name, const QString &text);
    void writeFiles(const QStringList &files);
    void openScript(const QString &text);
    QString pane() const;
    QString expand(QString text) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Editor> m_editor;
};

void tst_EditorRun::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_EditorRun::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QMWidgets::App::setSaveDirectory(m_dir->filePath(QStringLiteral("saved")) + QLatin1Char('/'));
    m_editor.reset(new Editor);
    m_editor->engine()->globalObject().setProperty(QStringLiteral("waitOnce"),
                                                   m_editor->engine()->newFunction(waitOnce, 0));
}

void tst_EditorRun::cleanup()
{
    m_editor.reset();
    m_dir.reset();
}

QString tst_EditorRun::writeFile(const QString &name, const QString &text)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    return path;
}

// "name=contents"; a name ending in "/" makes a folder.
void tst_EditorRun::writeFiles(const QStringList &files)
{
    for (const QString &file : files) {
        const int equals = file.indexOf(QLatin1Char('='));
        const QString name = file.left(equals);
        if (name.endsWith(QLatin1Char('/')))
            QDir(m_dir->path()).mkpath(name);
        else
            writeFile(name, file.mid(equals + 1));
    }
}

void tst_EditorRun::openScript(const QString &text)
{
    QVERIFY(m_editor->textEdit()->openFile(writeFile(QStringLiteral("main.js"), text)));
}

QString tst_EditorRun::pane() const
{
    return m_editor->outputArea()->toPlainText();
}

QString tst_EditorRun::expand(QString text) const
{
    return text.replace(QStringLiteral("%DIR%"), m_dir->path());
}

void tst_EditorRun::offset_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("prelude");
    QTest::addColumn<int>("offset");

    const QString threeLines = QStringLiteral("lib.js=var a = 1;\nvar b = 2;\nvar c = 3;");
    QTest::newRow("nothing before the document") << QStringList() << "printout(1);" << false << 0;
    QTest::newRow("prelude only") << QStringList() << "printout(1);" << true << 22;
    QTest::newRow("one file of three lines") << QStringList{threeLines} << "include(\"lib.js\");" << false << 6;
    QTest::newRow("prelude and one file") << QStringList{threeLines} << "include(\"lib.js\");" << true << 27;
    QTest::newRow("file ending in a line feed")
        << QStringList{"lib.js=var a = 1;\nvar b = 2;\nvar c = 3;\n"} << "include(\"lib.js\");" << false << 7;
    QTest::newRow("same file twice") << QStringList{threeLines} << "include(\"lib.js\");\ninclude(\"lib.js\");" << false
                                     << 11;
    QTest::newRow("missing file adds no marker") << QStringList() << "include(\"none.js\");" << false << 0;
    QTest::newRow("include commented out") << QStringList{threeLines} << "// include(\"lib.js\");" << false << 0;
}

void tst_EditorRun::offset()
{
    QFETCH(QStringList, files);
    QFETCH(QString, script);
    QFETCH(bool, prelude);
    QFETCH(int, offset);

    writeFiles(files);
    openScript(script);
    m_editor->setEmbeddedFunctionsEnabled(prelude);
    const QString prefix = m_editor->programPrefix();
    QCOMPARE(m_editor->mainProgramLineOffset(), offset);
    QCOMPARE(prefix.count(QLatin1Char('\n')), offset);
    if (offset > 0)
        QVERIFY(prefix.endsWith(QStringLiteral("// --------- Main Program ----------\n")));
    if (prelude)
        QVERIFY(prefix.startsWith(Editor::embeddedFunctionsText()));
}

void tst_EditorRun::runReports_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("prelude");
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<int>("errorStatus");

    const QString threeLines = QStringLiteral("lib.js=function a() {}\nfunction b() {}\nvar c = 3;");
    const QString aborted = QStringLiteral("Error: the script execution is aborted");

    // Output and the error status of a plain run.
    QTest::newRow("printout lines") << QStringList() << "printout(\"a\");\nprintout(6 * 7);" << false
                                    << QStringList{"+a", "+42"} << 0;
    QTest::newRow("printout without argument")
        << QStringList() << "printout();" << false << QStringList{"+undefined"} << 0;
    QTest::newRow("success adds nothing") << QStringList() << "var x = 1;" << false << QStringList() << 0;
    QTest::newRow("output object") << QStringList()
                                   << "output.append(\"gone\");\noutput.clear();\noutput.append(\"kept\");" << false
                                   << QStringList{"+kept"} << 0;
    QTest::newRow("prelude functions") << QStringList() << "printOut(\"via prelude\");" << true
                                       << QStringList{"+via prelude"} << 0;

    // Syntax errors: the document's line and the engine's column.
    QTest::newRow("syntax error") << QStringList() << "var a = 1;\n  var = 3;" << false
                                  << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:2<BR>Column:7"} << 1;
    QTest::newRow("syntax error after prelude")
        << QStringList() << "var a = 1;\n  var = 3;" << true
        << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:2<BR>Column:7"} << 1;
    QTest::newRow("syntax error on the first line after prelude and file")
        << QStringList{threeLines} << "var = 1; include(\"lib.js\");" << true
        << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:1<BR>Column:5"} << 1;
    QTest::newRow("valid program the static check rejects")
        << QStringList() << "var a = 1, d = 2;\nvar x = a &&\n++d;\nprintout(x);" << false << QStringList{"+3"} << 0;
    QTest::newRow("valid included file the static check rejects")
        << QStringList{"lib.js=var a = 1, d = 2;\nvar x = a &&\n++d;"} << "include(\"lib.js\");\nprintout(x);" << false
        << QStringList{"+3"} << 0;

    // Uncaught exceptions: main-program line after the offset.
    QTest::newRow("exception without prefix")
        << QStringList() << "var x = 1;\nnull.x;" << false
        << QStringList{"!Evaluation Error: Line:2<BR>TypeError: Result of expression 'null' [null] is not an object."
                       "<BR>Backtrace: &lt;global&gt;() at 2"}
        << 1;
    QTest::newRow("exception after a three-line file")
        << QStringList{threeLines} << "include(\"lib.js\");\nvar x = 1;\nthrow new Error(\"boom\");" << false
        << QStringList{"!Evaluation Error: Line:3<BR>Error: boom<BR>Backtrace: &lt;global&gt;() at 9"} << 1;
    QTest::newRow("exception after prelude and file")
        << QStringList{threeLines} << "include(\"lib.js\");\nvar x = 1;\nthrow new Error(\"boom\");" << true
        << QStringList{"!Evaluation Error: Line:3<BR>Error: boom<BR>Backtrace: &lt;global&gt;() at 30"} << 1;
    QTest::newRow("backtrace entries run on")
        << QStringList() << "function f() {\n  throw \"bad <b>\";\n}\nf();" << false
        << QStringList{"!Evaluation Error: Line:2<BR>bad &lt;b&gt;<BR>Backtrace: f() at 2\n&lt;global&gt;() at 4"} << 1;
    QTest::newRow("exception inside an included function")
        << QStringList{"lib.js=function boom() {\n  throw new Error(\"x\");\n}"} << "include(\"lib.js\");\nboom();"
        << false << QStringList{"!Evaluation Error in included file"} << 1;

    // Included files: the check's texts, once each in the final pane.
    QTest::newRow("missing file") << QStringList() << "include(\"nope.js\");\nprintout(\"ran\");" << false
                                  << QStringList{"!Error: The included file\"%DIR%/nope.js\" does not exist", "+ran"}
                                  << 1;
    QTest::newRow("folder named as file")
        << QStringList{"adir/="} << "include(\"adir\");\nprintout(\"ran\");" << false
        << QStringList{"!Error: The included file\"%DIR%/adir\" can not be opened", "+ran"} << 1;
    QTest::newRow("include inside another word")
        << QStringList() << "var included = \"nothing.js\";\nprintout(\"x\");" << false << QStringList{"+x"} << 0;
    QTest::newRow("syntax error in included file")
        << QStringList{"lib.js=var a;\nvar = 1;"} << "include(\"lib.js\");\nprintout(\"no\");" << false
        << QStringList{"!Syntax error in included file:\"%DIR%/lib.js\" Expected `identifier'<BR>Line: 2<BR> Column: 5",
                       "!Syntax Error in included file Expected `identifier'"}
        << 1;
    QTest::newRow("evaluation error in included file")
        << QStringList{"lib.js=function f() {\n  return missing.x;\n}\nf();"}
        << "include(\"lib.js\");\nprintout(\"no\");" << false
        << QStringList{"!Evaluation Error in included file:\"%DIR%/lib.js\"<BR>nLine2<BR>ReferenceError: Can't find "
                       "variable: missing<BR>Backtrace: f() at 2<BR>&lt;global&gt;() at 4",
                       "!Evaluation Error in included file"}
        << 1;
    QTest::newRow("included file calling the API at top level")
        << QStringList{"lib.js=printout(\"from lib\");"} << "include(\"lib.js\");\nprintout(\"main\");" << false
        << QStringList{"!Evaluation Error in included file:\"%DIR%/lib.js\"<BR>nLine1<BR>ReferenceError: Can't find "
                       "variable: printout<BR>Backtrace: &lt;global&gt;() at 1",
                       "+from lib", "+main"}
        << 1;

    // Which includes count.
    QTest::newRow("include in a comment before a real one")
        << QStringList{"lib.js=var fromLib = 1;"}
        << "// include(\"lib.js\")\ninclude(\"lib.js\");\nprintout(typeof fromLib);" << false << QStringList{"+number"}
        << 0;
    QTest::newRow("first include in an open block comment includes nothing")
        << QStringList{"lib.js=var fromLib = 1;"}
        << "/* include(\"lib.js\") is below\ninclude(\"lib.js\");\n*/\nprintout(typeof fromLib);" << false
        << QStringList{"+undefined"} << 0;
    QTest::newRow("later include in a comment is not expanded")
        << QStringList{"a.js=var A = 1;", "b.js=var B = 2;"}
        << "include(\"a.js\");\n// include(\"b.js\")\nprintout(A + typeof B);" << false << QStringList{"+1undefined"}
        << 0;
    QTest::newRow("same file twice runs twice")
        << QStringList{"lib.js=var n = (typeof n == \"undefined\") ? 1 : n + 1;"}
        << "include(\"lib.js\");\ninclude(\"lib.js\");\nprintout(n);" << false << QStringList{"+2"} << 0;
    QTest::newRow("backslash name joined to the folder")
        << QStringList{"sub\\lib.js=var fromSub = 7;"} << "include(\"sub\\lib.js\");\nprintout(fromSub);" << false
        << QStringList{"+7"} << 0;

    // abort(): the whole run ends where it was called.
    QTest::newRow("abort at top level") << QStringList() << "printout(\"a\");\nabort();\nprintout(\"b\");" << false
                                        << QStringList{"+a", "!Evaluation Error: Line:2<BR>" + aborted +
                                                                 "<BR>Backtrace: &lt;global&gt;() at 2"}
                                        << 1;
    QTest::newRow("abort inside a function")
        << QStringList()
        << "function f() {\n  printout(\"in\");\n  abort();\n  printout(\"no\");\n}\nf();\nprintout(\"no either\");"
        << false
        << QStringList{"+in",
                       "!Evaluation Error: Line:3<BR>" + aborted + "<BR>Backtrace: f() at 3\n&lt;global&gt;() at 6"}
        << 1;
    QTest::newRow("abort inside a function after prelude")
        << QStringList() << "function f() {\n  printout(\"in\");\n  abort();\n}\nf();\nprintout(\"no\");" << true
        << QStringList{"+in",
                       "!Evaluation Error: Line:3<BR>" + aborted + "<BR>Backtrace: f() at 25\n&lt;global&gt;() at 27"}
        << 1;
    QTest::newRow("abort is not caught by the script")
        << QStringList() << "try {\n  abort();\n} catch (e) {\n  printout(\"caught\");\n}\nprintout(\"after\");"
        << false << QStringList{"!Evaluation Error: Line:2<BR>" + aborted + "<BR>Backtrace: &lt;global&gt;() at 2"}
        << 1;
    QTest::newRow("abort inside an included function")
        << QStringList{"lib.js=function quit() {\n  abort();\n}"} << "include(\"lib.js\");\nquit();\nprintout(\"no\");"
        << false << QStringList{"!Evaluation Error in included file"} << 1;
}

void tst_EditorRun::runReports()
{
    QFETCH(QStringList, files);
    QFETCH(QString, script);
    QFETCH(bool, prelude);
    QFETCH(QStringList, output);
    QFETCH(int, errorStatus);

    writeFiles(files);
    openScript(script);
    m_editor->setEmbeddedFunctionsEnabled(prelude);
    m_editor->run();
    QCOMPARE(pane(), expand(paneText(output)));
    QCOMPARE(m_editor->errorStatus(), errorStatus);
    QVERIFY(!m_editor->isEvaluating());
}

void tst_EditorRun::syntaxErrorKeepsEarlierOutput()
{
    openScript(QStringLiteral("printout(\"first\");"));
    m_editor->run();
    QCOMPARE(pane(), QStringLiteral("first"));

    // The included file's problem is shown by the check's assembly, and the
    // pane is not cleared when the check fails.
    openScript(QStringLiteral("include(\"none.js\");\nprintout(\"second\";"));
    m_editor->run();
    QCOMPARE(pane(), expand(paneText({"+first", "!Error: The included file\"%DIR%/none.js\" does not exist",
                                      "!Syntax Error:Expected `;', `)'<BR>Line:2<BR>Column:18"})));
    QCOMPARE(m_editor->errorStatus(), 1);
}

void tst_EditorRun::syntaxErrorMovesCursorToItsLine()
{
    m_editor->setEmbeddedFunctionsEnabled(true);
    openScript(QStringLiteral("var a;\nvar b;\nvar = 3;\nvar c;"));
    m_editor->run();
    QCOMPARE(m_editor->textEdit()->textCursor().blockNumber(), 2);
}

void tst_EditorRun::errorTextIsDarkRed()
{
    openScript(QStringLiteral("printout(\"plain\");\nnull.x;"));
    m_editor->run();
    QTextDocument *document = m_editor->outputArea()->document();
    QHash<QString, QColor> colours;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            colours.insert(it.fragment().text(), it.fragment().charFormat().foreground().color());
    }
    QVERIFY2(colours.contains(QStringLiteral("plain")), qPrintable(colours.keys().join(QLatin1Char('|'))));
    QVERIFY(colours.value(QStringLiteral("plain")) != QColor(0xAA, 0, 0));
    bool redFound = false;
    for (auto it = colours.cbegin(); it != colours.cend(); ++it) {
        if (it.key().contains(QStringLiteral("Evaluation Error: Line:2")))
            redFound = it.value() == QColor(0xAA, 0, 0);
    }
    QVERIFY(redFound);
}

void tst_EditorRun::boldPrintout()
{
    openScript(QStringLiteral("printout(\"<b>bold</b> rest\");"));
    m_editor->run();
    QCOMPARE(pane(), QStringLiteral("bold rest"));
    const QTextBlock block = m_editor->outputArea()->document()->firstBlock();
    QTextBlock::iterator it = block.begin();
    QVERIFY(!it.atEnd());
    QCOMPARE(it.fragment().text(), QStringLiteral("bold"));
    QCOMPARE(it.fragment().charFormat().fontWeight(), int(QFont::Bold));
    ++it;
    QVERIFY(!it.atEnd());
    QCOMPARE(it.fragment().charFormat().fontWeight(), int(QFont::Normal));
}

void tst_EditorRun::displayErrorAndWarning_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("errorStatus");

    QTest::newRow("error") << true << " disk full"
                           << "Error: disk full" << 1;
    QTest::newRow("warning") << false << "slow"
                             << "Warning:slow" << 0;
    QTest::newRow("empty error") << true << ""
                                 << "Error:" << 1;
}

void tst_EditorRun::displayErrorAndWarning()
{
    QFETCH(bool, error);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QFETCH(int, errorStatus);

    openScript(QStringLiteral("printout(\"before\");"));
    m_editor->run();
    if (error)
        m_editor->displayError(message);
    else
        m_editor->displayWarning(message);
    QCOMPARE(pane(), QStringLiteral("before\n") + shown);
    QCOMPARE(m_editor->errorStatus(), errorStatus);
}

void tst_EditorRun::errorStatusResetWhenRunStarts()
{
    openScript(QStringLiteral("null.x;"));
    m_editor->run();
    QCOMPARE(m_editor->errorStatus(), 1);
    openScript(QStringLiteral("printout(\"fine\");"));
    m_editor->run();
    QCOMPARE(m_editor->errorStatus(), 0);
    QCOMPARE(pane(), QStringLiteral("fine"));
}

void tst_EditorRun::globalsPersistAcrossRuns()
{
    openScript(QStringLiteral("var counter = 41;\nfunction next() { return ++counter; }"));
    m_editor->run();
    QCOMPARE(pane(), QString());
    // Another document in the same editor still sees them.
    QVERIFY(m_editor->textEdit()->openFile(writeFile(QStringLiteral("other.js"), QStringLiteral("printout(next());"))));
    m_editor->run();
    QCOMPARE(pane(), QStringLiteral("42"));
    m_editor->run();
    QCOMPARE(pane(), QStringLiteral("43"));
}

void tst_EditorRun::stopWhileWaiting_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("prelude");
    QTest::addColumn<QStringList>("output");

    const QString stopped = QStringLiteral("Error: Script evaluation is stopped by user");
    QTest::newRow("top level") << QStringList() << "printout(\"before\");\nwaitOnce();\nprintout(\"after\");" << false
                               << QStringList{"+before", "!Evaluation Error: Line:2<BR>" + stopped +
                                                             "<BR>Backtrace: &lt;global&gt;() at 2"};
    QTest::newRow("inside a loop in a function after prelude")
        << QStringList() << "function poll() {\n  for (;;)\n    waitOnce();\n}\npoll();\nprintout(\"after\");" << true
        << QStringList{"!Evaluation Error: Line:3<BR>" + stopped +
                       "<BR>Backtrace: poll() at 25\n&lt;global&gt;() at 27"};
    QTest::newRow("inside an included function") << QStringList{"lib.js=function pause() {\n  waitOnce();\n}"}
                                                 << "include(\"lib.js\");\npause();\nprintout(\"no\");" << false
                                                 << QStringList{"!Evaluation Error in included file"};
}

void tst_EditorRun::stopWhileWaiting()
{
    QFETCH(QStringList, files);
    QFETCH(QString, script);
    QFETCH(bool, prelude);
    QFETCH(QStringList, output);

    writeFiles(files);
    openScript(script);
    m_editor->setEmbeddedFunctionsEnabled(prelude);
    // The click on Stop is delivered while the script waits.
    QTimer::singleShot(0, m_editor.get(), &Editor::stopEvaluation);
    m_editor->run();
    QCOMPARE(pane(), expand(paneText(output)));
    QCOMPARE(m_editor->errorStatus(), 1);
    QVERIFY(!m_editor->isEvaluating());
}

void tst_EditorRun::stopWhenNothingRuns()
{
    openScript(QStringLiteral("printout(\"done\");"));
    m_editor->run();
    m_editor->stopEvaluation();
    QCOMPARE(pane(), QStringLiteral("done"));
    QCOMPARE(m_editor->errorStatus(), 1);
    // Nothing of the refused stop lingers into the next run.
    m_editor->run();
    QCOMPARE(pane(), QStringLiteral("done"));
    QCOMPARE(m_editor->errorStatus(), 0);
}

void tst_EditorRun::nestedRunIsRefused()
{
    openScript(QStringLiteral("printout(\"before\");\nwaitOnce();\nprintout(\"after\");"));
    QSignalSpy messages(m_editor.get(), &Editor::statusMessage);
    QTimer::singleShot(0, m_editor.get(), &Editor::run);
    QTimer::singleShot(0, m_editor.get(), &Editor::debug);
    m_editor->run();
    QCOMPARE(messages.count(), 2);
    QVERIFY(!messages.at(0).at(0).toString().isEmpty());
    // The waiting run went on untouched: its pane was not cleared.
    QCOMPARE(pane(), QStringLiteral("before\nafter"));
    QCOMPARE(m_editor->errorStatus(), 0);
}

void tst_EditorRun::protocolFilesBesideScript()
{
    openScript(QStringLiteral("printout(\"line one\");\nsaveOutputToProtocol();\nprintToScriptLog(\"logged\");\n"
                              "saveOutputToProtocol();"));
    m_editor->run();
    QCOMPARE(m_editor->errorStatus(), 0);
    const QStringList lines = pane().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("line one"));
    const QRegularExpression logLine(QStringLiteral("^\\w+-\\d\\d_\\d\\d-\\d\\d-\\d\\d: logged$"));
    QVERIFY2(logLine.match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));

    const QDir protocol(m_dir->filePath(QStringLiteral("protocol")));
    QFile log(protocol.filePath(QStringLiteral("main.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(log.readAll()), lines.at(1) + QLatin1Char('\n'));

    // Two snapshots, whether or not they fell into the same second.
    const QStringList snapshots = protocol.entryList({QStringLiteral("main*.txt")}, QDir::Files, QDir::Name);
    QCOMPARE(snapshots.size(), 2);
    const QRegularExpression name(QStringLiteral("^main\\d{4}-\\w+-\\d\\d_\\d\\d-\\d\\d-\\d\\d(_2)?\\.txt$"));
    QByteArrayList contents;
    for (const QString &snapshot : snapshots) {
        QVERIFY2(name.match(snapshot).hasMatch(), qPrintable(snapshot));
        QFile file(protocol.filePath(snapshot));
        QVERIFY(file.open(QIODevice::ReadOnly));
        contents << file.readAll();
    }
    std::sort(contents.begin(), contents.end(),
              [](const QByteArray &a, const QByteArray &b) { return a.size() < b.size(); });
    QCOMPARE(contents.at(0), QByteArray("line one"));
    QCOMPARE(QString::fromUtf8(contents.at(1)), lines.join(QLatin1Char('\n')));
}

void tst_EditorRun::neverSavedScriptKeepsProtocolOutOfRoot()
{
    const bool rootFolderExisted = QFileInfo::exists(QStringLiteral("/protocol"));
    m_editor->textEdit()->setPlainText(QStringLiteral("printout(\"unsaved\");\nsaveOutputToProtocol();\n"
                                                      "printToScriptLog(\"note\");"));
    QCOMPARE(m_editor->fileName(), QString());
    m_editor->run();
    QCOMPARE(m_editor->errorStatus(), 0);

    const QDir protocol(m_dir->filePath(QStringLiteral("saved/protocol")));
    QVERIFY(protocol.exists());
    QCOMPARE(protocol.entryList({QStringLiteral("*.txt")}, QDir::Files).size(), 1);
    QVERIFY(QFileInfo::exists(protocol.filePath(QStringLiteral(".log"))));
    if (!rootFolderExisted)
        QVERIFY(!QFileInfo::exists(QStringLiteral("/protocol")));
}

QTEST_MAIN(tst_EditorRun)
#include "tst_editorrun.moc"
