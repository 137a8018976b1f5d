#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"
#include "cli/ScriptRunGuard.h"

#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

using QMDrovebot::Editor;

class tst_Waits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void waits_data();
    void waits();
    void cleanup();
    void stopEndsAWait();
    void longWaitsLast_data();
    void longWaitsLast();
    void noWaitEndsEarly();
    void evidence();

private:
    QString run(const QString &script);
    std::unique_ptr<Editor> m_editor;
};

void tst_Waits::initTestCase()
{
    TestSupport::useTestIdentity();
    m_editor = std::make_unique<Editor>();
    m_editor->show();
}

QString tst_Waits::run(const QString &script)
{
    m_editor->textEdit()->setPlainText(script);
    m_editor->run();
    return m_editor->outputArea()->toPlainText();
}

// Each script makes a widget appear, hides or disables it from a timer, so
// the waits meet the states a real window goes through.
static const char kSetUp[] = "var w = newObject('QWidget'); w.objectName = 'late'; w.windowTitle = 'Late one';"
                             "function later(ms, f) { singleShotTimer(ms).timeout.connect(f); }\n";

void tst_Waits::waits_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("errorStatus");
    // clang-format off
    QTest::newRow("waitFor: first truthy value") << "var n = 0; printout(waitFor(function(){ return ++n > 3 ? 'v' + n : 0; }, 1000));" << "v4" << 0;
    QTest::newRow("waitFor: null after the time") << "printout(waitFor(function(){ return ''; }, 30));" << "null" << 0;
    QTest::newRow("waitFor: Infinity until it holds") << "later(50, function(){ w.show(); }); printout(waitFor(function(){ return w.visible; }, Infinity));" << "true" << 0;
    QTest::newRow("waitFor: events run meanwhile") << "later(50, function(){ w.show(); }); printout(waitFor(function(){ return w.visible; }, 2000));" << "true" << 0;
    QTest::newRow("waitFor: posted input arrives")
        << "var d = getWidgetByClassName('QMDrovebot::DocWindow'), c = String.fromCharCode(126); keyPress(d, c); "
            "printout(d.plainText.indexOf(c)); printout(waitFor(function(){ return d.plainText.indexOf(c) >= 0; "
            "}, 2000));"
        << "-1\ntrue" << 0;
    QTest::newRow("waitFor: an exception propagates") << "try { waitFor(function(){ throw new Error('inside'); }, 500); } catch (e) { printout('caught ' + e.message); }" << "caught inside" << 0;
    QTest::newRow("waitFor: not a function") << "printout(waitFor(5, 10));" << "null" << 0;
    QTest::newRow("widget appears") << "later(50, function(){ w.show(); }); printout(waitForWidget('objectName', 'late', 2000) == w);" << "true" << 0;
    QTest::newRow("widget by title") << "later(10, function(){ w.show(); }); printout(waitForWidget('windowTitle', 'Late one', 2000) == w);" << "true" << 0;
    QTest::newRow("widget by tool tip") << "w.toolTip = 'tip'; later(10, function(){ w.show(); }); printout(waitForWidget('toolTip', 'tip', 2000) == w);" << "true" << 0;
    QTest::newRow("widget by class") << "printout(className(waitForWidget('className', 'QMDrovebot::OutputArea', 100)));" << "QMDrovebot::OutputArea" << 0;
    QTest::newRow("widget enabled later") << "w.show(); w.enabled = false; later(30, function(){ w.enabled = true; }); printout(waitForWidget('objectName', 'late', 2000) == w);" << "true" << 0;
    QTest::newRow("hidden match is named") << "w.hide(); printout(waitForWidget('objectName', 'late', 30));"
        << "waitForWidget: the widget with object name \"late\" (QWidget) is still hidden after 30 ms\nnull" << 1;
    QTest::newRow("disabled match is named") << "w.show(); w.enabled = false; printout(waitForWidget('objectName', 'late', 30));"
        << "waitForWidget: the widget with object name \"late\" (QWidget) is still disabled after 30 ms\nnull" << 1;
    QTest::newRow("near miss is named") << "w.show(); w.objectName = 'okButton'; waitForWidget('objectName', 'okButon', 30);"
        << "waitForWidget: no visible widget with object name \"okButon\" within 30 ms; nearest: \"okButton\" (QWidget" << 1;
    QTest::newRow("IDs not shown") << "w.show(); waitForWidget('id', 'O#late', 30);"
        << "waitForWidget: no visible widget with ID \"O#late\" within 30 ms: IDs are not shown; call generateIDs() first" << 1;
    QTest::newRow("unknown kind") << "printout(waitForWidget('name', 'late', 30));" << "waitForWidget: unknown kind \"name\"; use objectName, windowTitle, className, toolTip or id\nnull" << 1;
    QTest::newRow("signal in time") << "var t = createTimer(); t.interval = 20; t.start(); printout(waitForSignal(t, 'timeout', 2000));" << "true" << 0;
    QTest::newRow("signal by signature") << "var t = createTimer(); t.interval = 20; t.start(); printout(waitForSignal(t, 'timeout()', 2000));" << "true" << 0;
    QTest::newRow("signal too late") << "var t = createTimer(); t.interval = 500; t.start(); printout(waitForSignal(t, 'timeout', 20));" << "false" << 0;
    QTest::newRow("no such signal") << "printout(waitForSignal(output, 'nothing', 20));" << "false" << 0;
    QTest::newRow("no object") << "printout(waitForSignal(null, 'timeout', 20));" << "false" << 0;
    // clang-format on
}

void tst_Waits::waits()
{
    QFETCH(QString, script);
    QFETCH(QString, output);
    QFETCH(int, errorStatus);
    const QString shown = run(QLatin1String(kSetUp) + script);
    QVERIFY2(shown.startsWith(output), qPrintable(shown));
    QCOMPARE(m_editor->errorStatus(), errorStatus);
}

// The scripts' widgets have no parent; the next row must not find them.
void tst_Waits::cleanup()
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevels) {
        if (widget != m_editor.get() && widget->parent() == nullptr && !widget->objectName().isEmpty())
            delete widget;
    }
}

void tst_Waits::stopEndsAWait()
{
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(50, m_editor.get(), &Editor::stopEvaluation);
    const QString shown = run(QStringLiteral("waitFor(function(){ return false; }, 20000);\nprintout('after');"));
    QVERIFY2(clock.elapsed() < 5000, "the wait went on after Stop");
    QVERIFY(!shown.contains(QLatin1String("after")));
    QVERIFY(shown.contains(QLatin1String("Script evaluation is stopped by user")));
}

// Times past 32 bits, and Infinity, wait until Stop ends them (after 600 ms
// here): none returns at once or wraps around to a short wait.
void tst_Waits::longWaitsLast_data()
{
    QTest::addColumn<QString>("wait");
    // clang-format off
    for (const char *time : {"Infinity", "2147483648", "1e12", "4294967296 + 300"})
        QTest::newRow(time) << QStringLiteral("delay(%1)").arg(time);
    QTest::newRow("waitFor") << "waitFor(function(){ return false; }, Infinity)";
    QTest::newRow("waitForSignal") << "waitForSignal(createTimer(), 'timeout', 4294967296 + 300)";
    QTest::newRow("waitForWidget") << "waitForWidget('objectName', 'nothing', 2147483648)";
    // clang-format on
}

void tst_Waits::longWaitsLast()
{
    QFETCH(QString, wait);
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(600, m_editor.get(), &Editor::stopEvaluation);
    const QString shown = run(wait + QStringLiteral(";\nprintout('after');"));
    QVERIFY2(clock.elapsed() >= 600 && !shown.contains(QLatin1String("after")), qPrintable(shown));
    QVERIFY2(shown.contains(QLatin1String("Script evaluation is stopped by user")) && !shown.contains("within"),
             qPrintable(shown));
}

// Coarse timers may fire up to 5% early; a wait and a time limit never do.
void tst_Waits::noWaitEndsEarly()
{
    QElapsedTimer clock;
    clock.start();
    run(QStringLiteral("delay(1000);"));
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    ScriptRunGuard guard(1);
    m_editor->textEdit()->setPlainText(QStringLiteral("delay(Infinity);"));
    clock.restart();
    guard.run(m_editor.get());
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(m_editor->outputArea()->toPlainText().contains(ScriptRunGuard::timeLimitText(1)));
}

void tst_Waits::evidence()
{
    QTemporaryDir dir;
    // The editor itself is a tool window, which gets no IDs.
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("Go"), &window);
    button->setObjectName(QStringLiteral("goButton"));
    window.show();
    QString error;
    const QString first = QMDrovebot::Evidence::write(dir.path(), QStringLiteral("/s/login.test.js"), "pane", &error);
    const QString second = QMDrovebot::Evidence::write(dir.path(), QStringLiteral("/s/login.test.js"), "", &error);
    QVERIFY2(!first.isEmpty() && error.isEmpty(), qPrintable(error));
    QVERIFY(first != second && QFileInfo(first).fileName().startsWith(QLatin1String("login.test-")));
    QFile output(first + QStringLiteral("/output-pane.txt"));
    QVERIFY(output.open(QIODevice::ReadOnly) && output.readAll() == "pane");
    QFile tree(first + QStringLiteral("/widgets.txt"));
    QVERIFY(tree.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(tree.readAll());
    QVERIFY2(text.contains(QLatin1String("  QPushButton name=\"goButton\" geometry=")), qPrintable(text));
    QVERIFY(text.contains(QLatin1String("QMDrovebot::Editor name=\"\" title=\"\" geometry=")));
    QVERIFY2(text.contains(QLatin1String("visible enabled id=\"O#goButton\"")), qPrintable(text));
    const QStringList pictures = QDir(first).entryList({QStringLiteral("window-*.png")});
    QVERIFY2(!pictures.isEmpty(), qPrintable(QDir(first).entryList().join(' ')));
    QVERIFY(!QImage(first + QLatin1Char('/') + pictures.first()).isNull());
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    QVERIFY(QMDrovebot::Evidence::write(blocker.fileName(), QStringLiteral("x.js"), QString(), &error).isEmpty());
    QVERIFY(error.startsWith(QLatin1String("cannot create")));
    {
        TestSupport::FullDisk disk(16);
        QVERIFY(QMDrovebot::Evidence::write(dir.path(), QStringLiteral("full.js"), "pane", &error).isEmpty());
    }
    QVERIFY2(error.startsWith(QLatin1String("cannot write ")) && error.endsWith(QLatin1String(": File too large")),
             qPrintable(error));
}

QTEST_MAIN(tst_Waits)
#include "tst_waits.moc"
