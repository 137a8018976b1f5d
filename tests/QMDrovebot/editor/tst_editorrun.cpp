#include "TestSupport.h"

#include <MTools/Delay.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMWidgets/App.h>

#include <QScriptContext>
#include <QTextDocumentFragment>

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

const QString kLib = QStringLiteral("lib.js=function a() {}\nfunction b() {}\nvar c = 3;");
const QString kAborted = QStringLiteral("Error: the script execution is aborted");
const QString kStopped = QStringLiteral("Error: Script evaluation is stopped by user");

} // namespace

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
    }

    void cleanup()
    {
        m_editor.reset();
        m_dir.reset();
    }

    void offset_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("prelude");
        QTest::addColumn<int>("offset");
        // clang-format off
        QTest::newRow("nothing before the document") << QStringList() << "printout(1);" << false << 0;
        QTest::newRow("prelude only") << QStringList() << "printout(1);" << true << 22;
        QTest::newRow("prelude and one file") << QStringList{kLib} << "include(\"lib.js\");" << true << 27;
        QTest::newRow("file ending in a line feed") << QStringList{kLib + "\n"} << "include(\"lib.js\");" << false << 7;
        QTest::newRow("same file twice") << QStringList{kLib} << "include(\"lib.js\");\ninclude(\"lib.js\");" << false << 11;
        QTest::newRow("missing file adds no marker") << QStringList() << "include(\"none.js\");" << false << 0;
        // clang-format on
    }

    void offset()
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
        QVERIFY(offset == 0 || prefix.endsWith(QStringLiteral("// --------- Main Program ----------\n")));
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
        QTest::newRow("syntax error on the first line after a file") << QStringList{kLib} << "var = 1; include(\"lib.js\");" << true << QStringList{"!Syntax Error:Expected `identifier'<BR>Line:1<BR>Column:5"} << 1;
        QTest::newRow("valid program the static check rejects") << QStringList() << "var a = 1, d = 2;\nvar x = a &&\n++d;\nprintout(x);" << false << QStringList{"+3"} << 0;
        QTest::newRow("valid included file the static check rejects") << QStringList{"lib.js=var a = 1, d = 2;\nvar x = a &&\n++d;"} << "include(\"lib.js\");\nprintout(x);" << false << QStringList{"+3"} << 0;
        QTest::newRow("exception after prelude and file") << QStringList{kLib} << "include(\"lib.js\");\nvar x = 1;\nthrow new Error(\"boom\");" << true << QStringList{"!Evaluation Error: Line:3<BR>Error: boom<BR>Backtrace: &lt;global&gt;() at 30"} << 1;
        QTest::newRow("backtrace entries run on") << QStringList() << "function f() {\n  throw \"bad <b>\";\n}\nf();" << false << QStringList{"!Evaluation Error: Line:2<BR>bad &lt;b&gt;<BR>Backtrace: f() at 2\n&lt;global&gt;() at 4"} << 1;
        QTest::newRow("exception inside an included function") << QStringList{"lib.js=function boom() {\n  throw new Error(\"x\");\n}"} << "include(\"lib.js\");\nboom();" << false << QStringList{"!Evaluation Error in included file"} << 1;
        QTest::newRow("missing file") << QStringList() << "include(\"nope.js\");\nprintout(\"ran\");" << false << QStringList{"!Error: The included file\"%DIR%/nope.js\" does not exist", "+ran"} << 1;
        QTest::newRow("folder named as file") << QStringList{"adir/="} << "include(\"adir\");\nprintout(\"ran\");" << false << QStringList{"!Error: The included file\"%DIR%/adir\" can not be opened", "+ran"} << 1;
        QTest::newRow("syntax error in included file") << QStringList{"lib.js=var a;\nvar = 1;"} << "include(\"lib.js\");\nprintout(\"no\");" << false << QStringList{"!Syntax error in included file:\"%DIR%/lib.js\" Expected `identifier'<BR>Line: 2<BR> Column: 5", "!Syntax Error in included file Expected `identifier'"} << 1;
        QTest::newRow("evaluation error in included file") << QStringList{"lib.js=function f() {\n  return missing.x;\n}\nf();"} << "include(\"lib.js\");\nprintout(\"no\");" << false << QStringList{"!Evaluation Error in included file:\"%DIR%/lib.js\"<BR>nLine2<BR>ReferenceError: Can't find variable: missing<BR>Backtrace: f() at 2<BR>&lt;global&gt;() at 4", "!Evaluation Error in included file"} << 1;
        QTest::newRow("included file stops at a NUL byte") << QStringList{QString::fromUtf8("lib.js=var n = 1;\0 n = 2;", 25)} << "include(\"lib.js\");\nprintout(n);" << false << QStringList{"+1"} << 0;
        QTest::newRow("include in a comment before a real one") << QStringList{"lib.js=var fromLib = 1;"} << "// include(\"lib.js\")\ninclude(\"lib.js\");\nprintout(typeof fromLib);" << false << QStringList{"+number"} << 0;
        QTest::newRow("later include in a comment is not expanded") << QStringList{"a.js=var A = 1;", "b.js=var B = 2;"} << "include(\"a.js\");\n// include(\"b.js\")\nprintout(A + typeof B);" << false << QStringList{"+1undefined"} << 0;
        QTest::newRow("backslash name joined to the folder") << QStringList{"sub\\lib.js=var fromSub = 7;"} << "include(\"sub\\lib.js\");\nprintout(fromSub);" << false << QStringList{"+7"} << 0;
        QTest::newRow("abort inside a function after prelude") << QStringList() << "function f() {\n  printout(\"in\");\n  abort();\n}\nf();\nprintout(\"no\");" << true << QStringList{"+in", "!Evaluation Error: Line:3<BR>" + kAborted + "<BR>Backtrace: f() at 25\n&lt;global&gt;() at 27"} << 1;
        QTest::newRow("abort is not caught by the script") << QStringList() << "try {\n  abort();\n} catch (e) {\n  printout(\"caught\");\n}" << false << QStringList{"!Evaluation Error: Line:2<BR>" + kAborted + "<BR>Backtrace: &lt;global&gt;() at 2"} << 1;
        QTest::newRow("stop at top level") << QStringList() << "printout(\"before\");\nwaitOnce();\nprintout(\"after\");" << false << QStringList{"+before", "!Evaluation Error: Line:2<BR>" + kStopped + "<BR>Backtrace: &lt;global&gt;() at 2"} << 1;
        QTest::newRow("stop in a loop after prelude") << QStringList() << "function poll() {\n  for (;;)\n    waitOnce();\n}\npoll();" << true << QStringList{"!Evaluation Error: Line:3<BR>" + kStopped + "<BR>Backtrace: poll() at 25\n&lt;global&gt;() at 27"} << 1;
        QTest::newRow("stop inside an included function") << QStringList{"lib.js=function pause() {\n  waitOnce();\n}"} << "include(\"lib.js\");\npause();\nprintout(\"no\");" << false << QStringList{"!Evaluation Error in included file"} << 1;
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

    void syntaxErrorKeepsEarlierOutputAndMovesTheCursor()
    {
        openScript(QStringLiteral("printout(\"first\");"));
        m_editor->run();
        // The included file's problem is shown by the check's assembly, and the
        // pane is not cleared when the check fails.
        openScript(QStringLiteral("include(\"none.js\");\nvar a;\nprintout(\"second\";"));
        m_editor->run();
        QCOMPARE(pane(),
                 paneText({"+first", "!Error: The included file\"" + m_dir->path() + "/none.js\" does not exist",
                           "!Syntax Error:Expected `;', `)'<BR>Line:3<BR>Column:18"}));
        QCOMPARE(m_editor->errorStatus(), 1);
        QCOMPARE(m_editor->textEdit()->textCursor().blockNumber(), 2);
    }

    void paneFormats()
    {
        openScript(QStringLiteral("printout(\"<b>bold</b> rest\");\nnull.x;"));
        m_editor->run();
        const QTextBlock first = m_editor->outputArea()->document()->firstBlock();
        QCOMPARE(first.begin().fragment().text(), QStringLiteral("bold"));
        QCOMPARE(first.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
        const QTextFragment error = first.next().begin().fragment();
        QVERIFY2(error.text().startsWith(QStringLiteral("Evaluation Error: Line:2")), qPrintable(error.text()));
        QCOMPARE(error.charFormat().foreground().color(), QColor(0xAA, 0, 0));
    }

    void displayErrorAndWarning()
    {
        openScript(QStringLiteral("printout(\"before\");"));
        m_editor->run();
        m_editor->displayWarning(QStringLiteral("slow"));
        QCOMPARE(m_editor->errorStatus(), 0);
        m_editor->displayError(QStringLiteral(" disk full"));
        QCOMPARE(pane(), QStringLiteral("before\nWarning:slow\nError: disk full"));
        QCOMPARE(m_editor->errorStatus(), 1);
    }

    void globalsPersistAcrossRuns()
    {
        openScript(QStringLiteral("var counter = 41;\nfunction next() { return ++counter; }"));
        m_editor->run();
        QVERIFY(m_editor->textEdit()->openFile(write(QStringLiteral("other.js"), QStringLiteral("printout(next());"))));
        m_editor->run();
        m_editor->run();
        QCOMPARE(pane(), QStringLiteral("43"));
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

    // Names, stamps and folders are the protocol files' own test; here the
    // script functions reach them, with the running script's name.
    void protocolFiles()
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

    void initTestCase() { TestSupport::useTestIdentity(); }

private:
    QString write(const QString &name, const QString &text)
    {
        return TestSupport::writeFile(m_dir->filePath(name), text.toUtf8());
    }
    void writeFiles(const QStringList &files);
    void openScript(const QString &text) { QVERIFY(m_editor->textEdit()->openFile(write("main.js", text))); }
    QString pane() const { return m_editor->outputArea()->toPlainText(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Editor> m_editor;
};

// "name=contents"; a name ending in "/" makes a folder.
void tst_EditorRun::writeFiles(const QStringList &files)
{
    for (const QString &file : files) {
        const QString name = file.section(QLatin1Char('='), 0, 0);
        if (name.endsWith(QLatin1Char('/')))
            QDir(m_dir->path()).mkpath(name);
        else
            write(name, file.mid(file.indexOf(QLatin1Char('=')) + 1));
    }
}

QTEST_MAIN(tst_EditorRun)
#include "tst_editorrun.moc"
