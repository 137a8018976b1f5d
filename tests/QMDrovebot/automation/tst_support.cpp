#include "TestSupport.h"

#include <MTools/Delay.h>
#include <QMDrovebot/automation/KeyNames.h>
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <vector>

using QMDrovebot::Support;

namespace {

// Writes down the input and window events it receives, one short line each.
class EventRecorder : public QWidget
{
public:
    EventRecorder() { resize(100, 60); }
    QString log;

protected:
    bool event(QEvent *e) override
    {
        static const QHash<int, QString> names{{QEvent::MouseButtonPress, "press"},
                                               {QEvent::MouseButtonRelease, "release"},
                                               {QEvent::MouseButtonDblClick, "double"},
                                               {QEvent::MouseMove, "move"}};
        if (names.contains(e->type())) {
            const auto *m = static_cast<QMouseEvent *>(e);
            log += QString::asprintf("%s %d,%d b%d s%d|", qPrintable(names.value(e->type())), m->x(), m->y(),
                                     int(m->button()), int(m->buttons()));
        } else if (e->type() == QEvent::KeyPress) {
            const auto *k = static_cast<QKeyEvent *>(e);
            log += QString::asprintf("key %x '%s' m%x|", k->key(), qPrintable(k->text()), int(k->modifiers()));
        } else if (e->type() == QEvent::Close || e->type() == QEvent::Hide || e->type() == QEvent::Show) {
            log += QStringLiteral("window %1|").arg(int(e->type()));
        } else if (e->type() == QEvent::Paint) {
            const QRect r = static_cast<QPaintEvent *>(e)->rect();
            log += QString::asprintf("paint %d,%d %dx%d|", r.x(), r.y(), r.width(), r.height());
        }
        return QWidget::event(e);
    }
};

} // namespace

// What scripts reach through Support: the input they post, shortcuts,
// menus and key names.
class tst_Support : public QObject
{
    Q_OBJECT

private slots:
    // Input is posted, so it arrives once the script lets events through;
    // window events are sent at once.
    void input_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("posted");
        // clang-format off
        QTest::newRow("global click defaults to (1, 1)") << "mouseClick(w)" << "" << "press 1,1 b1 s1|release 1,1 b1 s1|";
        QTest::newRow("global click with a button") << "mouseClick(w, Qt.RightButton)" << "" << "press 1,1 b2 s2|release 1,1 b2 s2|";
        QTest::newRow("global click truncates; negative y is the middle") << "mouseClick(w, 1, 2.9, -3.7)" << "" << "press 2,30 b1 s1|release 2,30 b1 s1|";
        QTest::newRow("slot click defaults to the centre") << "Support.mouseClick(w)" << "" << "press 50,30 b1 s1|release 50,30 b1 s1|";
        QTest::newRow("slot click with buttons") << "Support.mouseClick(w, 3, 4, Qt.RightButton, Qt.RightButton | Qt.LeftButton)" << "" << "press 3,4 b2 s3|release 3,4 b2 s3|";
        QTest::newRow("double click sends only the double click") << "mouseDoubleClick(w)" << "" << "double 1,1 b1 s1|";
        QTest::newRow("typing") << "keyPress(w, 'ab')" << "" << "key 41 'a' m0|key 41 'b' m0|";
        QTest::newRow("Enter and Space") << "enterPress(w); spacePress(w)" << "" << "key 1000005 '' m0|key 20 '' m0|";
        QTest::newRow("slot key code") << "Support.keyPress(w, 66)" << "" << "key 42 '' m0|";
        QTest::newRow("no widget") << "mouseClick(Qt); keyPress(Test, 'x'); mouseClick(); enterPress(); sendEvent(null, 12)" << "" << "";
        QTest::newRow("close, hide, show") << "sendEvent(w, QEvent.Close); sendEvent(w, QEvent.Hide); sendEvent(w, QEvent.Show)" << "window 19|window 18|window 17|" << "";
        QTest::newRow("paint covers the widget") << "sendEvent(w, 12)" << "paint 0,0 100x60|" << "";
        // clang-format on
    }

    void input()
    {
        QFETCH(QString, code);
        QFETCH(QString, sent);
        QFETCH(QString, posted);
        EventRecorder recorder;
        publish("w", &recorder);
        QCOMPARE(evaluate(code), QString());
        QCOMPARE(recorder.log, sent);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.log, sent + posted);
    }

    void shortcuts_data()
    {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("events");
        // clang-format off
        QTest::newRow("Ctrl+Shift+S") << true << "Ctrl+Shift+S" << "key 53 '' m6000000|";
        QTest::newRow("Ctrl+A+B") << true << "Ctrl+A+B" << "key 42 '' m4000000|";
        QTest::newRow("Ctrl++") << true << "Ctrl++" << "key 2b '' m4000000|";
        QTest::newRow("no application widget") << false << "Ctrl+S" << "";
        // clang-format on
    }

    void shortcuts()
    {
        QFETCH(bool, registered);
        QFETCH(QString, shortcut);
        QFETCH(QString, events);
        EventRecorder recorder;
        if (registered)
            Support::setApplicationWidget(&recorder);
        m_editor.engine()->globalObject().setProperty(QStringLiteral("keys"), QScriptValue(shortcut));
        QCOMPARE(evaluate(QStringLiteral("shortCutPress(keys)")), QString());
        QCoreApplication::processEvents();
        QCOMPARE(recorder.log, events);
        // The running script's editor takes input again afterwards.
        QVERIFY(m_editor.isEnabled());
    }

    void clickMenuItem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("triggered");
        // clang-format off
        QTest::newRow("action text with its ampersand") << "&Open" << "open";
        QTest::newRow("ampersand is not dropped") << "Open" << "";
        QTest::newRow("second action") << "Save" << "save";
        QTest::newRow("widget by tool tip") << "Tool tip" << "tool";
        QTest::newRow("button by text") << "Tool" << "tool";
        // clang-format on
    }

    void clickMenuItem()
    {
        QFETCH(QString, text);
        QFETCH(QString, triggered);
        QString result;
        QMenu menu;
        connect(menu.addAction(QStringLiteral("&Open")), &QAction::triggered, this, [&result] { result += "open"; });
        connect(menu.addAction(QStringLiteral("Save")), &QAction::triggered, this, [&result] { result += "save"; });
        auto *tool = new QToolButton;
        tool->setText(QStringLiteral("Tool"));
        tool->setToolTip(QStringLiteral("Tool tip"));
        connect(tool, &QToolButton::clicked, this, [&result] { result += "tool"; });
        auto *widgetAction = new QWidgetAction(&menu);
        widgetAction->setDefaultWidget(tool);
        menu.addAction(widgetAction);
        menu.popup(QPoint(20, 20));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        Support().clickMenuItem(&menu, text);
        MTools::Delay::delay(50);
        QCOMPARE(result, triggered);
    }

    void dragAndDropDeliversTheDragData()
    {
        QWidget window;
        auto *source = new QLineEdit(QStringLiteral("dragged text"));
        source->setDragEnabled(true);
        auto *target = new QLineEdit;
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(source);
        layout->addWidget(target);
        QVERIFY(TestSupport::shown(&window));
        source->selectAll();
        Support().dragAndDrop(source, 20, source->height() / 2, target, 5, 5);
        MTools::Delay::delay(100);
        QCOMPARE(target->text(), QStringLiteral("dragged text"));
        QCOMPARE(source->text(), QStringLiteral("dragged text")); // copied, not moved
    }

    // Key names as scripts write them, for shortCutPress().
    void keyNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        const int ctrl = Qt::ControlModifier;
        // clang-format off
        QTest::newRow("F12") << "F12" << 0x0100003B << 0;
        QTest::newRow("F13 is no key") << "F13" << -1 << 0;
        QTest::newRow("lower-case letters are not names") << "a" << -1 << 0;
        QTest::newRow("punctuation by itself") << "?" << 0x3F << 0;
        QTest::newRow("slash is not in the table") << "/" << -1 << 0;
        QTest::newRow("Del") << "Del" << 0x01000007 << 0;
        QTest::newRow("Enter") << "Enter" << 0x01000005 << 0;
        QTest::newRow("Ctrl+Shift+S") << "Ctrl+Shift+S" << 0x53 << (ctrl | int(Qt::ShiftModifier));
        QTest::newRow("lower-case modifiers give no key") << "ctrl+s" << -1 << 0;
        QTest::newRow("a later key replaces an earlier one") << "Ctrl+A+B" << 0x42 << ctrl;
        QTest::newRow("an unknown key after a known one") << "A+x" << -1 << 0;
        QTest::newRow("empty text is the plus key") << "" << 0x2B << 0;
        QTest::newRow("Ctrl++") << "Ctrl++" << 0x2B << ctrl;
        QTest::newRow("Meta and Alt") << "Meta+Alt+F5" << 0x01000034 << int(Qt::MetaModifier | Qt::AltModifier);
        QTest::newRow("blanks are not trimmed") << "Ctrl + S" << -1 << 0;
        // clang-format on
    }

    void keyNames()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const QMDrovebot::KeyNames::Shortcut shortcut = QMDrovebot::KeyNames::parse(text);
        QCOMPARE(shortcut.key, key);
        QCOMPARE(int(shortcut.modifiers), modifiers);
    }

private:
    QString evaluate(const QString &code)
    {
        QScriptEngine *engine = m_editor.engine();
        const QScriptValue result = engine->evaluate(code);
        const QString error = engine->hasUncaughtException() ? result.toString() : QString();
        engine->clearExceptions();
        return error;
    }
    void publish(const char *name, QObject *object)
    {
        m_editor.engine()->globalObject().setProperty(name, m_editor.engine()->newQObject(object));
    }

    QMDrovebot::Editor m_editor;
    Support m_support;
};

QTEST_MAIN(tst_Support)
#include "tst_support.moc"
