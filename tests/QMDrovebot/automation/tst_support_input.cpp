#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScriptEngine>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <QtTest>

#include <MTools/Delay.h>
#include <QMDrovebot/automation/DropSimulator.h>
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/ScriptEngine.h>

using QMDrovebot::DropSimulator;
using QMDrovebot::Editor;
using QMDrovebot::Support;

namespace {

// Writes down the input and window events it receives, one short line each.
class EventRecorder : public QWidget
{
public:
    EventRecorder() { resize(100, 60); }

    QStringList log;

protected:
    bool event(QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            const auto *m = static_cast<QMouseEvent *>(e);
            const char *kind = e->type() == QEvent::MouseButtonPress     ? "press"
                               : e->type() == QEvent::MouseButtonRelease ? "release"
                               : e->type() == QEvent::MouseMove          ? "move"
                                                                         : "double";
            log << QStringLiteral("%1 %2,%3 b%4 s%5")
                       .arg(QLatin1String(kind))
                       .arg(m->pos().x())
                       .arg(m->pos().y())
                       .arg(int(m->button()))
                       .arg(int(m->buttons()));
            break;
        }
        case QEvent::KeyPress: {
            const auto *k = static_cast<QKeyEvent *>(e);
            log << QStringLiteral("key %1 '%2' m%3")
                       .arg(k->key(), 0, 16)
                       .arg(k->text())
                       .arg(int(k->modifiers()), 0, 16);
            break;
        }
        case QEvent::Close:
        case QEvent::Hide:
        case QEvent::Show:
            log << QStringLiteral("window %1").arg(int(e->type()));
            break;
        case QEvent::Paint: {
            const QRect r = static_cast<QPaintEvent *>(e)->rect();
            log << QStringLiteral("paint %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            break;
        }
        default:
            break;
        }
        return QWidget::event(e);
    }
};

// Counts the enabled-state changes of the editor, to see shortcuts disable it.
class EnabledChanges : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::EnabledChange)
            ++count;
        return false;
    }
};

QString evaluate(QScriptEngine *engine, const QString &code)
{
    const QScriptValue result = engine->evaluate(code);
    if (engine->hasUncaughtException()) {
        const QString error = result.toString();
        engine->clearExceptions();
        return QStringLiteral("exception: ") + error;
    }
    return QString();
}

} // namespace

class tst_SupportInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void postedInput_data();
    void postedInput();
    void postedClickTakesEffectDuringDelay();
    void windowEventsAreDeliveredAtOnce_data();
    void windowEventsAreDeliveredAtOnce();
    void shortcuts_data();
    void shortcuts();
    void clickMenuItem_data();
    void clickMenuItem();
    void dragAndDropDeliversTheDragData();
    void dropSimulatorAlwaysDeletesItself_data();
    void dropSimulatorAlwaysDeletesItself();
    void nullWidgetsAreIgnored();

private:
    Editor *editor();
    std::unique_ptr<Editor> m_editor;
};

Editor *tst_SupportInput::editor()
{
    if (!m_editor)
        m_editor = std::make_unique<Editor>();
    return m_editor.get();
}

void tst_SupportInput::init()
{
    Support::setApplicationWidget(nullptr);
}

void tst_SupportInput::postedInput_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("events");

    const QString leftClickAt11 = QStringLiteral("press 1,1 b1 s1|release 1,1 b1 s1");
    QTest::newRow("global click defaults to (1, 1)") << "mouseClick(w)" << leftClickAt11.split('|');
    QTest::newRow("global click with a button")
        << "mouseClick(w, Qt.RightButton)" << QStringList{"press 1,1 b2 s2", "release 1,1 b2 s2"};
    QTest::newRow("global click ignores a lone x") << "mouseClick(w, 1, 30)" << leftClickAt11.split('|');
    QTest::newRow("global click at x, y")
        << "mouseClick(w, 1, 30, 40)" << QStringList{"press 30,40 b1 s1", "release 30,40 b1 s1"};
    QTest::newRow("global click truncates; negative y is the middle")
        << "mouseClick(w, 1, 2.9, -3.7)" << QStringList{"press 2,30 b1 s1", "release 2,30 b1 s1"};
    QTest::newRow("slot click defaults to the centre")
        << "Support.mouseClick(w)" << QStringList{"press 50,30 b1 s1", "release 50,30 b1 s1"};
    QTest::newRow("slot click (w, -1, 5)")
        << "Support.mouseClick(w, -1, 5)" << QStringList{"press 50,5 b1 s1", "release 50,5 b1 s1"};
    QTest::newRow("slot click with buttons")
        << "Support.mouseClick(w, 3, 4, Qt.RightButton, Qt.RightButton | Qt.LeftButton)"
        << QStringList{"press 3,4 b2 s3", "release 3,4 b2 s3"};
    QTest::newRow("global press") << "mousePress(w)" << QStringList{"press 1,1 b1 s1"};
    QTest::newRow("global release at x, y") << "mouseRelease(w, 1, 7, 8)" << QStringList{"release 7,8 b1 s1"};
    QTest::newRow("double click sends only the double click")
        << "mouseDoubleClick(w)" << QStringList{"double 1,1 b1 s1"};
    QTest::newRow("slot move") << "Support.mouseMove(w)" << QStringList{"move 1,1 b1 s1"};
    QTest::newRow("slot double click with x only")
        << "Support.mouseDoubleClick(w, 9)" << QStringList{"double 9,1 b1 s1"};
    QTest::newRow("sendEvent press") << "sendEvent(w, QEvent.MouseButtonPress)" << QStringList{"press 1,1 b1 s1"};
    QTest::newRow("sendEvent double click")
        << "sendEvent(w, QEvent.MouseButtonDblClick)" << QStringList{"double 1,1 b1 s1"};
    QTest::newRow("sendEvent move does nothing") << "sendEvent(w, QEvent.Move)" << QStringList{};
    QTest::newRow("typing") << "keyPress(w, 'ab')" << QStringList{"key 41 'a' m0", "key 41 'b' m0"};
    QTest::newRow("typing nothing") << "keyPress(w, '')" << QStringList{};
    QTest::newRow("Enter") << "enterPress(w)" << QStringList{"key 1000005 '' m0"};
    QTest::newRow("Space") << "spacePress(w)" << QStringList{"key 20 '' m0"};
    QTest::newRow("slot key code") << "Support.keyPress(w, 66)" << QStringList{"key 42 '' m0"};
    QTest::newRow("slot typing") << "Support.keyPress(w, 'z')" << QStringList{"key 41 'z' m0"};
    QTest::newRow("an object that is no widget") << "mouseClick(Qt); keyPress(Test, 'x')" << QStringList{};
    QTest::newRow("no arguments") << "mouseClick(); enterPress(); keyPress()" << QStringList{};
}

void tst_SupportInput::postedInput()
{
    QFETCH(QString, code);
    QFETCH(QStringList, events);

    EventRecorder recorder;
    QScriptEngine *engine = editor()->engine();
    engine->globalObject().setProperty(QStringLiteral("w"), engine->newQObject(&recorder));

    QCOMPARE(evaluate(engine, code), QString());
    QCOMPARE(recorder.log, QStringList()); // posted, not yet delivered
    QCoreApplication::processEvents();
    QCOMPARE(recorder.log, events);
}

void tst_SupportInput::postedClickTakesEffectDuringDelay()
{
    QPushButton button(QStringLiteral("Press me"));
    button.resize(80, 30);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QScriptEngine *engine = editor()->engine();
    engine->globalObject().setProperty(QStringLiteral("b"), engine->newQObject(&button));

    QCOMPARE(evaluate(engine, QStringLiteral("var n = 0; b.clicked.connect(function() { n++; });"
                                             "mouseClick(b); var before = n; delay(100); var after = n;"
                                             "mouseClick(b); var last = n;")),
             QString());
    QCOMPARE(engine->evaluate(QStringLiteral("before")).toInt32(), 0);
    QCOMPARE(engine->evaluate(QStringLiteral("after")).toInt32(), 1);
    // Without a delay the click waits for the script to end.
    QCOMPARE(engine->evaluate(QStringLiteral("last")).toInt32(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(engine->evaluate(QStringLiteral("n")).toInt32(), 2);
}

void tst_SupportInput::windowEventsAreDeliveredAtOnce_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("close") << "sendEvent(w, QEvent.Close)" << QStringList{"window 19"};
    QTest::newRow("hide") << "sendEvent(w, QEvent.Hide)" << QStringList{"window 18"};
    QTest::newRow("show") << "sendEvent(w, QEvent.Show)" << QStringList{"window 17"};
    QTest::newRow("paint covers the widget") << "sendEvent(w, 12)" << QStringList{"paint 0,0 100x60"};
    QTest::newRow("none") << "sendEvent(w, QEvent.None)" << QStringList{};
    QTest::newRow("paint without a widget") << "sendEvent(null, 12)" << QStringList{};
}

void tst_SupportInput::windowEventsAreDeliveredAtOnce()
{
    QFETCH(QString, code);
    QFETCH(QStringList, events);

    EventRecorder recorder;
    QScriptEngine *engine = editor()->engine();
    engine->globalObject().setProperty(QStringLiteral("w"), engine->newQObject(&recorder));
    QCOMPARE(evaluate(engine, code), QString());
    QCOMPARE(recorder.log, events);
}

void tst_SupportInput::shortcuts_data()
{
    QTest::addColumn<bool>("registered");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("Ctrl+Shift+S") << true << "Ctrl+Shift+S" << QStringList{"key 53 '' m6000000"};
    QTest::newRow("lower case gives nothing") << true << "ctrl+s" << QStringList{};
    QTest::newRow("Ctrl+A+B") << true << "Ctrl+A+B" << QStringList{"key 42 '' m4000000"};
    QTest::newRow("empty text is plus") << true << "" << QStringList{"key 2b '' m0"};
    QTest::newRow("Ctrl++") << true << "Ctrl++" << QStringList{"key 2b '' m4000000"};
    QTest::newRow("F5") << true << "F5" << QStringList{"key 1000034 '' m0"};
    QTest::newRow("no application widget") << false << "Ctrl+S" << QStringList{};
}

void tst_SupportInput::shortcuts()
{
    QFETCH(bool, registered);
    QFETCH(QString, shortcut);
    QFETCH(QStringList, events);

    EventRecorder recorder;
    if (registered)
        Support::setApplicationWidget(&recorder);
    EnabledChanges changes;
    editor()->installEventFilter(&changes);
    QScriptEngine *engine = editor()->engine();
    engine->globalObject().setProperty(QStringLiteral("keys"), QScriptValue(shortcut));

    QCOMPARE(evaluate(engine, QStringLiteral("shortCutPress(keys)")), QString());
    QCoreApplication::processEvents();
    editor()->removeEventFilter(&changes);

    QCOMPARE(recorder.log, events);
    // The running script's editor is disabled while the key is posted.
    QCOMPARE(changes.count, events.isEmpty() ? 0 : 2);
    QVERIFY(editor()->isEnabled());
}

void tst_SupportInput::clickMenuItem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("triggered");

    QTest::newRow("action text with its ampersand") << "&Open"
                                                    << "open";
    QTest::newRow("ampersand is not dropped") << "Open"
                                              << "";
    QTest::newRow("second action") << "Save"
                                   << "save";
    QTest::newRow("widget by tool tip") << "Tool tip"
                                        << "tool";
    QTest::newRow("button by text") << "Tool"
                                    << "tool";
    QTest::newRow("nothing matches") << "Quit"
                                     << "";
}

void tst_SupportInput::clickMenuItem()
{
    QFETCH(QString, text);
    QFETCH(QString, triggered);

    QString result;
    QMenu menu;
    connect(menu.addAction(QStringLiteral("&Open")), &QAction::triggered, this,
            [&result] { result += QStringLiteral("open"); });
    connect(menu.addAction(QStringLiteral("Save")), &QAction::triggered, this,
            [&result] { result += QStringLiteral("save"); });
    auto *tool = new QToolButton;
    tool->setText(QStringLiteral("Tool"));
    tool->setToolTip(QStringLiteral("Tool tip"));
    connect(tool, &QToolButton::clicked, this, [&result] { result += QStringLiteral("tool"); });
    auto *widgetAction = new QWidgetAction(&menu);
    widgetAction->setDefaultWidget(tool);
    menu.addAction(widgetAction);
    menu.popup(QPoint(20, 20));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    Support().clickMenuItem(&menu, text);
    QCOMPARE(result, QString());
    MTools::Delay::delay(50);
    QCOMPARE(result, triggered);
}

void tst_SupportInput::dragAndDropDeliversTheDragData()
{
    QWidget window;
    auto *source = new QLineEdit(QStringLiteral("dragged text"));
    source->setDragEnabled(true);
    auto *target = new QLineEdit;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(source);
    layout->addWidget(target);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    source->selectAll();

    Support().dragAndDrop(source, 20, source->height() / 2, target, 5, 5);
    QCOMPARE(target->text(), QString());
    MTools::Delay::delay(100);
    QCOMPARE(target->text(), QStringLiteral("dragged text"));
    QCOMPARE(source->text(), QStringLiteral("dragged text")); // copied, not moved
}

void tst_SupportInput::dropSimulatorAlwaysDeletesItself_data()
{
    QTest::addColumn<bool>("withSource");
    QTest::addColumn<bool>("withTarget");

    QTest::newRow("no source") << false << true;
    QTest::newRow("no target") << true << false;
    QTest::newRow("neither") << false << false;
    QTest::newRow("source started no drag") << true << true;
}

void tst_SupportInput::dropSimulatorAlwaysDeletesItself()
{
    QFETCH(bool, withSource);
    QFETCH(bool, withTarget);

    QLabel source(QStringLiteral("no drag here"));
    EventRecorder target;
    QPointer<DropSimulator> simulator = new DropSimulator;
    simulator->setSource(withSource ? &source : nullptr);
    simulator->setTarget(withTarget ? &target : nullptr, QPoint(3, 3));
    simulator->start(0);
    MTools::Delay::delay(20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(simulator.isNull());
    QCOMPARE(target.log, QStringList());
}

void tst_SupportInput::nullWidgetsAreIgnored()
{
    Support support;
    support.mouseClick(nullptr);
    support.mouseMove(nullptr);
    support.keyPress(nullptr, 0x41);
    support.keyPress(nullptr, QStringLiteral("abc"));
    support.clickMenuItem(nullptr, QStringLiteral("x"));
    support.sendEvent(nullptr, QEvent::Paint);
    support.dragAndDrop(nullptr, 1, 1, nullptr, 1, 1);
    MTools::Delay::delay(20);
    QWidget plain;
    support.clickMenuItem(&plain, QStringLiteral("x")); // not a menu
}

QTEST_MAIN(tst_SupportInput)
#include "tst_support_input.moc"
