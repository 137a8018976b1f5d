#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

using QMDrovebot::Editor;

// What a run leaves. A stop or abort(), once asked for, ends the script
// whatever it does: no later statement runs, callbacks included, and
// nothing hangs. Red error lines are added at the end of the pane without
// setting what it holds anew, and never colour what is printed after them.
class tst_RunOutcome : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void nothingRunsAfterAStop_data();
    void nothingRunsAfterAStop();
    void scriptsOwnEventsWaitUntilItWaits();
    void errorsAreAppendedAlone_data();
    void errorsAreAppendedAlone();

private:
    std::unique_ptr<Editor> m_editor;
    std::unique_ptr<QPushButton> m_stopButton;
};

void tst_RunOutcome::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_RunOutcome::init()
{
    m_stopButton.reset(new QPushButton(QStringLiteral("Stop")));
    m_editor.reset(new Editor);
    connect(m_stopButton.get(), &QPushButton::clicked, m_editor.get(), &Editor::stopEvaluation);
    m_stopButton->show();
    m_editor->publishObject(m_stopButton.get(), QStringLiteral("stopButton"));
}

void tst_RunOutcome::nothingRunsAfterAStop_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("stopAfterMs"); // the user's Stop; -1: none
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("afterwards"); // an expression and its value
    QTest::addColumn<QString>("value");

    const QString stopped = QStringLiteral(
        "Evaluation Error: Line:%1\nError: Script evaluation is stopped by user\nBacktrace: <global>() at %1");
    QTest::newRow("timer callback due after Stop")
        << "var t = 0; singleShotTimer(200).timeout.connect(function() { t++; });\n"
           "mouseClick(stopButton);\ndelay(1000);\nprintout(\"must not appear\");"
        << -1 << stopped.arg(3) << "t"
        << "0";
    QTest::newRow("delay loop with a repeating timer")
        << "var n = 0, t = createTimer(); t.singleShot = false; t.timeout.connect(function() { n++; });\n"
           "t.start(20); mouseClick(stopButton);\nfor (var i = 0; i < 10; i++)\n  delay(100);"
        << -1 << stopped.arg(4) << "i + ',' + n"
        << "0,0";
    QTest::newRow("abort() in a dialog handler, another handler answers")
        << "singleShotTimer(50).timeout.connect(function() { abort(); });\n"
           "singleShotTimer(150).timeout.connect(function() { answered = 1; getVisibleDialog().close(); });\n"
           "information(\"question\");\nprintout(\"must not appear\");"
        << -1 << "Evaluation Error: Line:3\nError: the script execution is aborted\nBacktrace: <global>() at 3"
        << "typeof answered"
        << "undefined";
    QTest::newRow("Stop while the script computes")
        << "var n = 0;\nwhile (true) { n++; }" << 200 << stopped.arg(2) << "n > 0"
        << "true";
    QTest::newRow("Stop in an empty endless loop")
        << "printout(\"before\");\nwhile (true) {}" << 200 << "before\n" + stopped.arg(2) << "1"
        << "1";
    QTest::newRow("Stop while a callback computes during a wait")
        << "singleShotTimer(0).timeout.connect(function() {\n  for (;;) {}\n});\ndelay(60000);\nprintout(\"no\");"
        << 300 << stopped.arg(4) << "1"
        << "1";
    QTest::newRow("exception in a dialog handler")
        << "singleShotTimer(50).timeout.connect(function() {\n  var b = getWidgetByObjectName(\"none\");\n"
           "  b.click(); });\ninformation(\"waiting\");\nprintout(\"must not appear\");"
        << -1
        << "Evaluation Error: Line:3\nTypeError: Result of expression 'b' [null] is not an object.\n"
           "Backtrace: <anonymous>() at 3<native>('waiting') at -1<global>() at 4"
        << "getVisibleDialog() == null"
        << "true";
}

void tst_RunOutcome::nothingRunsAfterAStop()
{
    QFETCH(QString, script);
    QFETCH(int, stopAfterMs);
    QFETCH(QString, pane);
    QFETCH(QString, afterwards);
    QFETCH(QString, value);

    m_editor->textEdit()->setPlainText(script);
    if (stopAfterMs >= 0)
        QTimer::singleShot(stopAfterMs, m_editor.get(), &Editor::stopEvaluation);
    QElapsedTimer clock;
    clock.start();
    m_editor->run();
    QVERIFY2(clock.elapsed() < 30000, "a stopped wait ran to its end");
    QCOMPARE(m_editor->outputArea()->toPlainText(), pane);
    QCOMPARE(m_editor->errorStatus(), 1);
    // Late callbacks of the stopped run stay silent too.
    QTest::qWait(300);
    QCOMPARE(m_editor->outputArea()->toPlainText(), pane);
    QCOMPARE(m_editor->engine()->evaluate(afterwards).toString(), value);
}

void tst_RunOutcome::scriptsOwnEventsWaitUntilItWaits()
{
    // The engine lets events through while the script computes, but the
    // script sees its own input and timers take effect only where it waits.
    m_editor->textEdit()->setPlainText(
        QStringLiteral("var presses = 0, fired = 0;\nstopButton.pressed.connect(function() { presses++; });\n"
                       "mousePress(stopButton, Qt.LeftButton, 5, 5);\n"
                       "singleShotTimer(0).timeout.connect(function() { fired++; });\n"
                       "var start = Date.now(); while (Date.now() - start < 300) {}\n"
                       "printout(presses + \" \" + fired);\ndelay(0);\nprintout(presses + \" \" + fired);"));
    m_editor->run();
    QCOMPARE(m_editor->outputArea()->toPlainText(), QStringLiteral("0 0\n1 1"));
}

void tst_RunOutcome::errorsAreAppendedAlone_data()
{
    QTest::addColumn<QStringList>("appends"); // "!": a red error, "+": a printout
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colours"); // per paragraph: R red, B not

    QTest::newRow("error first") << QStringList{"!Error: missing", "+one", "+two"} << "Error: missing\none\ntwo"
                                 << "RBB";
    QTest::newRow("error between") << QStringList{"+one", "!bad", "+two", "!worse"} << "one\nbad\ntwo\nworse"
                                   << "BRBR";
    QTest::newRow("errors in a row") << QStringList{"!a", "!b", "+c"} << "a\nb\nc"
                                     << "RRB";
    QTest::newRow("bold printout after an error") << QStringList{"!x", "+<b>bold</b> rest"} << "x\nbold rest"
                                                  << "RB";
    QTest::newRow("breaks and blanks kept, line feeds dropped")
        << QStringList{"!Line:2<BR>a  b<BR>f() at 2\n&lt;global&gt;() at 4", "+after"}
        << "Line:2\na  b\nf() at 2<global>() at 4\nafter"
        << "RB";
}

void tst_RunOutcome::errorsAreAppendedAlone()
{
    QFETCH(QStringList, appends);
    QFETCH(QString, text);
    QFETCH(QString, colours);

    Editor &editor = *m_editor;
    QTextDocument *document = editor.outputArea()->document();
    QSignalSpy changes(document, &QTextDocument::contentsChange);
    for (const QString &append : appends) {
        const int end = document->characterCount() - 1;
        changes.clear();
        if (append.startsWith(QLatin1Char('!')))
            editor.appendError(append.mid(1));
        else
            editor.outputArea()->append(append.mid(1));
        for (const QList<QVariant> &change : qAsConst(changes))
            QVERIFY2(change.at(0).toInt() >= end, "the pane's earlier content was set anew");
    }
    QCOMPARE(editor.outputArea()->toPlainText(), text);
    QString shown;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QSet<bool> red;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            red.insert(it.fragment().charFormat().foreground().color() == QColor(0xAA, 0, 0));
        shown += red.size() != 1 ? QLatin1Char('?') : red.contains(true) ? QLatin1Char('R') : QLatin1Char('B');
    }
    QCOMPARE(shown, colours);
}

QTEST_MAIN(tst_RunOutcome)
#include "tst_runoutcome.moc"
