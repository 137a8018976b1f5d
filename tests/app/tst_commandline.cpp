#include "TestSupport.h"

// The real program with no display of any kind: --run prints the output
// pane and tells by its status whether the script failed, and the answers
// that need no window come without one.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        QVERIFY(QDir::setCurrent(m_dir.path()));
        write(QStringLiteral("lib_part.js"), QStringLiteral("function part() { return \"from the part\"; }\n"));
    }

    void run_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        // clang-format off
        QTest::newRow("prints") << "printout(\"hi\");\nprintout(1 + 1);" << 0 << "hi\n2\n";
        QTest::newRow("included file") << "include(\"lib_part.js\");\nprintout(part());" << 0 << "from the part\n";
        QTest::newRow("non-ASCII text") << "printout(\"gr\\u00fc\\u00df \\u20ac\");" << 0 << "grüß €\n";
        // The key press is only posted; it lands before the pane is printed.
        QTest::newRow("last posted key press") << "printout(\"a\");\nkeyPress(output, \"Z\");" << 0 << "aZ\n";
        QTest::newRow("uncaught exception") << "printout(\"a\");\nnull.x;" << 1 << "a\nEvaluation Error: Line:2\nTypeError: Result of expression 'null' [null] is not an object.\nBacktrace: <global>() at 2\n";
        QTest::newRow("syntax error") << "printout(\"a\");\nvar = 1;" << 1 << "Syntax Error:Expected `identifier'\nLine:2\nColumn:5\n";
        QTest::newRow("missing included file") << "include(\"absent.js\");\nprintout(\"ran\");" << 1 << "Error: The included file\"%DIR%/absent.js\" does not exist\nran\n";
        // clang-format on
    }

    void run()
    {
        QFETCH(QString, script);
        QFETCH(int, status);
        QFETCH(QString, out);
        const TestSupport::Run result = corvella({QStringLiteral("--run"), write(QStringLiteral("script.js"), script)});
        QCOMPARE(QString::fromUtf8(result.out), QString(out).replace(QStringLiteral("%DIR%"), m_dir.path()));
        QCOMPARE(result.status, status);
    }

    // The editor itself needs a screen; without one the user gets one line that
    // says so and how to go on, not a toolkit abort.
    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // how standard output starts
        QTest::addColumn<QString>("err"); // how standard error starts
        // clang-format off
        QTest::newRow("missing file") << QStringList{"--run", "absent.js"} << 2 << "" << "corvella: cannot read absent.js\n";
        QTest::newRow("folder") << QStringList{"--run", "."} << 2 << "" << "corvella: cannot read .\n";
        QTest::newRow("no file after --run") << QStringList{"--run"} << 2 << "" << "corvella: Missing value after '--run'.\n";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "" << "corvella: Unknown option 'frobnicate'.\n";
        QTest::newRow("file and --run") << QStringList{"--run", "a.js", "b.js"} << 2 << "" << "corvella: unexpected argument b.js\n";
        QTest::newRow("two files") << QStringList{"a.js", "b.js"} << 2 << "" << "corvella: only one file can be opened at a time\n";
        QTest::newRow("--run and --compress") << QStringList{"--run", "a.js", "--compress", "b.js"} << 2 << "" << "corvella: --run, --batch and --compress cannot be combined\n";
        QTest::newRow("-o without --compress") << QStringList{"-o", "a.js"} << 2 << "" << "corvella: -o is only used with --compress\n";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: " << "";
        QTest::newRow("help-all") << QStringList{"--help-all"} << 0 << "Usage: " << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Corvella 1.0\n" << "";
        QTest::newRow("editor without display") << QStringList{"some.js"} << 1 << "" << "corvella: no display found";
        // clang-format on
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const TestSupport::Run result = corvella(arguments);
        QCOMPARE(result.status, status);
        QVERIFY2(result.out.startsWith(out.toUtf8()) && (out.isEmpty() == result.out.isEmpty()),
                 result.out.constData());
        QVERIFY2(result.err.startsWith(err.toUtf8()) && result.err.count('\n') == !err.isEmpty(),
                 result.err.constData());
        QVERIFY(out.isEmpty() || !out.startsWith("Usage") || result.out.contains("--run <FILE>"));
    }

private:
    QString write(const QString &name, const QString &text)
    {
        return TestSupport::writeFile(m_dir.filePath(name), text.toUtf8());
    }
    TestSupport::Run corvella(const QStringList &arguments)
    {
        return TestSupport::runProgram(QStringLiteral(CORVELLA_BINARY), arguments, QByteArray(), 120000);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
