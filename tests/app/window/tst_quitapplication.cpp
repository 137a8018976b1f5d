#include "TestSupport.h"

#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

// quitApplication() in the editor closes the frame the way the user would,
// so unsaved text is never dropped without a question.
class tst_QuitApplication : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void asksBeforeDroppingUnsavedText_data();
    void asksBeforeDroppingUnsavedText();
};

void tst_QuitApplication::initTestCase()
{
    TestSupport::useTestIdentity();
    TestSupport::clearSettings();
    QApplication::setQuitOnLastWindowClosed(false);
}

void tst_QuitApplication::asksBeforeDroppingUnsavedText_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("frameOpen");
    QTest::addColumn<QString>("pane");

    QTest::newRow("keep the text") << int(QMessageBox::No) << true << "still running";
    QTest::newRow("quit anyway") << int(QMessageBox::Yes) << false
                                 << "Evaluation Error: Line:1\nError: Script evaluation is stopped by user\n"
                                    "Backtrace: <global>() at 1";
}

void tst_QuitApplication::asksBeforeDroppingUnsavedText()
{
    QFETCH(int, answer);
    QFETCH(bool, frameOpen);
    QFETCH(QString, pane);

    JavaScriptEvaluator frame;
    frame.show();
    frame.mainWindow()->registerApplicationWidget(&frame);
    QMDrovebot::Editor *editor = frame.mainWindow()->editor();
    // Typed into a new document, never saved.
    editor->textEdit()->setPlainText(QStringLiteral("quitApplication();\nprintout(\"still running\");"));
    QVERIFY(editor->isModified());

    QString asked;
    TestSupport::whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        asked = box->windowTitle();
        box->button(QMessageBox::StandardButton(answer))->click();
    });
    editor->run();
    QCOMPARE(asked, QStringLiteral("Warning"));
    QCOMPARE(frame.isVisible(), frameOpen);
    QCOMPARE(editor->outputArea()->toPlainText(), pane);
}

QTEST_MAIN(tst_QuitApplication)
#include "tst_quitapplication.moc"
