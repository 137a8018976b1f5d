#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMWidgets/App.h>
#include <QMWidgets/AppMenu.h>

class TestJavaScriptEvaluator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void firstStart();
    void sizePersists();
    void toolBarInventory();
    void toolBarButtonsReachTheDocumentWindow();
    void quitQuestion_data();
    void quitQuestion();
    void noQuestionAfterOpenOrSave();
    void appMenuQuitAsksTheSameQuestion();
    void closingStopsAWaitingScript();

private:
    // Answers the next message box with `button` and records its text.
    void answerMessageBox(QMessageBox::StandardButton button);
    QString m_seenText;
    QString m_seenTitle;
};

void TestJavaScriptEvaluator::initTestCase()
{
    TestSupport::useTestIdentity();
    // Closing a test's frame must not end the test run's application.
    qApp->setQuitOnLastWindowClosed(false);
    qApp->setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
}

void TestJavaScriptEvaluator::init()
{
    TestSupport::clearSettings();
    m_seenText.clear();
    m_seenTitle.clear();
}

void TestJavaScriptEvaluator::answerMessageBox(QMessageBox::StandardButton button)
{
    TestSupport::whenModal([this, button](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        m_seenText = box->text();
        m_seenTitle = box->windowTitle();
        box->button(button)->click();
    });
}

void TestJavaScriptEvaluator::firstStart()
{
    JavaScriptEvaluator frame;
    frame.showAtStartUp();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.size(), QSize(463, 515));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Corvella"));
}

void TestJavaScriptEvaluator::sizePersists()
{
    {
        JavaScriptEvaluator frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.resize(800, 600);
        QTRY_COMPARE(QMWidgets::App::settingValue(QStringLiteral("Width")).toInt(), 800);
        QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("Height")).toInt(), 600);
        frame.mainWindow()->editor()->textEdit()->document()->setModified(false);
    }
    JavaScriptEvaluator again;
    QCOMPARE(again.size(), QSize(800, 600));
}

void TestJavaScriptEvaluator::toolBarInventory()
{
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    const QList<MUITabBarItem *> items =
        frame.tabBar()->findChildren<MUITabBarItem *>(QString(), Qt::FindDirectChildrenOnly);
    QStringList captions;
    int visible = 0;
    for (MUITabBarItem *item : items) {
        if (item->isVisible()) {
            ++visible;
            captions << item->caption();
        }
    }
    QCOMPARE(visible, 15);
    QCOMPARE(captions, QStringList({"New", "Open", "Save", "Save As", "Zoom In", "Zoom Out", "Find", "Undo", "Redo",
                                    "Run", "Stop", "Debug", "Compress", "More", "App"}));

    MUITabBarItem *menuButton = frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("menuButton"));
    QVERIFY(menuButton);
    QVERIFY(menuButton->isHidden());
    QVERIFY(menuButton->menu());
    QCOMPARE(menuButton->maximumWidth(), 24);

    int separators = 0;
    for (QFrame *f : frame.tabBar()->findChildren<QFrame *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<QPushButton *>(f) && f->frameShape() == QFrame::VLine && f->frameShadow() == QFrame::Sunken)
            ++separators;
    }
    QCOMPARE(separators, 6);
    QCOMPARE(frame.tabBar()->height(), 48);

    // The stretch pushes "More" and "App" to the right end.
    auto *compress = frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("compressButton"));
    auto *more = frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("moreButton"));
    auto *app = frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("appButton"));
    QVERIFY(compress && more && app);
    QCOMPARE(app->geometry().right(), frame.tabBar()->width() - 1);
    QVERIFY(more->x() > compress->geometry().right() + 1);

    // Images follow the captions' swapped pairs, and every image exists.
    QVERIFY(!app->pixmap().isNull());
    QVERIFY(!frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("runButton"))->pixmap().isNull());
    QVERIFY(qobject_cast<QMWidgets::AppMenu *>(app->menu()));
    QStringList appEntries;
    for (QAction *a : app->menu()->actions())
        appEntries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(appEntries, QStringList({"Batch Runner…", "-", "Share", "Join Us", "More Apps", "Contacts Us",
                                      "Support Page", "Check Updates", "About", "-", "Quit"}));
}

void TestJavaScriptEvaluator::toolBarButtonsReachTheDocumentWindow()
{
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QMDrovebot::Editor *editor = frame.mainWindow()->editor();
    const int before = editor->zoomLevel();
    QTest::mouseClick(frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("zoomInButton")), Qt::LeftButton);
    QCOMPARE(editor->zoomLevel(), before + 1);
    QTest::mouseClick(frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("zoomOutButton")), Qt::LeftButton);
    QCOMPARE(editor->zoomLevel(), before);

    QSignalSpy titles(&frame, &QWidget::windowTitleChanged);
    QTest::keyClicks(editor->textEdit(), QStringLiteral("x"));
    const QString typed = QStringLiteral("x") + QMDrovebot::DocWindow::defaultText();
    QCOMPARE(editor->textEdit()->toPlainText(), typed);
    QTest::mouseClick(frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("undoButton")), Qt::LeftButton);
    QCOMPARE(editor->textEdit()->toPlainText(), QMDrovebot::DocWindow::defaultText());
    QTest::mouseClick(frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("redoButton")), Qt::LeftButton);
    QCOMPARE(editor->textEdit()->toPlainText(), typed);
    QVERIFY(!titles.isEmpty());
    QCOMPARE(frame.windowTitle(), QStringLiteral(" [modified]"));
    editor->textEdit()->document()->setModified(false);
}

void TestJavaScriptEvaluator::quitQuestion_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps the program running") << false;
    QTest::newRow("Yes closes") << true;
}

void TestJavaScriptEvaluator::quitQuestion()
{
    QFETCH(bool, yes);
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    answerMessageBox(yes ? QMessageBox::Yes : QMessageBox::No);
    const bool closed = frame.close();
    QCOMPARE(m_seenTitle, QStringLiteral("Warning"));
    QCOMPARE(m_seenText, QStringLiteral("The text of the \"\" file has been changed. Do you want to quit without "
                                        "saving the changes?"));
    QCOMPARE(closed, yes);
    QCOMPARE(frame.isVisible(), !yes);
}

void TestJavaScriptEvaluator::noQuestionAfterOpenOrSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.js"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("var a = 1;\n");
    }
    {
        JavaScriptEvaluator frame;
        frame.show();
        frame.mainWindow()->openPath(path);
        QCOMPARE(frame.windowTitle(), path);
        QVERIFY(frame.close());
    }
    {
        JavaScriptEvaluator frame;
        frame.show();
        frame.mainWindow()->openPath(path);
        QTest::keyClicks(frame.mainWindow()->editor()->textEdit(), QStringLiteral("x"));
        QCOMPARE(frame.windowTitle(), path + QStringLiteral(" [modified]"));
        // The question names the title, marker included.
        answerMessageBox(QMessageBox::No);
        QVERIFY(!frame.close());
        QCOMPARE(m_seenText, QStringLiteral("The text of the \"") + path +
                                 QStringLiteral(" [modified]\" file has been changed. Do you want to quit without "
                                                "saving the changes?"));
        frame.mainWindow()->save();
        QCOMPARE(frame.windowTitle(), path);
        m_seenText.clear();
        QVERIFY(frame.close());
        QVERIFY(m_seenText.isEmpty());
    }
}

void TestJavaScriptEvaluator::appMenuQuitAsksTheSameQuestion()
{
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto *menu = frame.findChild<QMWidgets::AppMenu *>();
    QVERIFY(menu);
    QAction *quit = menu->actions().constLast();
    QCOMPARE(quit->text(), QStringLiteral("Quit"));
    answerMessageBox(QMessageBox::No);
    quit->trigger();
    QTRY_VERIFY(!m_seenText.isEmpty());
    QVERIFY(m_seenText.endsWith(QStringLiteral("Do you want to quit without saving the changes?")));
    QVERIFY(frame.isVisible());
}

void TestJavaScriptEvaluator::closingStopsAWaitingScript()
{
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QMDrovebot::Editor *editor = frame.mainWindow()->editor();
    editor->textEdit()->setPlainText(
        QStringLiteral("var rounds = 0;\nwhile (rounds < 200) { delay(20); rounds++; }\nprintout('not stopped');"));
    editor->textEdit()->document()->setModified(false);
    // Saved state: no question, the window just closes.
    frame.mainWindow()->editor()->textEdit()->setPlainText(editor->textEdit()->toPlainText());
    QTimer::singleShot(100, &frame, [&frame] {
        // The document counts as modified: answer the question with Yes.
        TestSupport::whenModal([](QWidget *w) { qobject_cast<QMessageBox *>(w)->button(QMessageBox::Yes)->click(); });
        frame.close();
    });
    editor->run();
    QVERIFY(!frame.isVisible());
    QVERIFY(!editor->isEvaluating());
    QCOMPARE(editor->errorStatus(), 1);
    const QString pane = editor->outputArea()->toPlainText();
    QVERIFY2(pane.contains(QStringLiteral("Script evaluation is stopped by user")), qPrintable(pane));
    QVERIFY(!pane.contains(QStringLiteral("not stopped")));
    const int rounds = editor->engine()->globalObject().property(QStringLiteral("rounds")).toInt32();
    QVERIFY2(rounds < 200, qPrintable(QString::number(rounds)));
}

QTEST_MAIN(TestJavaScriptEvaluator)
#include "tst_javascriptevaluator.moc"
