#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/batch/OptionsDialog.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

using QMDrovebot::MainWindow;

// The batch runner window and how the document window reaches it.
class tst_BatchWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void f9TogglesTheDock();
    void shortcutsAreDistinct_data();
    void shortcutsAreDistinct();
    void recentListKeepsFour();
    void titleFollowsTheEditor();
    void documentWindowOpensOneRunner();

private:
    QTemporaryDir m_dir;
};

void tst_BatchWindow::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_BatchWindow::init()
{
    TestSupport::clearSettings();
}

void tst_BatchWindow::f9TogglesTheDock()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.batchDock()->windowTitle(), QStringLiteral("Batch Area"));
    QVERIFY(window.batchDock()->isVisible());
    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(!window.batchDock()->isVisible());
    QTest::keyClick(&window, Qt::Key_F9);
    QVERIFY(window.batchDock()->isVisible());
}

void tst_BatchWindow::shortcutsAreDistinct_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("zoom");
    QTest::newRow("Ctrl+O opens") << QKeySequence("Ctrl+O") << "QFileDialog" << 0;
    QTest::newRow("Ctrl+P options") << QKeySequence("Ctrl+P") << "QMDrovebot::OptionsDialog" << 0;
    QTest::newRow("Ctrl+- zooms out") << QKeySequence("Ctrl+-") << "" << -1;
}

// Typed in the editor's text, where a user is when pressing them.
void tst_BatchWindow::shortcutsAreDistinct()
{
    QFETCH(QKeySequence, key);
    QFETCH(QString, dialog);
    QFETCH(int, zoom);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.editor()->textEdit()->setFocus();
    QString seen;
    TestSupport::whenModal(
        [&seen](QWidget *w) {
            seen = QString::fromLatin1(w->metaObject()->className());
            w->close();
        },
        300);
    QTest::keySequence(window.editor()->textEdit(), key);
    QTest::qWait(400);
    QCOMPARE(seen, dialog);
    QCOMPARE(window.editor()->zoomLevel(), zoom);
}

void tst_BatchWindow::recentListKeepsFour()
{
    QMWidgets::App::setSettingValue(QStringLiteral("recent"), QStringLiteral("s1;s2;s3;s4;s5;s6"));
    MainWindow window;
    QCOMPARE(window.recentFiles(), (QStringList{"s1", "s2", "s3", "s4"}));
    QStringList opened;
    for (int i = 0; i < 5; ++i) {
        opened << m_dir.filePath(QStringLiteral("f%1.js").arg(i));
        QFile file(opened.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TestSupport::whenModal([&opened](QWidget *w) {
            w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(opened.last());
            QMetaObject::invokeMethod(w, "accept");
        });
        window.open();
    }
    QCOMPARE(window.recentFiles().size(), 4);
    QCOMPARE(window.recentFiles().last(), opened.last());
    QVERIFY(QMWidgets::App::settingValue(QStringLiteral("recent")).toString().startsWith(opened.last() + ';'));
}

void tst_BatchWindow::titleFollowsTheEditor()
{
    const QString path = m_dir.filePath(QStringLiteral("t.js"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    MainWindow window;
    window.editor()->open(path);
    QCOMPARE(window.windowTitle(), path);
    QTest::keyClicks(window.editor()->textEdit(), QStringLiteral("x"));
    QCOMPARE(window.windowTitle(), path + QStringLiteral(" [modified]"));
}

void tst_BatchWindow::documentWindowOpensOneRunner()
{
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    JSMainWindow *document = frame.mainWindow();
    auto *appMenu = frame.findChild<QMenu *>(QStringLiteral("appMenu"));
    QCOMPARE(appMenu->actions().value(0), document->batchAction());
    QCOMPARE(document->batchAction()->text(), QStringLiteral("Batch Runner\u2026"));

    QTest::keyClick(document->editor()->textEdit(), Qt::Key_F9);
    MainWindow *runner = document->batchWindow();
    QVERIFY(runner && runner->isVisible());
    runner->batchDock()->hide();
    runner->hide();
    appMenu->actions().value(0)->trigger();
    QCOMPARE(document->batchWindow(), runner);
    QVERIFY(runner->isVisible() && runner->batchDock()->isVisible());

    bool optionsShown = false;
    TestSupport::whenModal([&optionsShown](QWidget *w) {
        optionsShown = qobject_cast<QMDrovebot::OptionsDialog *>(w) != nullptr;
        w->close();
    });
    document->options();
    QVERIFY(optionsShown);
}

QTEST_MAIN(tst_BatchWindow)
#include "tst_batchwindow.moc"
