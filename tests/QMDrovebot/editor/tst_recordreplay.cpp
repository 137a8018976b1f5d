#include "OrderForm.h"
#include "TestSupport.h"

#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/batch/ScriptEditor.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/InputRecorder.h>
#include <QMDrovebot/editor/PickOutline.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>
#include <QMDrovebot/editor/WidgetPicker.h>
#include <QMDrovebot/engine/OutputArea.h>

// Record and Pick in the order-form example with the script editor window
// beside it, as `corvella --app` opens it inside the program: a scenario
// driven by a script's own posted input is recorded, and the recording
// replays in the real program through `corvella --run --app`.
class tst_RecordReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordingReplays();
    void dragReplays();
    void pick_data();
    void pick();

private:
    // Records what `scenario` does in the program.
    QString record(const QString &scenario);
    // Runs `script` inside the real program; its output when it fails.
    static QByteArray replayFails(const QString &script);

    OrderForm m_form;
    QMDrovebot::MainWindow *m_window = nullptr;
};

void tst_RecordReplay::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Order Form"));
    m_form.show();
    QVERIFY(QTest::qWaitForWindowActive(&m_form));
    m_window = QMDrovebot::openScriptEditor();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void tst_RecordReplay::recordingReplays()
{
    auto *bar = m_form.findChild<QMenuBar *>();
    const QPoint orders = bar->actionGeometry(bar->actions().first()).center();
    // Add an order, answer the warning for an empty one, choose Orders >
    // Clear All... and answer No, add a second order.
    const QString scenario =
        QStringLiteral(R"js(
var customer = getWidgetByObjectName("customer"), add = getWidgetByObjectName("addButton");
mouseClick(customer, Qt.LeftButton, 5, 5);
keyPress(customer, "Ada");
mouseClick(add);
waitFor(function () { return getWidgetByObjectName("orders").rowCount == 1; }, 5000);
answer("Missing Customer", function (box) { enterPress(box); });
mouseClick(add);
delay(0);
mouseClick(getSubWidgetByClassName(getWidgetByObjectName("orderForm"), "QMenuBar"), Qt.LeftButton, %1, %2);
waitFor(function () { return getVisiblePopup(); }, 5000);
answer("Clear All", function (box) { mouseClick(button(box, "&No")); });
clickMenuItem(getVisiblePopup(), "&Clear All...");
delay(0);
keyPress(customer, "Bo");
mouseClick(add);
waitFor(function () { return getWidgetByObjectName("orders").rowCount == 2; }, 5000);

function answer(title, how) {
    var timer = singleShotTimer(50);
    timer.timeout.connect(function () {
        var box = getWidgetByWindowTitle(title);
        if (box == null || !box.visible)
            return timer.start();
        how(box);
    });
}
)js")
            .arg(orders.x())
            .arg(orders.y()) +
        // Named apart, so the recording brings its own.
        QMDrovebot::WidgetLocator::buttonHelper().replace(QStringLiteral("buttonWithText"), QStringLiteral("button"));

    const QString recorded = record(scenario);
    QVERIFY2(recorded.contains(QStringLiteral("keyPress(getWidgetByObjectName(\"customer\"), \"Ada\");")),
             qPrintable(recorded));
    QVERIFY2(recorded.contains(QStringLiteral("clickMenuItem(getVisiblePopup(), \"&Clear All...\");")),
             qPrintable(recorded));
    QCOMPARE(recorded.count(QStringLiteral("createTimer()")), 3);
    const QByteArray failed = replayFails(recorded + QStringLiteral(R"js(
waitFor(function () { return getWidgetByObjectName("orders").rowCount == 2; }, 5000);
Test.compare(getWidgetByObjectName("orders").rowCount, 2);
Test.compare(getWidgetByObjectName("status").text, "2 order(s)");
Test.verify(getVisibleDialog() == null);
)js"));
    QVERIFY2(failed.isEmpty(), failed.constData());
}

void tst_RecordReplay::dragReplays()
{
    // Properties a script sets are no input: both runs set them alike.
    const QString setUp = QStringLiteral("var c = getWidgetByObjectName(\"customer\");\n"
                                         "c.text = \"Ada\"; c.dragEnabled = true; c.selectAll();\n");
    const QString recorded =
        record(setUp + QStringLiteral("dragAndDrop(c, 5, c.height / 2, c, c.width - 5, c.height / 2);\n"
                                      "waitFor(function () { return c.text != \"Ada\"; }, 5000);\n"));
    QVERIFY2(recorded.startsWith(QStringLiteral("dragAndDrop(getWidgetByObjectName(\"customer\"), 5, ")),
             qPrintable(recorded));
    QCOMPARE(m_form.findChild<QLineEdit *>(QStringLiteral("customer"))->text(), QStringLiteral("AdaAda"));
    const QByteArray failed =
        replayFails(setUp + recorded +
                    QStringLiteral("waitFor(function () { return c.text == \"AdaAda\"; }, 5000);\n"
                                   "Test.compare(c.text, \"AdaAda\");\n"));
    QVERIFY2(failed.isEmpty(), failed.constData());
}

QString tst_RecordReplay::record(const QString &scenario)
{
    QMDrovebot::Editor *editor = m_window->editor();
    editor->textEdit()->setPlainText(scenario);
    auto *state = m_window->findChild<QLabel *>(QStringLiteral("recordingState"));
    m_window->startRecording();
    const bool shown = state->isVisible();
    const bool stopShown = m_window->writingTools()->recordAction()->text() == QLatin1String("Stop Recording");
    editor->run();
    m_window->stopRecording();
    const QString recorded = m_window->writingTools()->recorder()->text();
    // Into the document at its cursor, and nothing of the scenario's own.
    if (!shown || !stopShown || state->isVisible() || editor->errorStatus() != 0 ||
        !editor->textEdit()->toPlainText().startsWith(recorded))
        return QStringLiteral("no recording: ") + editor->outputArea()->toPlainText();
    return recorded;
}

QByteArray tst_RecordReplay::replayFails(const QString &script)
{
    QTemporaryDir dir;
    const QString path = TestSupport::writeFile(dir.filePath(QStringLiteral("replay.js")),
                                                (script + QStringLiteral("printout(\"replayed\");\n")).toUtf8());
    const TestSupport::Run run =
        TestSupport::corvella({QStringLiteral("--run"), path, QStringLiteral("--timeout"), QStringLiteral("60"),
                               QStringLiteral("--app"), QStringLiteral(CORVELLA_ORDERFORM)});
    if (run.status == 0 && run.out.contains("replayed"))
        return QByteArray();
    return run.out + run.err + script.toUtf8();
}

void tst_RecordReplay::pick_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("lineBefore");
    // clang-format off
    QTest::newRow("by its name") << "addButton" << 0 << "getWidgetByObjectName(\"addButton\")" << "";
    QTest::newRow("by class below a named ancestor") << "menuBar" << 0 << "getSubWidgetByClassName(getWidgetByObjectName(\"orderForm\"), \"QMenuBar\")" << "";
    QTest::newRow("only an ID tells the table's cells apart") << "cells" << 0 << "getWidgetByID(\"" << "generateIDs();\n";
    QTest::newRow("Escape gives up") << "addButton" << int(Qt::Key_Escape) << "getWidgetByObjectName(\"addButton\")" << "";
    // clang-format on
}

void tst_RecordReplay::pick()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(QString, shown);
    QFETCH(QString, lineBefore);
    QWidget *widget = target == QLatin1String("menuBar") ? m_form.menuBar()
                      : target == QLatin1String("cells") ? m_form.findChild<QTableWidget *>()->viewport()
                                                         : m_form.findChild<QWidget *>(target);
    QMDrovebot::DocWindow *document = m_window->editor()->textEdit();
    document->setPlainText(QStringLiteral("var w = ;"));
    QTextCursor cursor = document->textCursor();
    cursor.setPosition(8);
    document->setTextCursor(cursor);
    // Were the click delivered, it would add an order (and not open a
    // modal warning that holds the test).
    m_form.findChild<QLineEdit *>(QStringLiteral("customer"))->setText(QStringLiteral("Zed"));
    const int rows = m_form.findChild<QTableWidget *>()->rowCount();

    m_window->pickWidget();
    QMDrovebot::WidgetPicker *picker = m_window->writingTools()->picker();
    QTest::mouseMove(widget, QPoint(3, 3));
    QTRY_COMPARE(picker->hovered(), widget);
    QTRY_VERIFY(picker->outline()->isVisible());
    const QString expression = picker->outline()->text();
    QVERIFY2(expression.startsWith(shown), qPrintable(expression));
    // Hovering copies the tool tip; the pick copies the expression.
    QGuiApplication::clipboard()->clear();
    if (key)
        QTest::keyClick(widget, Qt::Key(key));
    else
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(!picker->isPicking());
    QVERIFY(!picker->outline()->isVisible());
    const QString inserted = key ? QString() : expression;
    QCOMPARE(document->toPlainText(), lineBefore + QStringLiteral("var w = %1;").arg(inserted));
    QCOMPARE(QGuiApplication::clipboard()->text(), inserted);
    // The click picked: the button never saw it.
    QCOMPARE(m_form.findChild<QTableWidget *>()->rowCount(), rows);
}

QTEST_MAIN(tst_RecordReplay)
#include "tst_recordreplay.moc"
