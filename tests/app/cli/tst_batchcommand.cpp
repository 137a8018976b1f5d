#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The --batch contract on the real program: standard output, standard error
// and exit status, and JUnit reports as an XML parser reads them.
class tst_BatchCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commandLine_data();
    void commandLine();
    void report_data();
    void report();
    void evidenceOfFailuresOnly();

private:
    // Exit status (-1 when the program did not end), standard output and error.
    QStringList run(const QString &program, const QStringList &arguments);
    void write(const QString &name, const QByteArray &bytes);

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_BatchCommand::init()
{
    m_dir.reset(new QTemporaryDir);
    QDir(m_dir->path()).mkdir(QStringLiteral("sub"));
    for (const char *folder : {"", "sub/"}) {
        write(QString::fromLatin1(folder) + "a.js", "printout('a');");
        write(QString::fromLatin1(folder) + "quiet.js", "var x = 1;");
        write(QString::fromLatin1(folder) + "aborts.js", "abort();");
        write(QString::fromLatin1(folder) + "loops.js", "while (true) {}");
    }
}

QStringList tst_BatchCommand::run(const QString &program, const QStringList &arguments)
{
    // No display: the command finds its way by itself, as under CI.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    return {QString::number(ended ? process.exitCode() : -1), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void tst_BatchCommand::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void tst_BatchCommand::commandLine_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("result");

    const QStringList batch{"--batch", "sub/l.jslst"};
    QTest::newRow("all done") << QByteArray("a.js\nquiet.js\n") << batch
                              << QStringList{"0",
                                             "== a.js\na\n-- Done\n== quiet.js\n-- Done\n2 scripts: 2 done, 0 errors\n",
                                             ""};
    QTest::newRow("one error, CR LF")
        << QByteArray("aborts.js\r\na.js\r\n") << batch
        << QStringList{"1",
                       "== aborts.js\nEvaluation Error: Line:1\nError: the script execution is aborted\n"
                       "Backtrace: <global>() at 1\n-- Error\n== a.js\na\n-- Done\n2 scripts: 1 done, 1 error\n",
                       ""};
    QTest::newRow("relative to the list")
        << QByteArray("../a.js\n") << batch
        << QStringList{"0", "== ../a.js\na\n-- Done\n1 script: 1 done, 0 errors\n", ""};
    QTest::newRow("missing script")
        << QByteArray("none.js\n") << batch
        << QStringList{"1",
                       "== none.js\nCannot open %DIR%/sub/none.js: No such file or directory\n-- Error\n"
                       "1 script: 0 done, 1 error\n",
                       ""};
    // A NUL byte ends its line, and one at the start of a line ends the list.
    QTest::newRow("NUL bytes") << QByteArray("a.js\0x\n\0quiet.js\n", 17) << batch
                               << QStringList{"0", "== a.js\na\n-- Done\n1 script: 1 done, 0 errors\n", ""};
    QTest::newRow("UTF-8 names") << QByteArray("gr\xc3\xbc\xc3\x9f.js") << batch
                                 << QStringList{"1",
                                                "== grüß.js\nCannot open %DIR%/sub/grüß.js: No such file or directory\n"
                                                "-- Error\n1 script: 0 done, 1 error\n",
                                                ""};
    QTest::newRow("time limit per script")
        << QByteArray("loops.js\na.js\n") << (batch + QStringList{"--timeout", "1"})
        << QStringList{"1",
                       "== loops.js\nError: the script ran into its time limit of 1 second\nEvaluation Error: Line:?\n"
                       "Error: Script evaluation is stopped by user\n-- Error\n"
                       "== a.js\na\n-- Done\n2 scripts: 1 done, 1 error\n",
                       ""};
    QTest::newRow("empty list") << QByteArray() << batch << QStringList{"0", "0 scripts: 0 done, 0 errors\n", ""};
    QTest::newRow("missing list") << QByteArray() << QStringList{"--batch", "no.jslst"}
                                  << QStringList{"2", "", "corvella: cannot read no.jslst: no such file\n"};
    QTest::newRow("with --run") << QByteArray() << (batch + QStringList{"--run", "a.js"})
                                << QStringList{"2", "", "corvella: --run, --batch and --compress cannot be combined\n"};
    QTest::newRow("report not writable") << QByteArray("a.js\n") << (batch + QStringList{"--junit", "no/r.xml"})
                                         << QStringList{"2", "",
                                                        "corvella: cannot write no/r.xml: No such file or directory\n"};
}

void tst_BatchCommand::commandLine()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, result);
    write(QStringLiteral("sub/l.jslst"), list);
    QCOMPARE(run(QStringLiteral(CORVELLA_BINARY), arguments), result.replaceInStrings("%DIR%", m_dir->path()));
}

void tst_BatchCommand::report_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("parsed");

    QTest::newRow("batch") << QStringList{"--batch", "l.jslst"}
                           << "1 l 4 2 0\n"
                              "a.js . passed 'a'\n"
                              "odd.js sub passed '\ufffd <&> \ufffd'\n"
                              "aborts.js . failed 'Evaluation Error: Line:1' 3\n"
                              "none.js . failed 'Cannot open %DIR%/none.js: No such file or directory' 1\n";
    QTest::newRow("one script") << QStringList{"--run", "aborts.js"}
                                << "1 aborts 1 1 0\naborts.js . failed 'Evaluation Error: Line:1' 3\n";
}

// Read back with Python's XML parser, as a CI server would read it.
void tst_BatchCommand::report()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, parsed);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    // Control characters and a lone surrogate cannot stand in XML.
    write(QStringLiteral("sub/odd.js"), "printout('\\u0001 <&> \\ud800');");
    write(QStringLiteral("l.jslst"), "a.js\nsub/odd.js\naborts.js\nnone.js\n");
    const QString status = run(QStringLiteral(CORVELLA_BINARY), arguments + QStringList{"--junit", "r.xml"}).at(0);

    const char *reader = R"(
import sys, xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot().find('testsuite')
print(sys.argv[2], suite.get('name'), suite.get('tests'), suite.get('failures'), suite.get('skipped'))
for case in suite.findall('testcase'):
    failure = case.find('failure')
    state = 'passed %r' % case.findtext('system-out') if failure is None else \
        'failed %r %d' % (failure.get('message'), len(failure.text.splitlines()))
    print(case.get('name'), case.get('classname'), state)
)";
    const QStringList read = run(
        python, {QStringLiteral("-c"), QString::fromLatin1(reader), m_dir->filePath(QStringLiteral("r.xml")), status});
    QCOMPARE(read.at(2), QString());
    QCOMPARE(read.at(1), parsed.replace(QStringLiteral("%DIR%"), m_dir->path()));
}

// Only the failing script leaves a folder, named in its output and report.
void tst_BatchCommand::evidenceOfFailuresOnly()
{
    write(QStringLiteral("l.jslst"), "a.js\naborts.js\n");
    const QStringList result =
        run(QStringLiteral(CORVELLA_BINARY), {"--batch", "l.jslst", "--evidence", "ev", "--junit", "r.xml"});
    const QStringList folders =
        QDir(m_dir->filePath(QStringLiteral("ev"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(folders.size(), 1);
    QVERIFY(folders.first().startsWith(QLatin1String("aborts-")));
    const QString path = m_dir->filePath(QStringLiteral("ev/") + folders.first());
    QVERIFY2(result.at(1).contains(QStringLiteral("Evidence: %1\n-- Error\n").arg(path)), qPrintable(result.at(1)));
    const QDir evidence(path);
    QCOMPARE(evidence.entryList(QDir::Files)
                 .filter(QRegularExpression("^(window-1-.*png|widgets.txt|output-pane.txt)$"))
                 .size(),
             3);
    QFile report(m_dir->filePath(QStringLiteral("r.xml")));
    QVERIFY(report.open(QIODevice::ReadOnly) && report.readAll().contains(("Evidence: " + path).toUtf8()));
}

QTEST_MAIN(tst_BatchCommand)
#include "tst_batchcommand.moc"
