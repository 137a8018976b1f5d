#include <QGLWidget>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScriptEngine>
#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

#include <MTools/Delay.h>
#include <QMDrovebot/automation/AutomationFunctions.h>
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/automation/Timer.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>

using QMDrovebot::Editor;
using QMDrovebot::Support;

namespace {

// Breaks every running event loop if a wait that should end by itself does
// not, so a regression fails the test instead of hanging it.
class Watchdog : public QObject
{
public:
    explicit Watchdog(int milliseconds)
    {
        QTimer::singleShot(milliseconds, this, [this] {
            fired = true;
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            QCoreApplication::exit(1);
        });
    }
    bool fired = false;
};

} // namespace

class tst_DialogsTimers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void delayRunsTheEventLoop_data();
    void delayRunsTheEventLoop();
    void messageDialogClosesItself_data();
    void messageDialogClosesItself();
    void informationDialog();
    void inputDialogs_data();
    void inputDialogs();
    void timers();
    void grab();
    void grabWithoutOpenGLContext();
    void getFileNames_data();
    void getFileNames();
    void newObject_data();
    void newObject();
    void objectsThatWrapNothing();
    void buildDate_data();
    void buildDate();
    void testReports_data();
    void testReports();
    void everyFunctionIsRegistered();

private:
    QScriptValue evaluate(const QString &code);
    std::unique_ptr<Editor> m_editor;
};

void tst_DialogsTimers::initTestCase()
{
    TestSupport::useTestIdentity();
    m_editor = std::make_unique<Editor>();
}

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

void tst_DialogsTimers::delayRunsTheEventLoop_data()
{
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("zero") << 0;
    QTest::newRow("some") << 30;
    QTest::newRow("negative counts as zero") << -5;
}

void tst_DialogsTimers::delayRunsTheEventLoop()
{
    QFETCH(int, milliseconds);
    Watchdog watchdog(5000);
    bool delivered = false;
    QTimer::singleShot(0, this, [&delivered] { delivered = true; });
    Support().delay(milliseconds);
    QVERIFY(!watchdog.fired);
    QVERIFY(delivered);
}

void tst_DialogsTimers::messageDialogClosesItself_data()
{
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("after a while") << 100;
    QTest::newRow("negative closes at once") << -1;
}

void tst_DialogsTimers::messageDialogClosesItself()
{
    QFETCH(int, milliseconds);
    Watchdog watchdog(5000);
    QString seen;
    TestSupport::whenModal([&seen](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            seen = box->windowTitle() + QLatin1Char('|') + box->text();
    });
    Support().messageDialog(milliseconds, QStringLiteral("Please wait"));
    QVERIFY(!watchdog.fired);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    if (milliseconds > 0)
        QCOMPARE(seen, QStringLiteral("Message|Please wait"));
}

void tst_DialogsTimers::informationDialog()
{
    QString seen;
    TestSupport::whenModal([&seen](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seen = box->windowTitle() + QLatin1Char('|') + box->text();
        QCOMPARE(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    });
    evaluate(QStringLiteral("information('Done with it')"));
    QCOMPARE(seen, QStringLiteral("Information|Done with it"));
}

void tst_DialogsTimers::inputDialogs_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("typed"); // null: cancel
    QTest::addColumn<QString>("result");

    QTest::newRow("text entered") << "textDialog('Name:', 'Bob')"
                                  << "Alice"
                                  << "Alice";
    QTest::newRow("text default kept") << "textDialog('Name:', 'Bob')"
                                       << ""
                                       << "Bob";
    QTest::newRow("text cancelled") << "textDialog('Name:', 'Bob')" << QString() << "";
    QTest::newRow("int entered") << "intDialog('Count:', 7)"
                                 << "42"
                                 << "42";
    QTest::newRow("int cancelled gives the start value") << "intDialog('Count:', 7)" << QString() << "7";
    QTest::newRow("int lowest value") << "intDialog('Count:', 0)"
                                      << "-2147483648"
                                      << "-2147483647";
}

void tst_DialogsTimers::inputDialogs()
{
    QFETCH(QString, code);
    QFETCH(QString, typed);
    QFETCH(QString, result);

    QString title;
    TestSupport::whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        if (typed.isNull()) {
            dialog->reject();
        } else if (!typed.isEmpty()) {
            if (dialog->inputMode() == QInputDialog::IntInput)
                dialog->setIntValue(typed.toInt());
            else
                dialog->setTextValue(typed);
            dialog->accept();
        } else {
            dialog->accept();
        }
    });
    QCOMPARE(evaluate(code).toString(), result);
    QCOMPARE(title, QStringLiteral("Script Text Dialog"));
}

void tst_DialogsTimers::timers()
{
    evaluate(QStringLiteral("var once = 0, never = 0, started = 0, negative = 0;"
                            "singleShotTimer(20).timeout.connect(function() { once++; });"
                            "singleShotTimer(-5).timeout.connect(function() { negative++; });"
                            "var idle = createTimer(); idle.timeout.connect(function() { never++; });"
                            "var later = createTimer(); later.timeout.connect(function() { started++; });"
                            "delay(100);"
                            "later.interval = 10; later.start(); delay(100);"));
    QCOMPARE(evaluate(QStringLiteral("once")).toInt32(), 1);
    QCOMPARE(evaluate(QStringLiteral("never")).toInt32(), 0);
    // A negative interval fires at once instead of never.
    QCOMPARE(evaluate(QStringLiteral("negative")).toInt32(), 1);
    QCOMPARE(evaluate(QStringLiteral("started")).toInt32(), 1);
    QCOMPARE(evaluate(QStringLiteral("className(idle)")).toString(), QStringLiteral("QMDrovebot::Timer"));
    QVERIFY(evaluate(QStringLiteral("idle.singleShot")).toBool());
    QCOMPARE(evaluate(QStringLiteral("parent(idle)")).isNull(), true);
}

void tst_DialogsTimers::grab()
{
    QPushButton button(QStringLiteral("Shot"));
    button.resize(90, 40);
    QScriptEngine *engine = m_editor->engine();
    engine->globalObject().setProperty(QStringLiteral("b"), engine->newQObject(&button));

    QVERIFY(Support().grab(nullptr).isNull());
    QCOMPARE(Support().grab(&button).size(), QSize(90, 40));

    const QScriptValue label = evaluate(QStringLiteral("grab(b)"));
    auto *shown = qobject_cast<QLabel *>(label.toQObject());
    QVERIFY(shown);
    QCOMPARE(shown->size(), QSize(90, 40));
    QCOMPARE(shown->minimumSize(), shown->maximumSize());
    QVERIFY(!shown->isVisible());
    QVERIFY(!shown->parent());
    delete shown;
    QVERIFY(evaluate(QStringLiteral("grab(null)")).isNull());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shot.png"));
    engine->globalObject().setProperty(QStringLiteral("file"), QScriptValue(file));
    evaluate(QStringLiteral("grabAndSave(b, file); grabAndSave(null, file + '2');"
                            "grabAndSave(b, '/nonexistent/dir/x.png')"));
    QImage saved(file);
    QCOMPARE(saved.size(), QSize(90, 40));
    QVERIFY(!QFile::exists(file + QLatin1Char('2')));
}

void tst_DialogsTimers::grabWithoutOpenGLContext()
{
    // Without a usable OpenGL context the frame buffer cannot be read; the
    // grab must fall back instead of crashing.
    QGLWidget gl;
    gl.resize(32, 24);
    const QPixmap pixmap = Support().grab(&gl);
    QCOMPARE(pixmap.size(), QSize(32, 24));
}

void tst_DialogsTimers::getFileNames_data()
{
    QTest::addColumn<QString>("filters");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("two filters") << "*.js *.txt" << QStringList{"a.js", "b.js", "notes.txt"};
    QTest::newRow("one filter") << "*.js" << QStringList{"a.js", "b.js"};
    QTest::newRow("exact name") << "notes.txt" << QStringList{"notes.txt"};
    QTest::newRow("folders are left out") << "*" << QStringList{"a.js", "b.js", "notes.txt", "x.md"};
    QTest::newRow("double blank keeps an empty filter") << "*.md  *.js" << QStringList{"a.js", "b.js", "x.md"};
    QTest::newRow("no match") << "*.png" << QStringList{};
}

void tst_DialogsTimers::getFileNames()
{
    QFETCH(QString, filters);
    QFETCH(QStringList, names);

    QTemporaryDir dir;
    for (const char *name : {"a.js", "b.js", "notes.txt", "x.md"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.js")));

    QScriptEngine *engine = m_editor->engine();
    engine->globalObject().setProperty(QStringLiteral("dir"), QScriptValue(dir.path()));
    engine->globalObject().setProperty(QStringLiteral("filters"), QScriptValue(filters));
    const QScriptValue result = evaluate(QStringLiteral("getFileNames(dir, filters)"));
    QVERIFY(result.isArray());
    QStringList found = qscriptvalue_cast<QStringList>(result);
    found.sort();
    QCOMPARE(found, names);
    QCOMPARE(evaluate(QStringLiteral("getFileNames(dir + '/missing', '*').length")).toInt32(), 0);
}

void tst_DialogsTimers::newObject_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("className");

    QTest::newRow("widget") << "QWidget"
                            << "QWidget";
    QTest::newRow("label") << "QLabel"
                           << "QLabel";
    QTest::newRow("lower case") << "qlabel"
                                << "";
    QTest::newRow("other class") << "QPushButton"
                                 << "";
    QTest::newRow("missing type") << "undefined"
                                  << "";
}

void tst_DialogsTimers::newObject()
{
    QFETCH(QString, type);
    QFETCH(QString, className);

    const QScriptValue value = type == QLatin1String("undefined")
                                   ? evaluate(QStringLiteral("newObject()"))
                                   : evaluate(QStringLiteral("newObject('%1')").arg(type));
    QObject *object = value.toQObject();
    QCOMPARE(object ? QString::fromLatin1(object->metaObject()->className()) : QString(), className);
    QCOMPARE(value.isNull(), className.isEmpty());
    if (auto *widget = qobject_cast<QWidget *>(object)) {
        QVERIFY(!widget->parent());
        QVERIFY(!widget->isVisible());
        if (auto *label = qobject_cast<QLabel *>(widget))
            QCOMPARE(label->text(), QString());
    }
    delete object;
}

void tst_DialogsTimers::objectsThatWrapNothing()
{
    m_editor->outputArea()->clear();
    QVERIFY(evaluate(QStringLiteral("parent(null)")).isNull());
    QVERIFY(evaluate(QStringLiteral("parent(5)")).isNull());
    QCOMPARE(evaluate(QStringLiteral("className(null)")).toString(), QString());
    QCOMPARE(evaluate(QStringLiteral("className({})")).toString(), QString());
    QVERIFY(evaluate(QStringLiteral("parentByClassName(null, 'QWidget')")).isNull());
    QVERIFY(evaluate(QStringLiteral("getSubWidgetByClassName(undefined, 'QWidget')")).isNull());
    evaluate(QStringLiteral("printChildren(null); dumpHierarchy(null); generateIDsForWidget(null);"
                            "dragAndDrop(null, 1, 1, null, 2, 2); dragAndDrop(output, 1, 1)"));
    QCOMPARE(m_editor->outputArea()->toPlainText(), QString());

    // A wrapped object that is no widget still has a class and a parent.
    QCOMPARE(evaluate(QStringLiteral("className(Support)")).toString(), QStringLiteral("QMDrovebot::Support"));
    QWidget box;
    auto *inner = new QWidget(&box);
    new QLabel(inner);
    new QObject(&box); // not a widget: not listed
    auto *button = new QPushButton(&box);
    QScriptEngine *engine = m_editor->engine();
    engine->globalObject().setProperty(QStringLiteral("box"), engine->newQObject(&box));
    engine->globalObject().setProperty(QStringLiteral("button"), engine->newQObject(button));
    evaluate(QStringLiteral("printChildren(box)"));
    QCOMPARE(m_editor->outputArea()->toPlainText(), QStringLiteral("QWidget\nQLabel\nQPushButton"));
    QCOMPARE(evaluate(QStringLiteral("parent(button)")).toQObject(), &box);
}

void tst_DialogsTimers::buildDate_data()
{
    QTest::addColumn<QString>("compilerDate");
    QTest::addColumn<QString>("text");

    QTest::newRow("July") << "Jul 30 2014"
                          << "7/30/2014";
    QTest::newRow("padded day") << "Jan  5 2021"
                                << "1/5/2021";
    QTest::newRow("December") << "Dec 31 1999"
                              << "12/31/1999";
}

void tst_DialogsTimers::buildDate()
{
    QFETCH(QString, compilerDate);
    QFETCH(QString, text);
    QCOMPARE(QMDrovebot::AutomationFunctions::buildDate(compilerDate), text);
    QCOMPARE(QMDrovebot::AutomationFunctions::buildDate(QStringLiteral(__DATE__)),
             evaluate(QStringLiteral("currentAppBuild()")).toString());
}

void tst_DialogsTimers::testReports_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<QString>("output");

    QTest::newRow("passing checks are silent")
        << "Test.compare(1, 1);\nTest.compare('a', 'a');\nTest.verify(true);" << 0 << "";
    QTest::newRow("numbers differ") << "var x = 1;\nTest.compare(x + 1, 3);" << 1
                                    << "Test.compare failed: actual 2, expected 3 (line 2)";
    QTest::newRow("texts differ, shown literally")
        << "Test.compare('<b>', 'b')" << 1 << "Test.compare failed: actual \"<b>\", expected \"b\" (line 1)";
    QTest::newRow("booleans differ") << "\n\nTest.compare(true, false)" << 1
                                     << "Test.compare failed: actual true, expected false (line 3)";
    QTest::newRow("verify") << "function check() {\n  Test.verify(1 > 2);\n}\ncheck();" << 1
                            << "Test.verify failed: the condition is false (line 2)";
    QTest::newRow("the run goes on after a failure") << "Test.verify(false);\nprintout('after');" << 1
                                                     << "Test.verify failed: the condition is false (line 1)\nafter";
}

void tst_DialogsTimers::testReports()
{
    QFETCH(QString, script);
    QFETCH(int, errorStatus);
    QFETCH(QString, output);

    m_editor->textEdit()->setPlainText(script);
    m_editor->run();
    QCOMPARE(m_editor->errorStatus(), errorStatus);
    QCOMPARE(m_editor->outputArea()->toPlainText().trimmed(), output);
}

void tst_DialogsTimers::everyFunctionIsRegistered()
{
    const QStringList names =
        QStringLiteral("getWidgetByObjectName getWidgetByWindowTitle getWidgetByClassName getSubWidgetByClassName "
                       "getVisibleSubWidgetByClassName getSubWidgetByToolTip getWidgetByToolTip "
                       "getVisibleWidgetByToolTip currentDateTimeString currentAppVersion currentAppBuild "
                       "getVisibleWidgetByClassName getWidgetByID getSubWidgetByObjectName "
                       "getParentWidgetByClassName grab grabAndSave dragAndDrop quitApplication "
                       "getSubWidgetByInheritClassName sendEvent clickMenuItem mouseClick mouseDoubleClick "
                       "mousePress mouseRelease keyPress shortCutPress enterPress spacePress information message "
                       "generateIDs restoreOriginalToolTips saveOutputToProtocol createTimer newObject "
                       "singleShotTimer parent parentByClassName className textDialog intDialog getVisibleDialog "
                       "waitForDialogTermination abort getVisiblePopup printToScriptLog printChildren "
                       "dumpHierarchy getFileNames waitForPopupTermination include printout "
                       "generateIDsForWidget delay")
            .split(QLatin1Char(' '));
    QCOMPARE(names.size(), 56);
    for (const QString &name : names)
        QVERIFY2(evaluate(QStringLiteral("typeof ") + name).toString() == QLatin1String("function"), qPrintable(name));
    for (const char *object : {"output", "Qt", "QEvent", "Support", "Test"})
        QVERIFY2(evaluate(QStringLiteral("typeof ") + QLatin1String(object)).toString() == QLatin1String("object"),
                 object);
    QCOMPARE(evaluate(QStringLiteral("currentAppVersion()")).toString(), QStringLiteral("1.0"));
    QCOMPARE(evaluate(QStringLiteral("[Qt.NoButton, Qt.LeftButton, Qt.RightButton, Qt.MiddleButton,"
                                     " Qt.ShiftModifier, Qt.MetaModifier, Qt.ControlModifier,"
                                     " Qt.AltModifier, Qt.Key_Enter, Qt.Key_Space].join()"))
                 .toString(),
             QStringLiteral("0,1,2,4,33554432,268435456,67108864,134217728,16777221,32"));
    QCOMPARE(evaluate(QStringLiteral("[QEvent.None, QEvent.Close, QEvent.Hide, QEvent.Show,"
                                     " QEvent.Move, QEvent.MouseButtonPress,"
                                     " QEvent.MouseButtonRelease, QEvent.MouseButtonDblClick].join()"))
                 .toString(),
             QStringLiteral("0,19,18,17,13,2,3,4"));
    QCOMPARE(evaluate(QStringLiteral("typeof currentDateTimeString('yyyy')")).toString(), QStringLiteral("string"));
}

QTEST_MAIN(tst_DialogsTimers)
#include "tst_dialogs_timers.moc"
