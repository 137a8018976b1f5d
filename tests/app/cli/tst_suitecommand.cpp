#include "TestSupport.h"

#include <csignal>
#include <sys/stat.h>

// Suites at scale on the real program: --jobs, --shard, --durations,
// --retries and --merge-junit, with workers killed and signals sent from
// here, and reports read back as a CI server reads them.
class tst_SuiteCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commandLine_data();
    void commandLine();
    void reports_data();
    void reports();
    void workerKilled();
    void interrupted();
    void streamReport();

private:
    QStringList run(const QStringList &arguments, const std::function<void(QProcess &)> &meanwhile = {});
    void write(const QString &name, const QByteArray &bytes);
    // The protocol files scripts have saved so far.
    int saved() const;

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_SuiteCommand::init()
{
    m_dir.reset(new QTemporaryDir);
    write("a.js", "printout('a');");
    write("b.js", "printout('b');");
    write("slow.js", "delay(1500); printout('slow');");
    write("fails.js", "Test.verify(false);");
    // Fails the first time only: it leaves a protocol file behind.
    write("flaky.js", "if (getFileNames('protocol', 'flaky*').length == 0) { saveOutputToProtocol(); "
                      "Test.verify(false); }\nprintout('passed');");
    write("sets.js", "shared = 1;");
    write("sees.js", "printout(typeof shared);");
    write("quits.js", "quitApplication(); printout('q');");
    write("hog.js", "printout('hogging');\nfor (;;) new Array(1 << 22).join('a');");
    write("first.js", "saveOutputToProtocol();");
    write("second.js", "printout(getFileNames('protocol', 'first*').length ? 'after first' : 'before first');");
    for (const char *name : {"waits.js", "holds.js"})
        write(name, "printout('waiting'); saveOutputToProtocol();\ndelay(600000);");
    write("d.xml", "<testsuite name='l'><testcase classname='l' name='first.js' time='5'/>"
                   "<testcase classname='l' name='second.js' time='0.1'/></testsuite>");
}

QStringList tst_SuiteCommand::run(const QStringList &arguments, const std::function<void(QProcess &)> &meanwhile)
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(CORVELLA_BINARY), arguments);
    if (process.waitForStarted(10000) && meanwhile)
        meanwhile(process);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    return {QString::number(ended ? process.exitCode() : -1), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void tst_SuiteCommand::write(const QString &name, const QByteArray &bytes)
{
    TestSupport::writeFile(m_dir->filePath(name), bytes);
}

int tst_SuiteCommand::saved() const
{
    return QDir(m_dir->filePath(QStringLiteral("protocol"))).entryList(QDir::Files).size();
}

void tst_SuiteCommand::commandLine_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("result"); // status, standard output, standard error

    const QString verify = "Test.verify failed: the condition is false (line 1)";
    const QString blocks = "== slow.js\nslow\n-- Done\n== a.js\na\n-- Done\n== fails.js\n%1\n-- Error\n";
    const QString flaky = "== flaky.js\nAttempt 1 of 2 failed: %1\npassed\n-- Flaky\n== a.js\na\n-- Done\n";
    const QString limit = "Error: the script ran into its time limit of 1 second\nEvaluation Error: Line:2\n"
                          "Error: Script evaluation is stopped by user\nBacktrace: <global>() at 2\n";
    // clang-format off
    QTest::newRow("list order, whatever ends first") << QByteArray("slow.js\na.js\nfails.js\n") << QStringList{"--jobs", "3"}
        << QStringList{"1", blocks.arg(verify) + "3 scripts: 2 done, 1 error\n", ""};
    QTest::newRow("a fresh editor per script") << QByteArray("sets.js\nsees.js\n") << QStringList{"--jobs", "1"}
        << QStringList{"0", "== sets.js\n-- Done\n== sees.js\nundefined\n-- Done\n2 scripts: 2 done, 0 errors\n", ""};
    QTest::newRow("quitApplication() ends its own editor") << QByteArray("quits.js\na.js\n") << QStringList{"--jobs", "2"}
        << QStringList{"0", "== quits.js\nq\n-- Done\n== a.js\na\n-- Done\n2 scripts: 2 done, 0 errors\n", ""};
    QTest::newRow("time limit") << QByteArray("waits.js\na.js\n") << QStringList{"--jobs", "2", "--timeout", "1"}
        << QStringList{"1", "== waits.js\nwaiting\n" + limit + "-- Error\n== a.js\na\n-- Done\n2 scripts: 1 done, 1 error\n", ""};
    QTest::newRow("stuck in native code") << QByteArray("hog.js\na.js\n") << QStringList{"--jobs", "2", "--timeout", "1"}
        << QStringList{"1", "== hog.js\nhogging\nError: the script ran into its time limit of 1 second\nError: "
            "the script did not stop within 5 seconds, so its process was ended\n-- Error\n== a.js\na\n-- Done\n"
            "2 scripts: 1 done, 1 error\n", ""};
    QTest::newRow("flaky") << QByteArray("flaky.js\na.js\n") << QStringList{"--retries", "1"} << QStringList{"0", flaky.arg(verify) + "2 scripts: 2 done, 0 errors, 1 flaky\n", ""};
    QTest::newRow("flaky, failing the run") << QByteArray("flaky.js\na.js\n") << QStringList{"--retries", "3", "--jobs", "2", "--fail-on-flaky"}
        << QStringList{"1", flaky.arg(verify) + "2 scripts: 2 done, 0 errors, 1 flaky\n", ""};
    QTest::newRow("fails every time") << QByteArray("fails.js\n") << QStringList{"--retries", "2"}
        << QStringList{"1", QString("== fails.js\nAttempt 1 of 3 failed: %1\nAttempt 2 of 3 failed: %1\n%1\n-- Error\n1 script: 0 done, 1 error\n").arg(verify), ""};
    QTest::newRow("shard 2 of 3") << QByteArray("a.js\nb.js\na.js\nb.js\na.js\n") << QStringList{"--shard", "2/3"}
        << QStringList{"0", "== b.js\nb\n-- Done\n== a.js\na\n-- Done\n2 scripts: 2 done, 0 errors\n", ""};
    QTest::newRow("empty shard") << QByteArray("a.js\n") << QStringList{"--shard", "1/2", "--jobs", "2"} << QStringList{"0", "0 scripts: 0 done, 0 errors\n", ""};
    QTest::newRow("longest first") << QByteArray("second.js\nfirst.js\n") << QStringList{"--jobs", "1", "--durations", "d.xml"}
        << QStringList{"0", "== second.js\nafter first\n-- Done\n== first.js\n-- Done\n2 scripts: 2 done, 0 errors\n", ""};
    QTest::newRow("list order without times") << QByteArray("second.js\nfirst.js\n") << QStringList{"--jobs", "1"}
        << QStringList{"0", "== second.js\nbefore first\n-- Done\n== first.js\n-- Done\n2 scripts: 2 done, 0 errors\n", ""};
    QTest::newRow("shard out of range") << QByteArray("a.js\n") << QStringList{"--shard", "4/3"}
        << QStringList{"2", "", "corvella: --shard 4/3: give K/N with whole numbers 1 <= K <= N, such as 2/5\n"};
    QTest::newRow("too many jobs") << QByteArray("a.js\n") << QStringList{"--jobs", "257"} << QStringList{"2", "", "corvella: --jobs takes a whole number from 0 (one per processor) to 256\n"};
    QTest::newRow("unreadable durations") << QByteArray("a.js\n") << QStringList{"--durations", "a.js"}
        << QStringList{"2", "", "corvella: cannot read a.js: it is not well-formed XML (line 1: Start tag expected.)\n"};
    // clang-format on
}

void tst_SuiteCommand::commandLine()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, result);
    write(QStringLiteral("l.jslst"), list);
    QCOMPARE(run(QStringList{"--batch", "l.jslst"} + arguments), result);
}

void tst_SuiteCommand::reports_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments"); // each line one command
    QTest::addColumn<int>("status");            // the last command's
    QTest::addColumn<QString>("report");        // its report
    QTest::addColumn<QString>("parsed");        // empty: no report at all
    // clang-format off
    QTest::newRow("flaky passes with its failed attempt") << QByteArray("flaky.js\n") << QStringList{"--batch l.jslst --retries 1 --junit r.xml"} << 0
        << "r.xml" << "1 0 0\nflaky.js passed flakyFailure 'Test.verify failed: the condition is false (line 1)'\n";
    QTest::newRow("shards merged") << QByteArray("a.js\nfails.js\nb.js\n")
        << QStringList{"--batch l.jslst --shard 1/2 --junit s1.xml", "--batch l.jslst --shard 2/2 --junit s2.xml", "--merge-junit m.xml s1.xml s2.xml"}
        << 0 << "m.xml" << "3 1 0\na.js passed\nfails.js failure\nb.js passed\n";
    QTest::newRow("unreadable input") << QByteArray("a.js\n") << QStringList{"--batch l.jslst --junit s1.xml", "--merge-junit m.xml s1.xml a.js"} << 2 << "m.xml" << "";
    // clang-format on
}

// Read back with Python's XML parser, as a CI server would read them.
void tst_SuiteCommand::reports()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, report);
    QFETCH(QString, parsed);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    write(QStringLiteral("l.jslst"), list);
    QStringList last;
    for (const QString &command : arguments)
        last = run(command.split(' '));
    QCOMPARE(last.at(0).toInt(), status);
    const char *reader = R"(
import sys, xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot().find('testsuite')
print(*(suite.get(a) for a in ('tests', 'failures', 'errors')))
for case in suite.findall('testcase'):
    kinds = [child for child in case if child.tag != 'system-out']
    line = '%s %s' % (case.get('name'), kinds[0].tag if kinds and kinds[0].tag in ('failure', 'error') else 'passed')
    for flaky in case.findall('flakyFailure'):
        line += ' flakyFailure %r' % flaky.findtext('stackTrace')
    print(line)
)";
    const QString path = m_dir->filePath(report);
    QCOMPARE(QFileInfo::exists(path), !parsed.isEmpty());
    if (parsed.isEmpty())
        return;
    QProcess python3;
    python3.start(python, {QStringLiteral("-c"), QString::fromLatin1(reader), path});
    QVERIFY(python3.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(python3.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(python3.readAllStandardOutput()), parsed);
}

// A worker killed mid-script fails that script; the suite goes on.
void tst_SuiteCommand::workerKilled()
{
    write(QStringLiteral("l.jslst"), "a.js\nwaits.js\nb.js\n");
    const QStringList result = run({"--batch", "l.jslst", "--jobs", "1"}, [this](QProcess &process) {
        QTRY_VERIFY_WITH_TIMEOUT(saved() == 1, 60000);
        // The running worker, and a spare started ahead, if any.
        const QString children = QString::fromLatin1(
            TestSupport::readFile(QStringLiteral("/proc/%1/task/%1/children").arg(process.processId())));
        for (const QString &child : children.split(' ', Qt::SkipEmptyParts))
            ::kill(child.toInt(), SIGKILL);
    });
    QCOMPARE(result.at(0), QString("1"));
    QCOMPARE(result.at(1), QString("== a.js\na\n-- Done\n== waits.js\nError: the script's process ended with signal 9 "
                                   "(Killed) while the script ran\n-- Error\n== b.js\nb\n-- Done\n"
                                   "3 scripts: 2 done, 1 error\n"));
}

// SIGINT stops every running script, prints what finished and says what
// did not run.
void tst_SuiteCommand::interrupted()
{
    write(QStringLiteral("l.jslst"), "waits.js\nholds.js\na.js\nb.js\n");
    const QStringList result =
        run({"--batch", "l.jslst", "--jobs", "2", "--junit", "r.xml"}, [this](QProcess &process) {
            QTRY_VERIFY_WITH_TIMEOUT(saved() == 2, 60000);
            ::kill(pid_t(process.processId()), SIGINT);
        });
    const QString stopped = "== %1.js\nwaiting\nError: the run was interrupted by SIGINT\nEvaluation Error: Line:2\n"
                            "Error: Script evaluation is stopped by user\nBacktrace: <global>() at 2\n-- Error\n";
    QCOMPARE(result.at(0), QString("1"));
    QCOMPARE(result.at(1), stopped.arg("waits") + stopped.arg("holds") +
                               "4 scripts: 0 done, 2 errors, 2 not run (interrupted by SIGINT)\n");
    QVERIFY(TestSupport::readFile(m_dir->filePath("r.xml")).contains("2 of 4 scripts did not run"));
}

// A FIFO's reader gets one whole report, the last, and the run never waits
// for a reader that has gone.
void tst_SuiteCommand::streamReport()
{
    write(QStringLiteral("l.jslst"), "slow.js\na.js\n");
    const QString fifo = m_dir->filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());
    QCOMPARE(run({"--batch", "l.jslst", "--junit", "fifo"}).at(0), QString("0"));
    QVERIFY(reader.waitForFinished(30000));
    const QByteArray xml = reader.readAllStandardOutput();
    QCOMPARE(xml.count("<?xml"), 1);
    QVERIFY2(xml.contains("tests=\"2\" failures=\"0\" errors=\"0\""), xml.constData());
}

QTEST_MAIN(tst_SuiteCommand)
#include "tst_suitecommand.moc"
