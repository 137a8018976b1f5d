#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The command-line contract, checked on the real program: what --run prints
// and its exit status, and the answers that need no display at all.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void run_data();
    void run();
    void refusedArguments_data();
    void refusedArguments();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void editorWithoutDisplayExplainsItself_data();
    void editorWithoutDisplayExplainsItself();

private:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };
    Result corvella(const QStringList &arguments);
    QString writeFile(const QString &name, const QString &text);

    QTemporaryDir m_dir;
};

void tst_CommandLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(QStringLiteral(CORVELLA_BINARY)).isExecutable());
}

tst_CommandLine::Result tst_CommandLine::corvella(const QStringList &arguments)
{
    // No display of any kind: the program must find its way by itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(CORVELLA_BINARY), arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString tst_CommandLine::writeFile(const QString &name, const QString &text)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    return path;
}

void tst_CommandLine::run_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");

    QTest::newRow("prints") << "printout(\"hi\");\nprintout(1 + 1);" << 0 << "hi\n2\n";
    QTest::newRow("prints nothing") << "var x = 1;" << 0 << "\n";
    QTest::newRow("included file") << "include(\"lib_part.js\");\nprintout(part());" << 0 << "from the part\n";
    QTest::newRow("non-ASCII text") << "printout(\"gr\\u00fc\\u00df \\u20ac\");" << 0 << "grüß €\n";
    // The key press is only posted; it lands before the pane is printed.
    QTest::newRow("last posted key press") << "printout(\"a\");\nkeyPress(output, \"Z\");" << 0 << "aZ\n";
    QTest::newRow("uncaught exception")
        << "printout(\"a\");\nnull.x;" << 1
        << "a\nEvaluation Error: Line:2\nTypeError: Result of expression 'null' [null] is not an object.\n"
           "Backtrace: <global>() at 2\n";
    QTest::newRow("abort")
        << "printout(\"a\");\nabort();\nprintout(\"b\");" << 1
        << "a\nEvaluation Error: Line:2\nError: the script execution is aborted\nBacktrace: <global>() at 2\n";
    QTest::newRow("syntax error") << "printout(\"a\");\nvar = 1;" << 1
                                  << "Syntax Error:Expected `identifier'\nLine:2\nColumn:5\n";
    QTest::newRow("missing included file") << "include(\"absent.js\");\nprintout(\"ran\");" << 1
                                           << "Error: The included file\"%DIR%/absent.js\" does not exist\nran\n";
}

void tst_CommandLine::run()
{
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, out);

    writeFile(QStringLiteral("lib_part.js"), QStringLiteral("function part() { return \"from the part\"; }\n"));
    const QString path = writeFile(QStringLiteral("script.js"), script);
    const Result result = corvella({QStringLiteral("--run"), path});
    QCOMPARE(result.out, QString(out).replace(QStringLiteral("%DIR%"), m_dir.path()));
    QCOMPARE(result.status, status);
}

void tst_CommandLine::refusedArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("err");

    QTest::newRow("missing file") << QStringList{"--run", "absent.js"} << "corvella: cannot read absent.js\n";
    QTest::newRow("folder") << QStringList{"--run", "."} << "corvella: cannot read .\n";
    QTest::newRow("no file after --run") << QStringList{"--run"} << "corvella: Missing value after '--run'.\n";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "corvella: Unknown option 'frobnicate'.\n";
    QTest::newRow("file and --run") << QStringList{"--run", "a.js", "b.js"} << "corvella: unexpected argument b.js\n";
    QTest::newRow("two files") << QStringList{"a.js", "b.js"} << "corvella: only one file can be opened at a time\n";
}

void tst_CommandLine::refusedArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, err);

    const Result result = corvella(arguments);
    QCOMPARE(result.status, 2);
    QCOMPARE(result.err, err);
    QCOMPARE(result.out, QString());
}

void tst_CommandLine::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("start");

    QTest::newRow("help") << "--help"
                          << "Usage: ";
    QTest::newRow("short help") << "-h"
                                << "Usage: ";
    QTest::newRow("help-all") << "--help-all"
                              << "Usage: ";
    QTest::newRow("version") << "--version"
                             << "Corvella 1.0\n";
}

void tst_CommandLine::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, start);

    const Result result = corvella({option});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.startsWith(start), qPrintable(result.out));
    QVERIFY(result.out.endsWith(QLatin1Char('\n')));
    QCOMPARE(result.err, QString());
    if (start.startsWith(QLatin1String("Usage")))
        QVERIFY(result.out.contains(QStringLiteral("--run <FILE>")));
}

void tst_CommandLine::editorWithoutDisplayExplainsItself_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no file") << QStringList();
    QTest::newRow("a file") << QStringList{QStringLiteral("some.js")};
}

// The editor itself needs a screen; without one the user gets one line that
// says so and how to go on, not a toolkit abort.
void tst_CommandLine::editorWithoutDisplayExplainsItself()
{
    QFETCH(QStringList, arguments);
    const Result result = corvella(arguments);
    QCOMPARE(result.status, 1);
    QVERIFY(result.out.isEmpty());
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(result.err.startsWith(QStringLiteral("corvella: no display found")), qPrintable(result.err));
}

QTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
