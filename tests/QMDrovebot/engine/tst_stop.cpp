#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using QMDrovebot::Editor;

namespace {

// Counts its paints, to tell whether the window repaints during a run.
class PaintProbe : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

QString stopped(int line, const QString &backtrace)
{
    return QStringLiteral("Evaluation Error: Line:%1\nError: Script evaluation is stopped by user\nBacktrace: %2")
        .arg(line)
        .arg(backtrace);
}

} // namespace

// A stop or abort(), once asked for, ends the script whatever it does: no
// later statement runs, callbacks included, and nothing hangs.
class tst_Stop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nothingRunsAfterAStop_data();
    void nothingRunsAfterAStop();
    void scriptsOwnEventsWaitUntilItWaits();
    void windowRepaintsWhileAScriptComputes();

private:
    std::unique_ptr<Editor> m_editor;
    std::unique_ptr<QPushButton> m_button;
};

void tst_Stop::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_Stop::init()
{
    m_editor = std::make_unique<Editor>();
    m_button = std::make_unique<QPushButton>(QStringLiteral("Stop"));
    // The script's own Stop button: a click on it stops its editor's run.
    connect(m_button.get(), &QPushButton::clicked, m_editor.get(), &Editor::stopEvaluation);
    m_button->show();
    m_editor->publishObject(m_button.get(), QStringLiteral("stopButton"));
}

void tst_Stop::cleanup()
{
    m_button.reset();
    m_editor.reset();
}

void tst_Stop::nothingRunsAfterAStop_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("stopAfterMs"); // the user's Stop; -1: none
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("afterwards"); // an expression and its value
    QTest::addColumn<QString>("value");

    const QString aborted = QStringLiteral("Evaluation Error: Line:3\nError: the script execution is aborted\n"
                                           "Backtrace: <global>() at 3");
    QTest::newRow("timer callback due after Stop")
        << "var t = 0; singleShotTimer(200).timeout.connect(function() { t++; });\n"
           "mouseClick(stopButton);\ndelay(1000);\nprintout(\"must not appear\");"
        << -1 << stopped(3, "<global>() at 3") << "t"
        << "0";
    QTest::newRow("delay loop with a repeating timer")
        << "var n = 0, t = createTimer(); t.singleShot = false; t.timeout.connect(function() { n++; });\n"
           "t.start(20); mouseClick(stopButton);\n"
           "for (var i = 0; i < 10; i++)\n  delay(100);"
        << -1 << stopped(4, "<global>() at 4") << "i + ',' + n"
        << "0,0";
    QTest::newRow("abort() in a dialog handler, another handler answers")
        << "singleShotTimer(50).timeout.connect(function() { abort(); });\n"
           "singleShotTimer(150).timeout.connect(function() { answered = 1; getVisibleDialog().close(); });\n"
           "information(\"question\");\nprintout(\"must not appear\");"
        << -1 << aborted << "typeof answered"
        << "undefined";
    QTest::newRow("Stop while the script computes")
        << "var n = 0;\nwhile (true) { n++; }" << 200 << stopped(2, "<global>() at 2") << "n > 0"
        << "true";
    QTest::newRow("Stop in an empty endless loop")
        << "printout(\"before\");\nwhile (true) {}" << 200 << "before\n" + stopped(2, "<global>() at 2") << "1"
        << "1";
    QTest::newRow("Stop while a callback computes during a wait")
        << "singleShotTimer(0).timeout.connect(function() {\n  for (;;) {}\n});\ndelay(60000);\nprintout(\"no\");"
        << 300 << stopped(4, "<global>() at 4") << "1"
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

void tst_Stop::nothingRunsAfterAStop()
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

void tst_Stop::scriptsOwnEventsWaitUntilItWaits()
{
    // The engine lets events through while the script computes, but the
    // script sees the world change only where it waits.
    m_editor->textEdit()->setPlainText(
        QStringLiteral("var presses = 0, fired = 0;\n"
                       "stopButton.pressed.connect(function() { presses++; });\n"
                       "mousePress(stopButton, Qt.LeftButton, 5, 5);\n"
                       "singleShotTimer(0).timeout.connect(function() { fired++; });\n"
                       "var start = Date.now(); while (Date.now() - start < 300) {}\n"
                       "printout(presses + \" \" + fired);\ndelay(0);\nprintout(presses + \" \" + fired);"));
    m_editor->run();
    QCOMPARE(m_editor->outputArea()->toPlainText(), QStringLiteral("0 0\n1 1"));
}

void tst_Stop::windowRepaintsWhileAScriptComputes()
{
    PaintProbe probe;
    probe.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probe));
    QTest::qWait(50);
    const int before = probe.paints;
    QTimer::singleShot(100, &probe, [&probe] { probe.update(); });
    m_editor->textEdit()->setPlainText(QStringLiteral("var start = Date.now();\nwhile (Date.now() - start < 600) {}"));
    m_editor->run();
    QCOMPARE(m_editor->errorStatus(), 0);
    QVERIFY(probe.paints > before);
}

QTEST_MAIN(tst_Stop)
#include "tst_stop.moc"
