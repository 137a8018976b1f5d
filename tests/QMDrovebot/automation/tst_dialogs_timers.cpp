#include <QGLWidget>

#include "TestSupport.h"

#include <QMDrovebot/automation/AutomationFunctions.h>
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/batch/ScriptRunner.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>

using QMDrovebot::Editor;
using QMDrovebot::Support;

class tst_DialogsTimers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::useTestIdentity();
        m_editor = std::make_unique<Editor>();
    }

    void inputDialogs_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("typed"); // null: cancel, empty: accept as it is
        QTest::addColumn<QString>("result");
        // clang-format off
        QTest::newRow("text entered") << "textDialog('Name:', 'Bob')" << "Alice" << "Alice";
        QTest::newRow("text default kept") << "textDialog('Name:', 'Bob')" << "" << "Bob";
        QTest::newRow("int cancelled gives the start value") << "intDialog('Count:', 7)" << QString() << "7";
        QTest::newRow("int lowest value") << "intDialog('Count:', 0)" << "-2147483648" << "-2147483647";
        // clang-format on
    }

    void inputDialogs()
    {
        QFETCH(QString, code);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QString title;
        TestSupport::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QInputDialog *>(modal);
            title = dialog->windowTitle();
            if (typed.isNull())
                return dialog->reject();
            if (!typed.isEmpty() && dialog->inputMode() == QInputDialog::IntInput)
                dialog->setIntValue(typed.toInt());
            else if (!typed.isEmpty())
                dialog->setTextValue(typed);
            dialog->accept();
        });
        QCOMPARE(evaluate(code).toString(), result);
        QCOMPARE(title, QStringLiteral("Script Text Dialog"));
    }

    void timers()
    {
        evaluate(QStringLiteral("var once = 0, never = 0, started = 0, negative = 0;"
                                "singleShotTimer(20).timeout.connect(function() { once++; });"
                                "singleShotTimer(-5).timeout.connect(function() { negative++; });"
                                "var idle = createTimer(); idle.timeout.connect(function() { never++; });"
                                "var later = createTimer(); later.timeout.connect(function() { started++; });"
                                "delay(100);"
                                "later.interval = 10; later.start(); delay(100);"));
        // A negative interval fires at once instead of never.
        QCOMPARE(evaluate(QStringLiteral("[once, never, negative, started, idle.singleShot, parent(idle)].join()"))
                     .toString(),
                 QStringLiteral("1,0,1,1,true,"));
    }

    // A batch row's timers end with it; what else scripts made goes with
    // the engine.
    void batchRowTimersEndWithTheRow()
    {
        QTemporaryDir dir;
        auto editor = std::make_unique<Editor>();
        QMDrovebot::ScriptRunner runner(editor.get());
        runner.run(
            TestSupport::writeFile(dir.filePath("first.js"),
                                   "var t = createTimer(); t.singleShot = false; t.start(10);"
                                   "t.timeout.connect(function () { printout('tick'); }); var l = grab(output);"
                                   "singleShotTimer(100).timeout.connect(function () { throw new Error('late'); });"));
        QPointer<QObject> label = editor->engine()->globalObject().property("l").toQObject();
        QVERIFY(label && !editor->engine()->globalObject().property("t").toQObject());
        const auto second = runner.run(TestSupport::writeFile(dir.filePath("second.js"), "delay(300); printout(2);"));
        QCOMPARE(second.outputText, QStringLiteral("2"));
        editor.reset();
        QVERIFY(label.isNull());
    }

    void grab()
    {
        QPushButton button(QStringLiteral("Shot"));
        button.resize(90, 40);
        publish("b", &button);
        auto *shown = qobject_cast<QLabel *>(evaluate(QStringLiteral("grab(b)")).toQObject());
        QVERIFY(shown && !shown->parent() && !shown->isVisible());
        QCOMPARE(shown->maximumSize(), QSize(90, 40));
        QCOMPARE(shown->minimumSize(), QSize(90, 40));
        delete shown;
        QVERIFY(evaluate(QStringLiteral("grab(null)")).isNull());

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("shot.png"));
        m_editor->engine()->globalObject().setProperty(QStringLiteral("file"), QScriptValue(file));
        evaluate(QStringLiteral("grabAndSave(b, file); grabAndSave(null, file + '2');"
                                "grabAndSave(b, '/nonexistent/dir/x.png')"));
        QCOMPARE(QImage(file).size(), QSize(90, 40));
        QVERIFY(!QFile::exists(file + QLatin1Char('2')));

        // Without a usable OpenGL context the frame buffer cannot be read; the
        // grab must fall back instead of crashing.
        QGLWidget gl;
        gl.resize(32, 24);
        QCOMPARE(Support().grab(&gl).size(), QSize(32, 24));
    }

    // What the object functions give for objects they cannot use.
    void scriptObjects_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("result");
        // clang-format off
        QTest::newRow("new widget") << "className(newObject('QWidget'))" << "QWidget";
        QTest::newRow("new label") << "var l = newObject('QLabel'); className(l) + l.text + l.visible" << "QLabelfalse";
        QTest::newRow("class names are exact") << "newObject('qlabel')" << "null";
        QTest::newRow("parent of null") << "parent(null)" << "null";
        QTest::newRow("class of null") << "className(null)" << "";
        QTest::newRow("class of an object that is no widget") << "className(Support)" << "QMDrovebot::Support";
        QTest::newRow("descendant of undefined") << "getSubWidgetByClassName(undefined, 'QWidget')" << "null";
        QTest::newRow("null widgets print nothing")
            << "printChildren(null); dumpHierarchy(null); generateIDsForWidget(null);" "dragAndDrop(null, 1, 1, null, 2, 2); dragAndDrop(output, 1, 1);" "output.plainText"
            << "";
        // clang-format on
    }

    void scriptObjects()
    {
        QFETCH(QString, code);
        QFETCH(QString, result);
        m_editor->outputArea()->clear();
        QCOMPARE(evaluate(code).toString(), result);
    }

    void testReports_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("errorStatus");
        QTest::addColumn<QString>("output");
        // clang-format off
        QTest::newRow("passing checks are silent") << "Test.compare(1, 1);\nTest.compare('a', 'a');\nTest.verify(true);" << 0 << "";
        QTest::newRow("numbers differ") << "var x = 1;\nTest.compare(x + 1, 3);" << 1 << "Test.compare failed: actual 2, expected 3 (line 2)";
        QTest::newRow("texts differ, shown literally") << "Test.compare('<b>', 'b')" << 1 << "Test.compare failed: actual \"<b>\", expected \"b\" (line 1)";
        QTest::newRow("control characters escaped") << "Test.compare('a\\nb\\t\\u0001', 'ab')" << 1 << "Test.compare failed: actual \"a\\nb\\t\\x01\", expected \"ab\" (line 1)";
        QTest::newRow("backslash escaped") << "Test.compare('a\\\\nb', 'a\\nb')" << 1 << "Test.compare failed: actual \"a\\\\nb\", expected \"a\\nb\" (line 1)";
        QTest::newRow("booleans differ") << "\n\nTest.compare(true, false)" << 1 << "Test.compare failed: actual true, expected false (line 3)";
        QTest::newRow("the run goes on after a failure") << "function check() {\n  Test.verify(1 > 2);\n}\ncheck();\nprintout('after');" << 1
            << "Test.verify failed: the condition is false (line 2)\nafter";
        // clang-format on
    }

    void testReports()
    {
        QFETCH(QString, script);
        QFETCH(int, errorStatus);
        QFETCH(QString, output);
        m_editor->textEdit()->setPlainText(script);
        m_editor->run();
        QCOMPARE(m_editor->errorStatus(), errorStatus);
        QCOMPARE(m_editor->outputArea()->toPlainText().trimmed(), output);
    }

private:
    QScriptValue evaluate(const QString &code);
    void publish(const char *name, QObject *object)
    {
        m_editor->engine()->globalObject().setProperty(name, m_editor->engine()->newQObject(object));
    }
    std::unique_ptr<Editor> m_editor;
};

QScriptValue tst_DialogsTimers::evaluate(const QString &code)
{
    QScriptEngine *engine = m_editor->engine();
    const QScriptValue value = engine->evaluate(code);
    if (engine->hasUncaughtException()) {
        QTest::qFail(qPrintable(value.toString()), __FILE__, __LINE__);
        engine->clearExceptions();
    }
    return value;
}

QTEST_MAIN(tst_DialogsTimers)
#include "tst_dialogs_timers.moc"
