#include "TestSupport.h"

#include <MTools/Delay.h>
#include <QMDrovebot/automation/KeyNames.h>
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <vector>

using QMDrovebot::Support;

// Classes with names no other widget of the process has, so a search by
// class name can only find what a test built.
class ProbeX : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// Two classes whose names end alike: "Panel" and "Probe::Panel".
class Panel : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

namespace Probe {
class Panel : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};
} // namespace Probe

namespace {

using Owned = std::unique_ptr<QWidget>;

template <typename T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// Top-levels are searched in the order they were made.
template <typename First, typename Second> std::pair<Owned, Owned> orderedPair()
{
    Owned first(new First);
    return {std::move(first), Owned(new Second)};
}

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

// What scripts reach through Support: the searches for widgets, in their
// orders, and the input they post.
class tst_Support : public QObject
{
    Q_OBJECT

private slots:
    void windowTitleFindsTheFirstTopLevel()
    {
        auto [first, second] = orderedPair<QWidget, QWidget>();
        first->setWindowTitle(QStringLiteral("Twin title"));
        second->setWindowTitle(QStringLiteral("Twin title"));
        (new QWidget(first.get()))->setWindowTitle(QStringLiteral("Child title"));
        QCOMPARE(m_support.getWidgetByWindowTitle(QStringLiteral("Twin title")), first.get());
        // Only top-levels are looked at.
        QCOMPARE(m_support.getWidgetByWindowTitle(QStringLiteral("Child title")), nullptr);
    }

    void objectNameFindsNonWidgetChildren()
    {
        QWidget window;
        QWidget other;
        const QList<QObject *> found{
            named(new QAction(&window), "probeAction"), named(new QVBoxLayout(&window), "probeLayout"),
            named(new QPushButton(new QWidget(&window)), "probeDeep"), named(&other, "probeTop"), nullptr};
        const QStringList names{"probeAction", "probeLayout", "probeDeep", "probeTop", "probeNothing"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(m_support.getWidgetByObjectName(names.at(i)), found.at(i));
        // The sub-widget search sees widgets only.
        QCOMPARE(m_support.getSubWidgetByObjectName(&window, QStringLiteral("probeAction")), nullptr);
    }

    // A top-level of the class beats an earlier top-level's descendant;
    // within one top-level the first in pre-order wins, across top-levels the
    // last.
    void classNameOrder()
    {
        auto [earlier, later] = orderedPair<QWidget, ProbeX>();
        new ProbeX(earlier.get());
        QCOMPARE(m_support.getWidgetByClassName(QStringLiteral("ProbeX")), later.get());
        auto [first, second] = orderedPair<QWidget, QWidget>();
        new Panel(first.get());
        auto *underSecond = new Panel(new QWidget(second.get()));
        new Panel(second.get());
        QCOMPARE(m_support.getWidgetByClassName(QStringLiteral("Panel")), underSecond);
    }

    // The same search in fresh processes, whose widgets lie at other
    // addresses each time, finds the same window: the first of six
    // top-level labels.
    void searchesAnswerAlikeInEveryProcess()
    {
        QTemporaryDir dir;
        const QString script = TestSupport::writeFile(
            dir.filePath(QStringLiteral("order.js")),
            "var frame = getWidgetByClassName('JavaScriptEvaluator');\n"
            "['a', 'b', 'c', 'd', 'e', 'f'].forEach(function(name) { grab(frame).objectName = name; });\n"
            "printout(getWidgetByClassName('QLabel').objectName);\n");
        for (int run = 0; run < 6; ++run)
            QCOMPARE(TestSupport::corvella({QStringLiteral("--run"), script}).out, QByteArray("a\n"));
    }

    void visibleVariantsSkipHiddenWindows()
    {
        auto [hiddenWindow, shownWindow] = orderedPair<ProbeX, QWidget>();
        hiddenWindow->setToolTip(QStringLiteral("probe tip"));
        auto *hiddenChild = new ProbeX(shownWindow.get());
        auto *shownChild = new ProbeX(shownWindow.get());
        shownChild->setToolTip(QStringLiteral("probe tip"));
        shownWindow->show();
        hiddenChild->hide();
        QVERIFY(QTest::qWaitForWindowExposed(shownWindow.get()));

        QCOMPARE(m_support.getWidgetByClassName(QStringLiteral("ProbeX")), hiddenWindow.get());
        QCOMPARE(m_support.getVisibleWidgetByClassName(QStringLiteral("ProbeX")), shownChild);
        QCOMPARE(m_support.getWidgetByToolTip(QStringLiteral("probe tip")), hiddenWindow.get());
        QCOMPARE(m_support.getVisibleWidgetByToolTip(QStringLiteral("probe tip")), shownChild);
        QCOMPARE(m_support.getVisibleSubWidgetByClassName(shownWindow.get(), QStringLiteral("ProbeX")), shownChild);
        shownChild->hide();
        QCOMPARE(m_support.getVisibleWidgetByClassName(QStringLiteral("ProbeX")), nullptr);
    }

    // top (Panel) > editor (Probe::Panel) > box > b1; editor > b2; editor >
    // middle > leaf (QLabel). Descendants are searched from top, ancestors
    // from leaf.
    void searches_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found"); // object name of the expected widget, "" for none
        // clang-format off
        QTest::newRow("class: first in pre-order") << "getSubWidgetByClassName" << "QPushButton" << "b1";
        QTest::newRow("class: exact, not inherited") << "getSubWidgetByClassName" << "QAbstractButton" << "";
        QTest::newRow("inherits: subclass found") << "getSubWidgetByInheritClassName" << "QAbstractButton" << "b1";
        QTest::newRow("tool tip is case-sensitive") << "getSubWidgetByToolTip" << "Second" << "";
        QTest::newRow("tool tip, not the widget itself") << "getSubWidgetByToolTip" << "second" << "b2";
        QTest::newRow("object name") << "getSubWidgetByObjectName" << "leaf" << "leaf";
        QTest::newRow("exact class") << "parentByClassName" << "Probe::Panel" << "editor";
        QTest::newRow("exact match beats a nearer suffix") << "parentByClassName" << "Panel" << "top";
        QTest::newRow("suffix fallback") << "parentByClassName" << "::Panel" << "editor";
        QTest::newRow("suffix: nearest ending") << "parentByClassNameSkipNS" << "Panel" << "editor";
        QTest::newRow("object name: the widget itself") << "parentByObjectName" << "leaf" << "leaf";
        QTest::newRow("inherits: up the chain") << "parentByInherits" << "Probe::Panel" << "editor";
        QTest::newRow("parent widget: exact") << "getParentWidgetByClassName" << "Panel" << "top";
        QTest::newRow("parent widget: no suffix fallback") << "getParentWidgetByClassName" << "::Panel" << "";
        // clang-format on
    }

    void searches()
    {
        QFETCH(QString, search);
        QFETCH(QString, text);
        QFETCH(QString, found);
        Panel top;
        top.setObjectName(QStringLiteral("top"));
        top.setToolTip(QStringLiteral("second"));
        QWidget *editor = named(new Probe::Panel(&top), "editor");
        named(new QPushButton(named(new QWidget(editor), "box")), "b1");
        named(new QPushButton(editor), "b2")->setToolTip(QStringLiteral("second"));
        QWidget *leaf = named(new QLabel(named(new QWidget(editor), "middle")), "leaf");
        QObject *result = nullptr;
        QVERIFY(QMetaObject::invokeMethod(&m_support, search.toLatin1().constData(), Q_RETURN_ARG(QObject *, result),
                                          Q_ARG(QWidget *, search.contains("Sub") ? &top : leaf),
                                          Q_ARG(QString, text)));
        QCOMPARE(result ? result->objectName() : QString(), found);
    }

    void nullWidgetsFindNothing()
    {
        for (const char *search :
             {"getSubWidgetByClassName", "getVisibleSubWidgetByClassName", "getSubWidgetByInheritClassName",
              "getSubWidgetByToolTip", "getSubWidgetByObjectName", "getParentWidgetByClassName", "parentByClassName",
              "parentByClassNameSkipNS", "parentByObjectName", "parentByInherits"}) {
            QObject *result = &m_support;
            QVERIFY(QMetaObject::invokeMethod(&m_support, search, Q_RETURN_ARG(QObject *, result),
                                              Q_ARG(QWidget *, nullptr), Q_ARG(QString, "QWidget")));
            QVERIFY2(!result, search);
        }
        m_support.dumpHierarchy(nullptr);
    }

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
