#include "TestSupport.h"

#include <QMDrovebot/automation/WidgetLocator.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMDrovebot/ids/WidgetIds.h>

using QMDrovebot::WidgetLocator;

// Each rung of the ladder, from a developer's name down to a generated ID,
// and every expression, run by a real script engine, finds its widget.
class tst_WidgetLocator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void expressions_data();
    void expressions();

private:
    template <typename T> T *add(QWidget *parent, const QString &name, const QString &text = QString())
    {
        auto *widget = new T(parent);
        widget->setObjectName(name);
        if constexpr (std::is_base_of_v<QAbstractButton, T>)
            widget->setText(text);
        m_widgets.insert(text.isEmpty() ? name : text, widget);
        return widget;
    }

    QWidget m_window;
    QDialog m_dialog;
    QHash<QString, QWidget *> m_widgets;
    std::unique_ptr<QMDrovebot::Editor> m_editor;
};

void tst_WidgetLocator::initTestCase()
{
    m_window.setWindowTitle(QStringLiteral("Locator Test"));
    m_widgets.insert(QStringLiteral("window"), &m_window);
    add<QLineEdit>(&m_window, QStringLiteral("name"));
    add<QLineEdit>(&m_window, QStringLiteral("say \"hi\"\\"));
    add<QPushButton>(&m_window, QString(), QStringLiteral("Save"))->setToolTip(QStringLiteral("Saves it"));
    add<QLineEdit>(add<QGroupBox>(&m_window, QStringLiteral("left")), QStringLiteral("field"));
    m_widgets.insert(QStringLiteral("right field"),
                     add<QLineEdit>(add<QGroupBox>(&m_window, QStringLiteral("right")), QStringLiteral("field")));
    add<QCheckBox>(add<QGroupBox>(&m_window, QStringLiteral("boxed")), QString(), QStringLiteral("Tick"));
    add<QFrame>(&m_window, QString(), QStringLiteral("first frame"));
    add<QFrame>(&m_window, QString(), QStringLiteral("second frame"));
    // A dialog's buttons that share one name, as many dialogs' do.
    m_dialog.setWindowTitle(QStringLiteral("Ask"));
    add<QLineEdit>(&m_dialog, QStringLiteral("answer"));
    add<QPushButton>(&m_dialog, QStringLiteral("PushButton"), QStringLiteral("&Save"));
    add<QPushButton>(&m_dialog, QStringLiteral("PushButton"), QStringLiteral("&Cancel"));
    m_widgets.insert(QStringLiteral("dialog"), &m_dialog);
    m_window.show();
    m_dialog.show();
    m_editor = std::make_unique<QMDrovebot::Editor>();
}

void tst_WidgetLocator::expressions_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("inDialog");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("unique name") << "name" << false << R"(getWidgetByObjectName("name"))";
    QTest::newRow("quotes and backslash written out") << "say \"hi\"\\" << false << R"(getWidgetByObjectName("say \"hi\"\\"))";
    QTest::newRow("window title") << "window" << false << R"(getWidgetByWindowTitle("Locator Test"))";
    QTest::newRow("unique tool tip") << "Save" << false << R"(getWidgetByToolTip("Saves it"))";
    QTest::newRow("name below a named ancestor") << "right field" << false << R"(getSubWidgetByObjectName(getWidgetByObjectName("right"), "field"))";
    QTest::newRow("class below a named ancestor") << "Tick" << false << R"(getSubWidgetByClassName(getWidgetByObjectName("boxed"), "QCheckBox"))";
    QTest::newRow("in the dialog: the dialog") << "dialog" << true << "dialog";
    QTest::newRow("in the dialog: by name") << "answer" << true << R"(getSubWidgetByObjectName(dialog, "answer"))";
    QTest::newRow("in the dialog: a button by its text") << "&Cancel" << true << R"(buttonWithText(dialog, "&Cancel"))";
    QTest::newRow("nothing but an ID") << "second frame" << false << R"(getWidgetByID("F#)";
    // clang-format on
}

void tst_WidgetLocator::expressions()
{
    QFETCH(QString, widget);
    QFETCH(bool, inDialog);
    QFETCH(QString, expected);
    QWidget *target = m_widgets.value(widget);
    const WidgetLocator locator = inDialog ? WidgetLocator::locateWithin(target, &m_dialog, QStringLiteral("dialog"))
                                           : WidgetLocator::locate(target);
    QVERIFY2(locator.expression().startsWith(expected), qPrintable(locator.expression()));
    QCOMPARE(locator.resolve(), target);

    QMDrovebot::ScriptEngine *engine = m_editor->engine();
    engine->globalObject().setProperty(QStringLiteral("dialog"), engine->newQObject(&m_dialog));
    engine->evaluate(WidgetLocator::buttonHelper());
    if (locator.kind() == WidgetLocator::Kind::Id)
        QMDrovebot::WidgetIds::generateIDs();
    const QScriptValue found = engine->evaluate(locator.expression());
    QVERIFY2(!engine->hasUncaughtException(), qPrintable(found.toString()));
    QCOMPARE(found.toQObject(), target);
}

QTEST_MAIN(tst_WidgetLocator)
#include "tst_widgetlocator.moc"
