#include "TestSupport.h"

#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <csignal>
#include <functional>

// Runs always end: a time limit and the usual signals stop the real program
// as Stop does, its window is ready before the first statement, and
// quitApplication() in the editor asks before unsaved text is lost.
class tst_RunCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void unattendedRunsEnd_data();
    void unattendedRunsEnd();
    void firstStatementCanPressAShortcut();
    void quitApplicationAsksFirst_data();
    void quitApplicationAsksFirst();

private:
    // `meanwhile` runs once the program has started; returns its output and
    // status ("" and -1 when it did not end by itself).
    QPair<QString, int> corvella(const QStringList &arguments, const std::function<void(QProcess &)> &meanwhile = {});
    QString writeScript(const QString &text);

    QTemporaryDir m_dir;
};

void tst_RunCommand::initTestCase()
{
    QVERIFY(m_dir.isValid());
    TestSupport::useTestIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
}

QPair<QString, int> tst_RunCommand::corvella(const QStringList &arguments,
                                             const std::function<void(QProcess &)> &meanwhile)
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(CORVELLA_BINARY), arguments);
    if (process.waitForStarted(30000) && meanwhile)
        meanwhile(process);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {QString(), -1};
    }
    return {QString::fromUtf8(process.readAllStandardOutput()), process.exitCode()};
}

QString tst_RunCommand::writeScript(const QString &text)
{
    const QString path = m_dir.filePath(QStringLiteral("script.js"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    return path;
}

void tst_RunCommand::unattendedRunsEnd_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("signal"); // 0: a time limit of 1 second instead
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("status");

    const QString stopped = QStringLiteral("Evaluation Error: Line:%1\nError: Script evaluation is stopped by "
                                           "user\nBacktrace: <global>() at %1\n");
    const QString limit = QStringLiteral("Error: the script ran into its time limit of 1 second\n") + stopped;
    // The snapshot tells the test that the script has reached its loop.
    const QString loop = QStringLiteral("printout(\"so far\");\nsaveOutputToProtocol();\nwhile (true) {}");
    QTest::newRow("endless loop") << loop << 0 << "so far\n" + limit.arg(3) << 1;
    QTest::newRow("box nobody answers") << "information(\"Anybody?\");\nprintout(\"no\");" << 0 << limit.arg(1) << 1;
    QTest::newRow("long wait") << "printout(\"waiting\");\ndelay(600000);" << 0 << "waiting\n" + limit.arg(2) << 1;
    QTest::newRow("done in time") << "printout(\"quick\");" << 0 << "quick\n" << 0;
    QTest::newRow("SIGINT") << loop << int(SIGINT)
                            << "so far\nError: the run was interrupted by SIGINT\n" + stopped.arg(3) << 1;
    QTest::newRow("SIGTERM") << loop << int(SIGTERM)
                             << "so far\nError: the run was interrupted by SIGTERM\n" + stopped.arg(3) << 1;
}

void tst_RunCommand::unattendedRunsEnd()
{
    QFETCH(QString, script);
    QFETCH(int, signal);
    QFETCH(QString, out);
    QFETCH(int, status);

    QDir protocol(m_dir.filePath(QStringLiteral("protocol")));
    protocol.removeRecursively();
    QStringList arguments{"--run", writeScript(script)};
    if (!signal)
        arguments << "--timeout"
                  << "1";
    const auto result = corvella(arguments, [&](QProcess &process) {
        if (!signal)
            return;
        QTRY_VERIFY_WITH_TIMEOUT(protocol.exists() && !protocol.isEmpty(), 30000);
        ::kill(pid_t(process.processId()), signal);
    });
    QCOMPARE(result.first, out);
    QCOMPARE(result.second, status);
}

void tst_RunCommand::firstStatementCanPressAShortcut()
{
    // Ctrl+S saves the document, which is this very script.
    const QString script = writeScript(QStringLiteral("shortCutPress(\"Ctrl+S\");"));
    const QDateTime past = QDateTime::currentDateTime().addYears(-1);
    QFile file(script);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(past, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(corvella({"--run", script}).second, 0);
    QVERIFY(QFileInfo(script).lastModified() > past.addDays(1));
}

void tst_RunCommand::quitApplicationAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("frameOpen");
    QTest::addColumn<QString>("pane");

    QTest::newRow("keep the text") << int(QMessageBox::No) << true << "still running";
    QTest::newRow("quit anyway") << int(QMessageBox::Yes) << false
                                 << "Evaluation Error: Line:1\nError: Script evaluation is stopped by user\n"
                                    "Backtrace: <global>() at 1";
}

void tst_RunCommand::quitApplicationAsksFirst()
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
    QString asked;
    TestSupport::whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        asked = box ? box->windowTitle() : QString();
        if (box)
            box->button(QMessageBox::StandardButton(answer))->click();
    });
    editor->run();
    QCOMPARE(asked, QStringLiteral("Warning"));
    QCOMPARE(frame.isVisible(), frameOpen);
    QCOMPARE(editor->outputArea()->toPlainText(), pane);
}

QTEST_MAIN(tst_RunCommand)
#include "tst_runcommand.moc"
