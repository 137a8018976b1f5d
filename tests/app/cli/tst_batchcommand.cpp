#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The --batch contract on the real program: standard output, exit status, and
// JUnit reports as an XML parser reads them.
class tst_BatchCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void batch_data();
    void batch();
    void refused_data();
    void refused();
    void report_data();
    void report();

private:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };
    Result run(const QString &program, const QStringList &arguments);
    void write(const QString &name, const QByteArray &bytes);
    QString path(const QString &name) const { return m_dir->filePath(name); }

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_BatchCommand::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(CORVELLA_BINARY)).isExecutable());
}

void tst_BatchCommand::init()
{
    m_dir.reset(new QTemporaryDir);
    QDir(m_dir->path()).mkdir(QStringLiteral("sub"));
    write(QStringLiteral("a.js"), "printout('a');");
    write(QStringLiteral("quiet.js"), "var x = 1;");
    write(QStringLiteral("aborts.js"), "abort();");
}

tst_BatchCommand::Result tst_BatchCommand::run(const QString &program, const QStringList &arguments)
{
    // No display: the command finds its way by itself, as under CI.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void tst_BatchCommand::write(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void tst_BatchCommand::batch_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");

    QTest::newRow("all done") << QByteArray("a.js\nquiet.js\n") << 0
                              << "== a.js\na\n-- Done\n== quiet.js\n-- Done\n2 scripts: 2 done, 0 errors\n";
    QTest::newRow("one error") << QByteArray("aborts.js\r\na.js\r\n") << 1
                               << "== aborts.js\nEvaluation Error: Line:1\nError: the script execution is aborted\n"
                                  "Backtrace: <global>() at 1\n-- Error\n== a.js\na\n-- Done\n"
                                  "2 scripts: 1 done, 1 error\n";
    QTest::newRow("relative to the list")
        << QByteArray("../a.js\n") << 0 << "== ../a.js\na\n-- Done\n1 script: 1 done, 0 errors\n";
    QTest::newRow("missing script") << QByteArray("none.js\n") << 1
                                    << "== none.js\nCannot open %DIR%/sub/none.js: No such file or directory\n"
                                       "-- Error\n1 script: 0 done, 1 error\n";
    QTest::newRow("empty list") << QByteArray() << 0 << "0 scripts: 0 done, 0 errors\n";
}

void tst_BatchCommand::batch()
{
    QFETCH(QByteArray, list);
    QFETCH(int, status);
    QFETCH(QString, out);
    // Scripts named without a folder live beside the list.
    for (const char *name : {"a.js", "quiet.js", "aborts.js"})
        QFile::copy(path(QString::fromLatin1(name)), path(QStringLiteral("sub/") + QString::fromLatin1(name)));
    write(QStringLiteral("sub/l.jslst"), list);
    const Result result =
        run(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--batch"), QStringLiteral("sub/l.jslst")});
    QCOMPARE(result.out, out.replace(QStringLiteral("%DIR%"), m_dir->path()));
    QCOMPARE(result.err, QString());
    QCOMPARE(result.status, status);
}

void tst_BatchCommand::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("err");

    QTest::newRow("missing list") << QStringList{"--batch", "none.jslst"} << "cannot read none.jslst: no such file";
    QTest::newRow("folder as list") << QStringList{"--batch", "sub"} << "cannot read sub: not a list file";
    QTest::newRow("with --run") << QStringList{"--batch", "l.jslst", "--run", "a.js"}
                                << "--run, --batch and --compress cannot be combined";
    QTest::newRow("--junit alone") << QStringList{"--junit", "r.xml"} << "--junit is only used with --batch or --run";
    QTest::newRow("a file too") << QStringList{"--batch", "l.jslst", "a.js"} << "unexpected argument a.js";
    QTest::newRow("report not writable") << QStringList{"--batch", "l.jslst", "--junit", "none/r.xml"}
                                         << "cannot write none/r.xml: ";
}

void tst_BatchCommand::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, err);
    write(QStringLiteral("l.jslst"), "a.js\n");
    const Result result = run(QStringLiteral(CORVELLA_BINARY), arguments);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.startsWith(QStringLiteral("corvella: ") + err), qPrintable(result.err));
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    QCOMPARE(result.out, QString());
}

void tst_BatchCommand::report_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("parsed");

    QTest::newRow("batch") << QStringList{"--batch", "l.jslst"} << 1
                           << "l 4 2 0\n"
                              "a.js . passed 'a'\n"
                              "odd.js sub passed '\ufffd <&> \ufffd'\n"
                              "aborts.js . failed 'Evaluation Error: Line:1' 3\n"
                              "none.js . failed 'Cannot open %DIR%/none.js: No such file or directory' 1\n";
    QTest::newRow("one script") << QStringList{"--run", "aborts.js"} << 1
                                << "aborts 1 1 0\naborts.js . failed 'Evaluation Error: Line:1' 3\n";
}

// Read back with Python's XML parser, as a CI server would read it.
void tst_BatchCommand::report()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, parsed);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    // Control characters and a lone surrogate cannot stand in XML.
    write(QStringLiteral("sub/odd.js"), "printout('\\u0001 <&> \\ud800');");
    write(QStringLiteral("l.jslst"), "a.js\nsub/odd.js\naborts.js\nnone.js\n");
    const Result result = run(QStringLiteral(CORVELLA_BINARY), arguments + QStringList{"--junit", "r.xml"});
    QCOMPARE(result.status, status);

    const char *reader = R"(
import sys, xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot().find('testsuite')
print(suite.get('name'), suite.get('tests'), suite.get('failures'), suite.get('skipped'))
for case in suite.findall('testcase'):
    failure = case.find('failure')
    state = 'passed' if failure is None else 'failed %r %d' % (failure.get('message'), len(failure.text.splitlines()))
    print(case.get('name'), case.get('classname'), state if failure is not None else 'passed %r' % case.findtext('system-out'))
)";
    const Result read = run(python, {QStringLiteral("-c"), QString::fromLatin1(reader), path(QStringLiteral("r.xml"))});
    QVERIFY2(read.err.isEmpty(), qPrintable(read.err));
    QCOMPARE(read.out, parsed.replace(QStringLiteral("%DIR%"), m_dir->path()));
}

QTEST_MAIN(tst_BatchCommand)
#include "tst_batchcommand.moc"
