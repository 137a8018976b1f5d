#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QMDrovebot/automation/WidgetLocator.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/InputRecorder.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>

// Record in Corvella's own window, driven the way a script drives it: the
// recording starts by its shortcut, stops from the App menu, and replays
// through `corvella --run`.
class tst_WritingTools : public QObject
{
    Q_OBJECT

private slots:
    void recordingReplays();
};

void tst_WritingTools::recordingReplays()
{
    TestSupport::useTestIdentity();
    TestSupport::clearSettings();
    JavaScriptEvaluator frame;
    frame.mainWindow()->registerApplicationWidget(&frame);
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QMDrovebot::Editor *editor = frame.mainWindow()->editor();
    const QString scenario = QStringLiteral(R"js(
shortCutPress("Ctrl+Shift+R");
waitFor(function () { return getWidgetByObjectName("recordingState").visible; }, 5000);
mouseClick(getWidgetByObjectName("zoomInButton"));
var answer = singleShotTimer(50);
answer.timeout.connect(function () {
    var box = getWidgetByWindowTitle("Compressor Dialog");
    if (box == null || !box.visible)
        return answer.start();
    mouseClick(button(box, "&Cancel"));
});
mouseClick(getWidgetByObjectName("compressButton"));
delay(0);
var stop = singleShotTimer(50);
stop.timeout.connect(function () {
    if (getVisiblePopup() == null)
        return stop.start();
    clickMenuItem(getVisiblePopup(), "Stop Recording");
});
mouseClick(getWidgetByObjectName("appButton"));
delay(0);
Test.verify(!getWidgetByObjectName("recordingState").visible);
)js") + QMDrovebot::WidgetLocator::buttonHelper().replace(QStringLiteral("buttonWithText"), QStringLiteral("button"));
    editor->textEdit()->setPlainText(scenario);
    editor->run();
    QCOMPARE(editor->errorStatus(), 0);
    QMDrovebot::ScriptWritingTools *tools = frame.mainWindow()->writingTools();
    QVERIFY(!tools->isRecording());
    QCOMPARE(tools->recordAction()->text(), QStringLiteral("Record"));
    const QString recorded = tools->recorder()->text();
    // Neither the shortcut nor the menu that stopped it are part of it.
    QVERIFY2(recorded.startsWith(QStringLiteral("mouseClick(getWidgetByObjectName(\"zoomInButton\"));\n")),
             qPrintable(recorded));
    QVERIFY2(!recorded.contains(QStringLiteral("appButton")) && !recorded.contains(QStringLiteral("shortCutPress")),
             qPrintable(recorded));

    QTemporaryDir dir;
    const QString replay = TestSupport::writeFile(
        dir.filePath(QStringLiteral("replay.js")),
        (QStringLiteral("var doc = getWidgetByClassName(\"QMDrovebot::DocWindow\");\n"
                        "function size() { return parseInt(String(doc.font).split(\",\")[1]); }\n"
                        "var before = size();\n") +
         recorded +
         QStringLiteral("Test.compare(size(), before + 1);\n"
                        "Test.verify(getWidgetByWindowTitle(\"Compressor Dialog\") == null);\n"
                        "printout(\"replayed\");\n"))
            .toUtf8());
    const TestSupport::Run run =
        TestSupport::corvella({QStringLiteral("--run"), replay, QStringLiteral("--timeout"), QStringLiteral("60")});
    QVERIFY2(run.status == 0 && run.out.contains("replayed"), (run.out + run.err + recorded.toUtf8()).constData());
}

QTEST_MAIN(tst_WritingTools)
#include "tst_writingtools.moc"
