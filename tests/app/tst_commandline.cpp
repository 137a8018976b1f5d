#include "TestSupport.h"

// The real program with no display of any kind: --run prints the output pane
// and tells by its status whether the script failed, a time limit and the
// usual signals stop it as Stop does, its window is ready before the first
// statement, and the answers that need no window come without one.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        QVERIFY(QDir::setCurrent(m_dir.path()));
        write(QStringLiteral("while (true) {}"), QStringLiteral("loop.js"));
    }

    void run_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("ending"); // a signal sent once the script loops; -1: a time limit of 1 second
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("status");
        const QString stopped = QStringLiteral("Evaluation Error: Line:%1\nError: Script evaluation is stopped by "
                                               "user\nBacktrace: <global>() at %1\n");
        // A script stopped while it computes: where it stood is not known.
        const QString computing =
            QStringLiteral("Evaluation Error: Line:?\nError: Script evaluation is stopped by user\n");
        const QString limit = QStringLiteral("Error: the script ran into its time limit of 1 second\n") + stopped;
        const QString computingLimit =
            QStringLiteral("Error: the script ran into its time limit of 1 second\n") + computing;
        // The snapshot tells the test that the script has reached its loop.
        const QString loop = QStringLiteral("printout(\"so far\");\nsaveOutputToProtocol();\nwhile (true) {}");
        // clang-format off
        QTest::newRow("prints") << "printout(\"hi\");\nprintout(1 + 1);" << 0 << "hi\n2\n" << 0;
        QTest::newRow("non-ASCII text") << "printout(\"gr\\u00fc\\u00df \\u20ac\");" << 0 << "grüß €\n" << 0;
        // The key press is only posted; it lands before the pane is printed.
        QTest::newRow("last posted key press") << "printout(\"a\");\nkeyPress(output, \"Z\");" << 0 << "aZ\n" << 0;
        QTest::newRow("uncaught exception") << "printout(\"a\");\nnull.x;" << 0
            << "a\nEvaluation Error: Line:2\nTypeError: Result of expression 'null' [null] is not an object.\nBacktrace: <global>() at 2\n" << 1;
        QTest::newRow("endless loop") << loop << -1 << "so far\n" + computingLimit << 1;
        QTest::newRow("endless loop in an included file") << "include(\"loop.js\");\nprintout(\"no\");" << -1
            << "Error: the script ran into its time limit of 1 second\nEvaluation Error in included file\n" << 1;
        QTest::newRow("box nobody answers") << "information(\"Anybody?\");\nprintout(\"no\");" << -1 << limit.arg(1) << 1;
        QTest::newRow("long wait") << "printout(\"waiting\");\ndelay(600000);" << -1 << "waiting\n" + limit.arg(2) << 1;
        QTest::newRow("done in time") << "printout(\"quick\");" << -1 << "quick\n" << 0;
        QTest::newRow("SIGINT") << loop << int(SIGINT) << "so far\nError: the run was interrupted by SIGINT\n" + computing << 1;
        QTest::newRow("SIGTERM") << loop << int(SIGTERM) << "so far\nError: the run was interrupted by SIGTERM\n" + computing << 1;
        // A click posted last opens a modal dialog once the script has ended.
        QTest::newRow("dialog after the end") << "mouseClick(getWidgetByObjectName(\"compressButton\"));\nprintout(\"end\");" << 0
            << "end\nError: the dialog \"Compressor Dialog\" opened after the script ended; it was closed\n" << 1;
        // Native calls keep the event loop, and so the stop, from running.
        const QString hog = QStringLiteral("printout(\"so far\");\nsaveOutputToProtocol();\nfor (;;) new Array(1 << 22).join(\"a\");");
        const QString ended = QStringLiteral("Error: the script did not stop within 5 seconds, so the run was ended\n");
        QTest::newRow("native calls past the limit") << hog << -1 << "so far\n" + limit.section('\n', 0, 0) + '\n' + ended << 1;
        QTest::newRow("native calls after SIGTERM") << hog << int(SIGTERM) << "so far\nError: the run was interrupted by SIGTERM\n" + ended << 1;
        // clang-format on
    }

    void run()
    {
        QFETCH(QString, script);
        QFETCH(int, ending);
        QFETCH(QString, out);
        QFETCH(int, status);
        QDir protocol(m_dir.filePath(QStringLiteral("protocol")));
        protocol.removeRecursively();
        QStringList arguments{"--run", write(script)};
        if (ending < 0)
            arguments += QStringList{"--timeout", "1"};
        const TestSupport::Run result = TestSupport::corvella(arguments, [&](QProcess &process) {
            if (ending <= 0)
                return;
            QTRY_VERIFY_WITH_TIMEOUT(protocol.exists() && !protocol.isEmpty(), 30000);
            ::kill(pid_t(process.processId()), ending);
        });
        QCOMPARE(QString::fromUtf8(result.out), out);
        QCOMPARE(result.status, status);
    }

    void helpSays_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("FILE is optional") << "[options] [FILE.js]";
        QTest::newRow("exit status 2") << "2 unreadable input";
        QTest::newRow("--timeout range") << "a whole number from 1 to 1000000";
        QTest::newRow("signals") << "SIGINT or SIGTERM stops the running script";
        QTest::newRow("list format") << "List file (.jslst): one script path per line";
        for (const char *name : {"DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME", "CORVELLA_SHOW_QT_MESSAGES",
                                 "CORVELLA_NON_NATIVE_DIALOGS"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void helpSays()
    {
        QFETCH(QString, text);
        if (m_help.isEmpty())
            m_help = QString::fromUtf8(TestSupport::corvella({"--help"}).out).simplified();
        QVERIFY2(m_help.contains(text.simplified()), qPrintable(text));
    }

    void firstStatementCanPressAShortcut()
    {
        // Ctrl+S saves the document, which is this very script.
        const QString script = write(QStringLiteral("shortCutPress(\"Ctrl+S\");"));
        const QDateTime past = QDateTime::currentDateTime().addYears(-1);
        QFile file(script);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(past, QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(TestSupport::corvella({"--run", script}).status, 0);
        QVERIFY(QFileInfo(script).lastModified() > past.addDays(1));
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
        const TestSupport::Run result = TestSupport::corvella(arguments);
        QCOMPARE(result.status, status);
        QVERIFY2(result.out.startsWith(out.toUtf8()) && (out.isEmpty() == result.out.isEmpty()),
                 result.out.constData());
        QVERIFY2(result.err.startsWith(err.toUtf8()) && result.err.count('\n') == !err.isEmpty(),
                 result.err.constData());
        QVERIFY(out.isEmpty() || !out.startsWith("Usage") || result.out.contains("--run <FILE>"));
    }

private:
    QString write(const QString &text, const QString &name = QStringLiteral("script.js"))
    {
        return TestSupport::writeFile(m_dir.filePath(name), text.toUtf8());
    }

    QTemporaryDir m_dir;
    QString m_help;
};

QTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
