#include "FileLimits.h"
#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/RecoveryFile.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using QMDrovebot::RecoveryFile;

// Nothing the user typed is lost: a failed save stays in view, a killed
// process leaves a copy that the next start offers, and scripts cannot
// delete the windows the application still uses.
class TestDataSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void failedSaveStaysVisible();
    void copyWrittenBeforeRunAndRemovedOnSave();
    void killedProcessLeavesACopy_data();
    void killedProcessLeavesACopy();
    void scriptsCannotDeleteOwnWindows_data();
    void scriptsCannotDeleteOwnWindows();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return FileLimits::write(m_dir.filePath(name), bytes);
    }
    static QByteArray readAll(const QString &path) { return FileLimits::readAll(path); }
    QTemporaryDir m_dir;
};

void TestDataSafety::initTestCase()
{
    TestSupport::useTestIdentity();
    qApp->setQuitOnLastWindowClosed(false);
    QVERIFY(m_dir.isValid());
}

void TestDataSafety::init()
{
    TestSupport::clearSettings();
    QDir(RecoveryFile::folder()).removeRecursively();
}

void TestDataSafety::failedSaveStaysVisible()
{
    const QString path = write(QStringLiteral("visible.js"), "a();\n");
    JSMainWindow window;
    window.show();
    window.openPath(path);
    QMDrovebot::DocWindow *doc = window.editor()->textEdit();
    doc->setPlainText(QString(12000, QLatin1Char('y')));
    {
        FileLimits::FullDisk disk(8192);
        window.save();
    }
    QCOMPARE(readAll(path), QByteArray("a();\n"));
    // Neither a cursor move nor time takes the message away.
    doc->moveCursor(QTextCursor::Start);
    QTest::qWait(50);
    auto *label = window.findChild<QLabel *>(QStringLiteral("fileStatus"));
    QVERIFY(label && label->isVisible());
    QVERIFY(label->text().startsWith(QStringLiteral("Cannot save ") + path));
    QCOMPARE(window.windowTitleText(), path + QStringLiteral(" [modified]"));
    window.save();
    QVERIFY(!label->isVisible());
    QCOMPARE(window.windowTitleText(), path);
}

void TestDataSafety::copyWrittenBeforeRunAndRemovedOnSave()
{
    const QString path = write(QStringLiteral("copy.js"), "printout(1);\n");
    QMDrovebot::Editor editor;
    editor.open(path);
    QCOMPARE(editor.recoveryFile()->path().isEmpty(), false);
    QVERIFY(!QFile::exists(editor.recoveryFile()->path()));
    editor.textEdit()->append(QStringLiteral("printout(2);"));
    editor.run(); // the event loop never ran: only the run wrote the copy
    QVERIFY(readAll(editor.recoveryFile()->path()).contains("printout(2);"));
    QVERIFY(RecoveryFile::orphans().isEmpty()); // its process still lives
    editor.save();
    QVERIFY(!QFile::exists(editor.recoveryFile()->path()));
}

void TestDataSafety::killedProcessLeavesACopy_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("kept");
    QTest::newRow("restore") << int(QMessageBox::Yes) << true << false;
    QTest::newRow("discard") << int(QMessageBox::No) << false << false;
    QTest::newRow("later") << int(QMessageBox::Cancel) << false << true;
}

void TestDataSafety::killedProcessLeavesACopy()
{
    QFETCH(int, answer);
    QFETCH(bool, restored);
    QFETCH(bool, kept);
    // The script types into its own document, then waits to be killed.
    const QString script =
        write(QStringLiteral("victim.js"), "var doc = getWidgetByClassName(\"QMDrovebot::DocWindow\");\n"
                                           "doc.append(\"typed before the kill\");\n"
                                           "delay(120000);\n");
    QProcess victim;
    victim.start(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--run"), script});
    QVERIFY(victim.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(RecoveryFile::folder()).entryList({QStringLiteral("*.recovery")}).isEmpty(), 20000);
    QVERIFY(RecoveryFile::orphans().isEmpty());
    victim.kill();
    QVERIFY(victim.waitForFinished());

    const QList<RecoveryFile::Copy> copies = RecoveryFile::orphans();
    QCOMPARE(copies.size(), 1);
    QVERIFY(copies.first().text.endsWith(QStringLiteral("typed before the kill")));
    QCOMPARE(copies.first().fileName, script);

    JSMainWindow window;
    TestSupport::whenModal([answer](QWidget *box) {
        qobject_cast<QMessageBox *>(box)->button(QMessageBox::StandardButton(answer))->click();
    });
    window.offerRecovery();
    QMDrovebot::DocWindow *doc = window.editor()->textEdit();
    QCOMPARE(doc->toPlainText() == copies.first().text, restored);
    QCOMPARE(doc->fileName() == script && doc->isModified(), restored);
    QCOMPARE(RecoveryFile::orphans().size(), kept ? 1 : 0);

    // The command-line modes never ask, whatever copies are left.
    QProcess run;
    run.start(QStringLiteral(CORVELLA_BINARY),
              {QStringLiteral("--run"), write(QStringLiteral("quick.js"), "printout(\"done\");")});
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.exitCode(), 0);
}

void TestDataSafety::scriptsCannotDeleteOwnWindows_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("refused");
    QTest::newRow("frame") << QStringLiteral("JavaScriptEvaluator") << true;
    QTest::newRow("document window") << QStringLiteral("JSMainWindow") << true;
    QTest::newRow("editor") << QStringLiteral("QMDrovebot::Editor") << true;
    QTest::newRow("document") << QStringLiteral("QMDrovebot::DocWindow") << true;
    QTest::newRow("output pane") << QStringLiteral("QMDrovebot::OutputArea") << true;
    QTest::newRow("gutter") << QStringLiteral("QMDrovebot::LineTextWidget") << true;
    QTest::newRow("a script's own label") << QStringLiteral("QLabel") << false;
}

void TestDataSafety::scriptsCannotDeleteOwnWindows()
{
    QFETCH(QString, className);
    QFETCH(bool, refused);
    auto *frame = new JavaScriptEvaluator;
    frame->show();
    QMDrovebot::Editor *editor = frame->mainWindow()->editor();
    editor->textEdit()->setPlainText(
        QStringLiteral("var own = grab(output);\n"
                       "var w = \"%1\" == \"QLabel\" ? own : getWidgetByClassName(\"%1\");\n"
                       "w.deleteLater();\n")
            .arg(className));
    editor->run();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(editor->outputArea()->toPlainText().contains(QStringLiteral("deleteLater() refused")) == refused);
    QCOMPARE(editor->errorStatus(), refused ? 1 : 0);
    // Everything the application uses still works.
    editor->textEdit()->setPlainText(QStringLiteral("printout(\"alive\");"));
    editor->run();
    QVERIFY(editor->outputArea()->toPlainText().contains(QStringLiteral("alive")));
    delete frame;
}

QTEST_MAIN(TestDataSafety)
#include "tst_datasafety.moc"
