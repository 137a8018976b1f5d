#include "TestSupport.h"
#include "cli/ProgramCheck.h"

#include <csignal>

// --app on the real program: a program that cannot be attached to ends the
// command with 2 and one line that says why; scripts run inside a program
// that was never built with Corvella; a program that dies mid-script fails
// that script and leaves the rest not run.
class tst_AppCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void kinds_data();
    void kinds();
    void refused_data();
    void refused();
    void runs_data();
    void runs();
    void programDiesMidScript();
    void freshInstancePerScript();

private:
    QString write(const QString &name, const QByteArray &bytes, bool executable = false);

    QTemporaryDir m_dir;
};

void tst_AppCommand::initTestCase()
{
    // Headless by themselves, as under CI.
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
}

QString tst_AppCommand::write(const QString &name, const QByteArray &bytes, bool executable)
{
    const QString path = TestSupport::writeFile(m_dir.filePath(name), bytes);
    if (executable)
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

void tst_AppCommand::kinds_data()
{
    QTest::addColumn<QByteArray>("libraries");
    QTest::addColumn<int>("kind");
    using K = ProgramCheck::Kind;
    // clang-format off
    QTest::newRow("Qt 5 Widgets") << QByteArray("libQt5Widgets.so.5\0libQt5Core.so.5\0", 35) << int(K::QtWidgets5);
    QTest::newRow("Qt 5 without Widgets") << QByteArray("libQt5Quick.so.5\0libQt5Core.so.5\0", 33) << int(K::Qt5WithoutWidgets);
    QTest::newRow("Qt 6") << QByteArray("libQt6Widgets.so.6\0libQt6Core.so.6\0", 35) << int(K::Qt6);
    QTest::newRow("a longer name only") << QByteArray("libQt5Widgets.so.5.15\0libc.so.6\0", 32) << int(K::NoQt);
    // clang-format on
}

void tst_AppCommand::kinds()
{
    QFETCH(QByteArray, libraries);
    QFETCH(int, kind);
    QCOMPARE(int(ProgramCheck::kindOfExecutable(QByteArray("\x7f"
                                                           "ELF\0",
                                                           5) +
                                                libraries)),
             kind);
}

void tst_AppCommand::refused_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("line");
    const QString ends = write("ends.sh", "#!/bin/sh\nexit 3\n", true);
    // clang-format off
    QTest::newRow("missing") << "no-such-program-here" << "corvella: no-such-program-here: no such program";
    QTest::newRow("not executable") << write("text.txt", "text") << "text.txt: not an executable program";
    QTest::newRow("no Qt") << "/bin/true" << "corvella: /bin/true is not a Qt 5 Widgets program: it links no Qt library";
    QTest::newRow("ends first") << ends << "ends.sh ended with exit status 3 without starting a Qt 5 Widgets application";
    // clang-format on
}

void tst_AppCommand::refused()
{
    QFETCH(QString, program);
    QFETCH(QString, line);
    const QString script = write("a.js", "printout('a');");
    for (const QString &command : {QStringLiteral("--run"), QStringLiteral("--batch")}) {
        const QString file = command == QLatin1String("--run") ? script : write("a.jslst", "a.js\n");
        const TestSupport::Run run = TestSupport::corvella({command, file, QStringLiteral("--app"), program});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.contains(line.toUtf8()), run.err.constData());
    }
}

void tst_AppCommand::runs_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    const QString orderForm = QStringLiteral(CORVELLA_ORDERFORM);
    const QString calculator =
        QStringLiteral("/usr/lib/x86_64-linux-gnu/qt5/examples/widgets/widgets/calculator/calculator");
    const QByteArray pressKeys = "function button(text) {\n"
                                 "  var all = getWidgetByWindowTitle('Calculator').findChildren();\n"
                                 "  for (var i = 0; i < all.length; ++i)\n"
                                 "    if (all[i].text == text && className(all[i]) == 'Button') return all[i];\n"
                                 "}\n"
                                 "['7', '\\u00d7', '6', '='].forEach(function (k) { mouseClick(button(k)); });\n"
                                 "waitFor(function () { return getWidgetByClassName('QLineEdit').text == '42'; }, "
                                 "5000);\n"
                                 "printout(getWidgetByClassName('QLineEdit').text);\n";
    // clang-format off
    QTest::newRow("program's arguments") << write("wrap.sh", "#!/bin/sh\nexec \"$@\"\n", true)
        << QByteArray("printout(getWidgetByObjectName('customer').text + '.');") << QStringList{"--", orderForm} << 0 << QByteArray(".\n");
    QTest::newRow("error") << orderForm << QByteArray("Test.compare(getWidgetByObjectName('status').text, 'x');") << QStringList() << 1
        << QByteArray("Test.compare failed: actual \"Ready\", expected \"x\" (line 1)\n");
    QTest::newRow("time limit") << orderForm << QByteArray("while (true) {}") << QStringList{"--timeout", "1"} << 1 << QByteArray("Error: the script ran into its time limit of 1 second\n");
    QTest::newRow("Qt's calculator") << calculator << pressKeys << QStringList() << 0 << QByteArray("42\n");
    // clang-format on
}

void tst_AppCommand::runs()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, script);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    if (!QFileInfo::exists(program))
        QSKIP("Qt's example programs are not installed (Debian package qtbase5-examples)");
    const QStringList arguments = QStringList{"--run", write("s.js", script), "--app", program} + options;
    const TestSupport::Run run = TestSupport::corvella(arguments);
    QCOMPARE(run.status, status);
    // The program's own output goes to standard error, never into the pane.
    QVERIFY2(run.out.startsWith(out), run.out.constData());
}

void tst_AppCommand::programDiesMidScript()
{
    write("a.js", "printout('a');");
    write("waits.js", "printout('waiting');\ndelay(600000);");
    const QString list = write("l.jslst", "a.js\nwaits.js\na.js\n");
    const TestSupport::Run run =
        TestSupport::corvella({"--batch", list, "--app", QStringLiteral(CORVELLA_ORDERFORM)}, [](QProcess &process) {
            // The program is the launcher's one child; it dies while the
            // second script waits (a row is printed when it has ended, and
            // the next one is asked for at once).
            QTRY_VERIFY_WITH_TIMEOUT(process.peek(1 << 20).contains("-- Done\n"), 60000);
            QTest::qWait(500);
            const QString children = QString::fromLatin1(
                TestSupport::readFile(QStringLiteral("/proc/%1/task/%1/children").arg(process.processId())));
            QVERIFY(!children.trimmed().isEmpty());
            ::kill(children.trimmed().section(QLatin1Char(' '), 0, 0).toInt(), SIGKILL);
        });
    QCOMPARE(run.status, 1);
    QVERIFY2(run.out.endsWith("ended with signal 9 (Killed) while the script ran\n-- Error\n"
                              "3 scripts: 1 done, 1 error, 1 not run (the program ended)\n"),
             run.out.constData());
}

// With --jobs nothing a script did to the program is there for the next.
void tst_AppCommand::freshInstancePerScript()
{
    write("types.js", "getWidgetByObjectName('customer').setText('Ann');");
    write("reads.js", "printout(getWidgetByObjectName('customer').text + '.');");
    const QString list = write("l.jslst", "types.js\nreads.js\n");
    const TestSupport::Run run =
        TestSupport::corvella({"--batch", list, "--jobs", "1", "--app", QStringLiteral(CORVELLA_ORDERFORM)});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("== types.js\n-- Done\n== reads.js\n.\n-- Done\n2 scripts: 2 done, 0 errors\n"));
}

QTEST_MAIN(tst_AppCommand)
#include "tst_appcommand.moc"
