#include "TestSupport.h"

#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>

using QMDrovebot::ScriptEngine;

// A run's contract: a stop or abort() ends the main program whatever it
// does (no later statement runs, callbacks included, and nothing hangs), and
// what the script set in motion waits until it waits. An editor hosts the
// engine only so that scripts have their functions.
class tst_ScriptEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::useTestIdentity(); }

    void init()
    {
        m_editor.reset(new QMDrovebot::Editor);
        m_stopButton.reset(new QPushButton(QStringLiteral("Stop")));
        connect(m_stopButton.get(), &QPushButton::clicked, this, &tst_ScriptEngine::stop);
        m_stopButton->show();
        m_editor->publishObject(m_stopButton.get(), QStringLiteral("stopButton"));
    }

    void cleanup() { m_editor.reset(); }

    void nothingRunsAfterAStop_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("stopAfterMs"); // the user's Stop; -1: none
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("afterwards"); // an expression and its value
        QTest::addColumn<QString>("value");
        const QString stopped = QStringLiteral(
            "Evaluation Error: Line:%1\nError: Script evaluation is stopped by user\nBacktrace: <global>() at %1");
        // No agent watches a computing script, so where it stood is not known.
        const QString computing =
            QStringLiteral("Evaluation Error: Line:?\nError: Script evaluation is stopped by user");
        // clang-format off
        QTest::newRow("timer callback due after Stop")
            << "var t = 0; singleShotTimer(200).timeout.connect(function() { t++; });\nmouseClick(stopButton);\ndelay(1000);\nprintout(\"must not appear\");"
            << -1 << stopped.arg(3) << "t" << "0";
        QTest::newRow("delay loop with a repeating timer")
            << "var n = 0, t = createTimer(); t.singleShot = false; t.timeout.connect(function() { n++; });\nt.start(20); mouseClick(stopButton);\nfor (var i = 0; i < 10; i++)\n  delay(100);"
            << -1 << stopped.arg(4) << "i + ',' + n" << "0,0";
        QTest::newRow("abort() in a dialog handler, another handler answers")
            << "singleShotTimer(50).timeout.connect(function() { abort(); });\nsingleShotTimer(150).timeout.connect(function() "
                "{ answered = 1; getVisibleDialog().close(); });\ninformation(\"question\");\nprintout(\"must not "
                "appear\");"
            << -1 << "Evaluation Error: Line:3\nError: the script execution is aborted\nBacktrace: <global>() at 3" << "typeof answered"
            << "undefined";
        QTest::newRow("abort() in a handler the script triggers, a loop after it")
            << "var t = createTimer(), n = 0;\nt.timeout.connect(function() { abort(); });\nt.timeout();\nwhile (n < 1e9) { n++; }" << -1
            << "Evaluation Error: Line:3\nError: the script execution is aborted\nBacktrace: <global>() at 3" << "n" << "0";
        QTest::newRow("Stop while the script computes") << "var n = 0;\nwhile (true) { n++; }" << 200 << computing << "n > 0" << "true";
        QTest::newRow("Stop in an empty endless loop") << "printout(\"before\");\nwhile (true) {}" << 200 << "before\n" + computing << "1" << "1";
        QTest::newRow("Stop while a callback computes during a wait")
            << "singleShotTimer(0).timeout.connect(function() {\n  for (;;) {}\n});\ndelay(60000);\nprintout(\"no\");" << 300 << stopped.arg(4) << "1"
            << "1";
        QTest::newRow("exception in a dialog handler")
            << "singleShotTimer(50).timeout.connect(function() {\n  var b = getWidgetByObjectName(\"none\");\n  b.click(); });\ninformation(\"waiting\");\nprintout(\"must not appear\");"
            << -1
            << "Evaluation Error: Line:3\nTypeError: Result of expression 'b' [null] is not an object.\nBacktrace: <anonymous>() at 3<native>('waiting') at -1<global>() at 4"
            << "getVisibleDialog() == null" << "true";
        // clang-format on
    }

    void nothingRunsAfterAStop()
    {
        QFETCH(QString, script);
        QFETCH(int, stopAfterMs);
        QFETCH(QString, pane);
        QFETCH(QString, afterwards);
        QFETCH(QString, value);
        if (stopAfterMs >= 0)
            QTimer::singleShot(stopAfterMs, this, &tst_ScriptEngine::stop);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(run(script));
        QVERIFY2(clock.elapsed() < 30000, "a stopped wait ran to its end");
        QCOMPARE(m_pane, pane);
        // Late callbacks of the stopped run stay silent too.
        const QString before = printed();
        QTest::qWait(300);
        QCOMPARE(printed(), before);
        QCOMPARE(engine()->evaluate(afterwards).toString(), value);
    }

    void scriptsOwnEventsWaitUntilItWaits()
    {
        // The engine lets events through while the script computes, but the
        // script sees its own input and timers take effect only where it waits.
        const QString script =
            QStringLiteral("var presses = 0, fired = 0;\nstopButton.pressed.connect(function() { presses++; });\n"
                           "mousePress(stopButton, Qt.LeftButton, 5, 5);\n"
                           "singleShotTimer(0).timeout.connect(function() { fired++; });\n"
                           "var start = Date.now(); while (Date.now() - start < 300) {}\n"
                           "printout(presses + \" \" + fired);\ndelay(0);\nprintout(presses + \" \" + fired);");
        QVERIFY(!run(script));
        QCOMPARE(m_pane, QStringLiteral("0 0\n1 1"));
    }

private:
    ScriptEngine *engine() const { return m_editor->engine(); }
    QString printed() const { return m_editor->outputArea()->toPlainText(); }
    void stop() { engine()->interrupt(ScriptEngine::stopText()); }

    // True when the run failed. What the pane holds then, followed by the
    // failure as the editor reports it (backtrace entries run on, as there).
    bool run(const QString &script)
    {
        m_editor->outputArea()->clear();
        ScriptEngine::Failure failure;
        const bool failed = engine()->runProgramFailed(script, &failure);
        QStringList lines;
        if (!printed().isEmpty())
            lines << printed();
        if (failed && failure.computing)
            lines << QStringLiteral("Evaluation Error: Line:?\n") + failure.text;
        else if (failed)
            lines << QStringLiteral("Evaluation Error: Line:%1\n%2\nBacktrace: %3")
                         .arg(failure.line)
                         .arg(failure.text, failure.backtrace.join(QString()));
        m_pane = lines.join(QLatin1Char('\n'));
        return failed;
    }

    std::unique_ptr<QMDrovebot::Editor> m_editor;
    std::unique_ptr<QPushButton> m_stopButton;
    QString m_pane;
};

QTEST_MAIN(tst_ScriptEngine)
#include "tst_scriptengine.moc"
