#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMWidgets/App.h>
#include <QMWidgets/AppMenu.h>

class tst_JavaScriptEvaluator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::useTestIdentity();
        // Closing a test's frame must not end the test run's application.
        qApp->setQuitOnLastWindowClosed(false);
        qApp->setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
    }

    void init()
    {
        TestSupport::clearSettings();
        m_seen.clear();
        m_frame.reset(new JavaScriptEvaluator);
        m_frame->showAtStartUp();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.data()));
    }

    void sizePersists()
    {
        QCOMPARE(m_frame->size(), QSize(463, 515));
        m_frame->resize(800, 600);
        QTRY_COMPARE(QMWidgets::App::settingValue(QStringLiteral("Height")).toInt(), 600);
        m_frame->mainWindow()->editor()->textEdit()->document()->setModified(false);
        QCOMPARE(JavaScriptEvaluator().size(), QSize(800, 600));
    }

    void toolBar()
    {
        QStringList captions;
        for (MUITabBarItem *item :
             m_frame->tabBar()->findChildren<MUITabBarItem *>(QString(), Qt::FindDirectChildrenOnly))
            captions << (item->isVisible() ? item->caption() : QString());
        QCOMPARE(
            captions.join(',').remove(QRegularExpression(",,+")).remove(QRegularExpression("^,|,$")),
            QStringLiteral("New,Open,Save,Save As,Zoom In,Zoom Out,Find,Undo,Redo,Run,Stop,Debug,Compress,More,App"));
        QStringList appEntries;
        for (QAction *a : item("appButton")->menu()->actions())
            appEntries << a->text();
        QCOMPARE(appEntries.join(','), QStringLiteral("Batch Runner…,,Share,Join Us,More Apps,Contacts Us,Support Page,"
                                                      "Check Updates,About,,Quit"));

        QMDrovebot::Editor *editor = m_frame->mainWindow()->editor();
        QTest::mouseClick(item("zoomInButton"), Qt::LeftButton);
        QCOMPARE(editor->zoomLevel(), 1);
        QTest::mouseClick(item("zoomOutButton"), Qt::LeftButton);
        QCOMPARE(editor->zoomLevel(), 0);
        QTest::keyClicks(editor->textEdit(), QStringLiteral("x"));
        QTest::mouseClick(item("undoButton"), Qt::LeftButton);
        QCOMPARE(editor->textEdit()->toPlainText(), QMDrovebot::DocWindow::defaultText());
        QTest::mouseClick(item("redoButton"), Qt::LeftButton);
        QCOMPARE(editor->textEdit()->toPlainText(), "x" + QMDrovebot::DocWindow::defaultText());
        QCOMPARE(m_frame->windowTitle(), QStringLiteral(" [modified]"));
        editor->textEdit()->document()->setModified(false);
    }

    void quitQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("fromMenu");
        // clang-format off
        QTest::newRow("No keeps the program running") << false << false;
        QTest::newRow("Yes closes") << true << false;
        QTest::newRow("the menu's Quit asks alike") << false << true;
        // clang-format on
    }

    void quitQuestion()
    {
        QFETCH(bool, yes);
        QFETCH(bool, fromMenu);
        QTemporaryDir dir;
        const QString path = TestSupport::writeFile(dir.filePath(QStringLiteral("a.js")), "var a = 1;\n");
        m_frame->mainWindow()->openPath(path);
        QCOMPARE(m_frame->windowTitle(), path);
        QTest::keyClicks(m_frame->mainWindow()->editor()->textEdit(), QStringLiteral("x"));
        answerMessageBox(yes ? QMessageBox::Yes : QMessageBox::No);
        if (fromMenu)
            m_frame->findChild<QMWidgets::AppMenu *>()->actions().constLast()->trigger();
        else
            QCOMPARE(m_frame->close(), yes);
        // The question names the title, marker included.
        QTRY_COMPARE(m_seen,
                     "Warning|The text of the \"" + path +
                         " [modified]\" file has been changed. Do you want to quit without saving the changes?");
        QCOMPARE(m_frame->isVisible(), !yes);
        // Once saved, the window closes without a question.
        m_frame->mainWindow()->save();
        m_seen.clear();
        m_frame->close();
        QVERIFY(!m_frame->isVisible());
        QCOMPARE(m_seen, QString());
    }

    void closingStopsAWaitingScript()
    {
        QMDrovebot::Editor *editor = m_frame->mainWindow()->editor();
        editor->textEdit()->setPlainText(
            QStringLiteral("var rounds = 0;\nwhile (rounds < 200) { delay(20); rounds++; }\nprintout('not stopped');"));
        QTimer::singleShot(100, m_frame.data(), [this] {
            answerMessageBox(QMessageBox::Yes);
            m_frame->close();
        });
        editor->run();
        QVERIFY(!m_frame->isVisible());
        QVERIFY(!editor->isEvaluating());
        QCOMPARE(editor->errorStatus(), 1);
        const QString pane = editor->outputArea()->toPlainText();
        QVERIFY2(pane.contains(QStringLiteral("Script evaluation is stopped by user")), qPrintable(pane));
        QVERIFY(!pane.contains(QStringLiteral("not stopped")));
        QVERIFY(editor->engine()->globalObject().property(QStringLiteral("rounds")).toInt32() < 200);
    }

private:
    // Answers the next message box with `button` and records its text.
    void answerMessageBox(QMessageBox::StandardButton button)
    {
        TestSupport::whenActive<QMessageBox>([this, button](QMessageBox *box) {
            m_seen = box->windowTitle() + '|' + box->text();
            box->button(button)->click();
        });
    }
    MUITabBarItem *item(const char *name) { return m_frame->tabBar()->findChild<MUITabBarItem *>(name); }

    QString m_seen;
    QScopedPointer<JavaScriptEvaluator> m_frame;
};

QTEST_MAIN(tst_JavaScriptEvaluator)
#include "tst_javascriptevaluator.moc"
