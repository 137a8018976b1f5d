#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>

// Unattended runs of the real program: a time limit and the usual signals
// end them as Stop does, and the window is ready before the first statement.
class tst_RunCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void timeLimit_data();
    void timeLimit();
    void signalsStopTheRun_data();
    void signalsStopTheRun();
    void firstStatementCanPressAShortcut();
    void refusedTimeLimits_data();
    void refusedTimeLimits();

private:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };
    // `meanwhile` runs once the program has started.
    Result corvella(const QStringList &arguments, const std::function<void(QProcess &)> &meanwhile = {});
    QString writeScript(const QString &text);

    QTemporaryDir m_dir;
};

void tst_RunCommand::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

tst_RunCommand::Result tst_RunCommand::corvella(const QStringList &arguments,
                                                const std::function<void(QProcess &)> &meanwhile)
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(CORVELLA_BINARY), arguments);
    Result result;
    if (!process.waitForStarted(30000))
        return result;
    if (meanwhile)
        meanwhile(process);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString tst_RunCommand::writeScript(const QString &text)
{
    const QString path = m_dir.filePath(QStringLiteral("script.js"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    return path;
}

void tst_RunCommand::timeLimit_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");

    const QString limit = QStringLiteral("Error: the script ran into its time limit of 1 second\n");
    const QString stopped = QStringLiteral(
        "Evaluation Error: Line:%1\nError: Script evaluation is stopped by user\nBacktrace: <global>() at %1\n");
    QTest::newRow("endless loop") << "printout(\"start\");\nwhile (true) {}" << 1 << "start\n" + limit + stopped.arg(2);
    QTest::newRow("message box nobody answers")
        << "information(\"Anybody there?\");\nprintout(\"answered\");" << 1 << limit + stopped.arg(1);
    QTest::newRow("long wait") << "printout(\"waiting\");\ndelay(600000);" << 1 << "waiting\n" + limit + stopped.arg(2);
    QTest::newRow("done in time") << "printout(\"quick\");" << 0 << "quick\n";
}

void tst_RunCommand::timeLimit()
{
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, out);

    const Result result =
        corvella({QStringLiteral("--run"), writeScript(script), QStringLiteral("--timeout"), QStringLiteral("1")});
    QCOMPARE(result.out, out);
    QCOMPARE(result.status, status);
}

void tst_RunCommand::signalsStopTheRun_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("name");
    QTest::newRow("SIGINT") << int(SIGINT) << "SIGINT";
    QTest::newRow("SIGTERM") << int(SIGTERM) << "SIGTERM";
}

void tst_RunCommand::signalsStopTheRun()
{
    QFETCH(int, signal);
    QFETCH(QString, name);

    // The snapshot tells that the script has reached its loop.
    QDir protocol(m_dir.filePath(QStringLiteral("protocol")));
    protocol.removeRecursively();
    const QString script = writeScript(QStringLiteral("printout(\"printed so far\");\nsaveOutputToProtocol();\n"
                                                      "while (true) {}"));
    const Result result = corvella({QStringLiteral("--run"), script}, [&](QProcess &process) {
        QTRY_VERIFY_WITH_TIMEOUT(protocol.exists() && !protocol.isEmpty(), 30000);
        ::kill(pid_t(process.processId()), signal);
    });
    QCOMPARE(result.out, QStringLiteral("printed so far\nError: the run was interrupted by %1\n"
                                        "Evaluation Error: Line:3\nError: Script evaluation is stopped by user\n"
                                        "Backtrace: <global>() at 3\n")
                             .arg(name));
    QCOMPARE(result.status, 1);
}

void tst_RunCommand::firstStatementCanPressAShortcut()
{
    // Ctrl+S saves the document, which is this very script.
    const QString script = writeScript(QStringLiteral("shortCutPress(\"Ctrl+S\");"));
    const QDateTime past = QDateTime::currentDateTime().addYears(-1);
    {
        QFile file(script);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const Result result = corvella({QStringLiteral("--run"), script});
    QCOMPARE(result.status, 0);
    QVERIFY(QFileInfo(script).lastModified() > past.addDays(1));
}

void tst_RunCommand::refusedTimeLimits_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("err");

    const QString range = QStringLiteral("corvella: --timeout takes a whole number of seconds from 1 to 1000000\n");
    QTest::newRow("without --run") << QStringList{"--timeout", "5"} << "corvella: --timeout is only used with --run\n";
    QTest::newRow("zero") << QStringList{"--run", "x.js", "--timeout", "0"} << range;
    QTest::newRow("not a number") << QStringList{"--run", "x.js", "--timeout", "soon"} << range;
}

void tst_RunCommand::refusedTimeLimits()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, err);
    const Result result = corvella(arguments);
    QCOMPARE(result.err, err);
    QCOMPARE(result.status, 2);
}

QTEST_MAIN(tst_RunCommand)
#include "tst_runcommand.moc"
