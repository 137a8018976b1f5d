#include "TestSupport.h"

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
    void evidence_data();
    void evidence();

private:
    // Exit status (-1 when the program did not end), standard output and error.
    QStringList run(const QString &program, const QStringList &arguments, const QByteArray &platform = {});
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
    write("sub/quits.js", "quitApplication(); printout('q');");
    write("sub/syntax.js", "var = 1;");
    write("checks.js", "Test.verify(false); output.clear(); printout('later');");
    write("box.js", "information('Anybody?');");
    write("-dash.js", "abort();");
    // One native call after another: the event loop, and with it the time
    // limit's timer, never gets its turn.
    write("sub/hog.js", "for (;;) new Array(1 << 22).join('a');");
}

QStringList tst_BatchCommand::run(const QString &program, const QStringList &arguments, const QByteArray &platform)
{
    // No display: the command finds its way by itself, as under CI.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (!platform.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
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
    QTest::newRow("each row's own pane")
        << QByteArray("a.js\nsyntax.js\n") << batch
        << QStringList{"1",
                       "== a.js\na\n-- Done\n== syntax.js\nSyntax Error:Expected `identifier'\nLine:1\nColumn:5\n"
                       "-- Error\n2 scripts: 1 done, 1 error\n",
                       ""};
    QTest::newRow("quitApplication() ends the batch")
        << QByteArray("quits.js\na.js\n") << batch
        << QStringList{"1",
                       "== quits.js\nq\n-- Done\n2 scripts: 1 done, 0 errors, 1 not run (quitApplication() ended "
                       "the batch)\n",
                       ""};
    QTest::newRow("native calls past the limit")
        << QByteArray("hog.js\na.js\n") << (batch + QStringList{"--timeout", "1"})
        << QStringList{"1",
                       "== hog.js\nError: the script ran into its time limit of 1 second\nError: the script did not "
                       "stop within 5 seconds, so the run was ended\n-- Error\n"
                       "2 scripts: 0 done, 1 error, 1 not run (a script did not stop)\n",
                       ""};
    QTest::newRow("empty list") << QByteArray() << batch
                                << QStringList{"2", "",
                                               "corvella: cannot run sub/l.jslst: the list holds no scripts\n"};
    QTest::newRow("missing list") << QByteArray() << QStringList{"--batch", "no.jslst"}
                                  << QStringList{"2", "", "corvella: cannot read no.jslst: no such file\n"};
    QTest::newRow("with --run") << QByteArray() << (batch + QStringList{"--run", "a.js"})
                                << QStringList{"2", "", "corvella: --run, --batch and --compress cannot be combined\n"};
    QTest::newRow("report not writable") << QByteArray("a.js\n") << (batch + QStringList{"--junit", "no/r.xml"})
                                         << QStringList{"2", "",
                                                        "corvella: cannot write no/r.xml: No such file or directory\n"};
    // An output that names an input is refused before anything is written.
    const QString over = "corvella: %1 would overwrite the input file %2; nothing was written\n";
    // clang-format off
    QTest::newRow("report over the list") << QByteArray("a.js\n") << (batch + QStringList{"--junit", "sub/l.jslst"}) << QStringList{"2", "", over.arg("--junit sub/l.jslst", "sub/l.jslst")};
    QTest::newRow("report over a script") << QByteArray("a.js\n") << (batch + QStringList{"--junit", "sub/a.js"}) << QStringList{"2", "", over.arg("--junit sub/a.js", "%DIR%/sub/a.js")};
    QTest::newRow("evidence over the list") << QByteArray("a.js\n") << (batch + QStringList{"--evidence", "sub/l.jslst"}) << QStringList{"2", "", over.arg("--evidence sub/l.jslst", "sub/l.jslst")};
    QTest::newRow("--run report over its script") << QByteArray() << QStringList{"--run", "sub/a.js", "--junit", "sub/./a.js"} << QStringList{"2", "", over.arg("--junit sub/./a.js", "sub/a.js")};
    QTest::newRow("-o over the compressed file") << QByteArray() << QStringList{"--compress", "sub/a.js", "-o", "sub/a.js"} << QStringList{"2", "", over.arg("-o sub/a.js", "sub/a.js")};
    // clang-format on
}

void tst_BatchCommand::commandLine()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, result);
    write(QStringLiteral("sub/l.jslst"), list);
    QCOMPARE(run(QStringLiteral(CORVELLA_BINARY), arguments), result.replaceInStrings("%DIR%", m_dir->path()));
    QCOMPARE(TestSupport::readFile(m_dir->filePath("sub/l.jslst")), list);
    QCOMPARE(TestSupport::readFile(m_dir->filePath("sub/a.js")), QByteArray("printout('a');"));
}

void tst_BatchCommand::report_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QString>("parsed");

    const QByteArray list("a.js\nsub/odd.js\naborts.js\nnone.js\n\nchecks.js\n");
    const QStringList batch{"--batch", "l.jslst"};
    // A failed check is a failure; what kept a script from its end is an
    // error; names group by folder.
    QTest::newRow("batch") << list << batch << QByteArray()
                           << "1 l 6 1 3 0\n"
                              "a.js l passed 'a'\n"
                              "odd.js l.sub passed '\ufffd <&> \ufffd'\n"
                              "aborts.js l error 'Evaluation Error: Line:1' 3\n"
                              "none.js l error 'Cannot open %DIR%/none.js: No such file or directory' 1\n"
                              "(empty row 5) l error 'Cannot open an empty path: the row names no file' 1\n"
                              "checks.js l failure 'Test.verify failed: the condition is false (line 1)' 1\n";
    QTest::newRow("one script") << list << QStringList{"--run", "aborts.js"} << QByteArray()
                                << "1 aborts 1 0 1 0\naborts.js aborts error 'Evaluation Error: Line:1' 3\n";
    QTest::newRow("unreadable script") << list << QStringList{"--run", "none.js"} << QByteArray()
                                       << "2 none 1 0 1 0\nnone.js none error 'cannot read none.js' 1\n";
    // The report is replaced before the program gets far enough to fail.
    QTest::newRow("killed while starting")
        << list << QStringList{"--run", "a.js"} << QByteArray("nosuchplatform")
        << "-1 a 2 0 1 1\na.js a skipped\n"
           "(run not complete) a error 'The run had not finished when this report was written' 1\n";
    QTest::newRow("a script that never stops")
        << QByteArray("sub/hog.js\na.js\n") << (batch + QStringList{"--timeout", "1"}) << QByteArray()
        << "1 l 3 0 2 1\nhog.js l.sub error 'Error: the script ran into its time limit of 1 second' 2\na.js l skipped\n"
           "(run not complete) l error 'The run was ended: a script did not stop within 5 seconds of its time "
           "limit or a signal' 1\n";
}

// Read back with Python's XML parser, as a CI server would read it.
void tst_BatchCommand::report()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, platform);
    QFETCH(QString, parsed);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    // Control characters and a lone surrogate cannot stand in XML.
    write(QStringLiteral("sub/odd.js"), "printout('\\u0001 <&> \\ud800');");
    write(QStringLiteral("l.jslst"), list);
    // A previous run's report, all green, that must not survive.
    write(QStringLiteral("r.xml"), "<testsuites><testsuite name='old' tests='0'/></testsuites>");
    const QString status =
        run(QStringLiteral(CORVELLA_BINARY), arguments + QStringList{"--junit", "r.xml"}, platform).at(0);

    const char *reader = R"(
import sys, xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot().find('testsuite')
print(sys.argv[2], *(suite.get(a) for a in ('name', 'tests', 'failures', 'errors', 'skipped')))
for case in suite.findall('testcase'):
    head = '%s %s ' % (case.get('name'), case.get('classname'))
    found = [(kind, case.find(kind)) for kind in ('failure', 'error', 'skipped') if case.find(kind) is not None]
    if not found:
        print(head + 'passed %r' % case.findtext('system-out'))
    elif found[0][0] == 'skipped':
        print(head + 'skipped')
    else:
        print(head + '%s %r %d' % (found[0][0], found[0][1].get('message'), len(found[0][1].text.splitlines())))
)";
    const QStringList read = run(
        python, {QStringLiteral("-c"), QString::fromLatin1(reader), m_dir->filePath(QStringLiteral("r.xml")), status});
    QCOMPARE(read.at(2), QString());
    QCOMPARE(read.at(1), parsed.replace(QStringLiteral("%DIR%"), m_dir->path()));
}

void tst_BatchCommand::evidence_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder");  // how the one folder's name starts
    QTest::addColumn<int>("pictures");    // -1: no widget tree either
    QTest::addColumn<QString>("showing"); // in widgets.txt and a picture's name
    // clang-format off
    QTest::newRow("failed check") << QByteArray("a.js\naborts.js\n") << QStringList() << "aborts-" << 1 << "";
    // Taken before the stop closes what the script was waiting for.
    QTest::newRow("stopped in a message box") << QByteArray("box.js\n") << QStringList{"--timeout", "1"} << "box-" << 2 << "Information";
    // No pictures of windows another script left.
    QTest::newRow("unopenable row") << QByteArray("none.js\n") << QStringList() << "none-" << -1 << "";
    QTest::newRow("empty row") << QByteArray("\n") << QStringList() << "empty-row-1-" << -1 << "";
    QTest::newRow("name starting with -") << QByteArray("-dash.js\n") << QStringList() << "_-dash-" << 1 << "";
    // clang-format on
}

// Only the failing script leaves a folder, named in its output and report.
void tst_BatchCommand::evidence()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(QString, folder);
    QFETCH(int, pictures);
    QFETCH(QString, showing);
    write(QStringLiteral("l.jslst"), list);
    const QStringList result =
        run(QStringLiteral(CORVELLA_BINARY),
            arguments + QStringList{"--batch", "l.jslst", "--evidence", "ev", "--junit", "r.xml"});
    const QStringList folders =
        QDir(m_dir->filePath(QStringLiteral("ev"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(folders.size(), 1);
    QVERIFY2(folders.first().startsWith(folder), qPrintable(folders.first()));
    const QString path = m_dir->filePath(QStringLiteral("ev/") + folders.first());
    QVERIFY2(result.at(1).contains(QStringLiteral("Evidence: %1\n-- Error\n").arg(path)), qPrintable(result.at(1)));
    QVERIFY(TestSupport::readFile(m_dir->filePath("r.xml")).contains(("Evidence: " + path).toUtf8()));
    const QStringList files = QDir(path).entryList(QDir::Files);
    const QStringList windows = files.filter(QRegularExpression("^window-\\d+-.*\\.png$"));
    QCOMPARE(files.size(), 1 + (pictures < 0 ? 0 : 1 + pictures));
    QVERIFY(files.contains("output-pane.txt") && windows.size() == qMax(0, pictures));
    if (!showing.isEmpty()) {
        QVERIFY2(!windows.filter(showing).isEmpty(), qPrintable(windows.join(' ')));
        QVERIFY(TestSupport::readFile(path + "/widgets.txt").contains("QMessageBox"));
    }
}

QTEST_MAIN(tst_BatchCommand)
#include "tst_batchcommand.moc"
