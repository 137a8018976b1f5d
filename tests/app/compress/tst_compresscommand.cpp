#include "TestSupport.h"
#include "compress/CompressCommand.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

using TestSupport::readFile;

// `corvella --compress FILE [-o OUT]` reads 128 KiB at a time; characters,
// comments, literals and byte-order marks that fall on a border are where it
// could part from what the editor's compressor makes of the whole text.
class tst_CompressCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The command needs no display.
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
    }

    // Standard output gets the minified bytes, broken sequences copied; the
    // output file gets the ASCII export of the decoded text, in which they are
    // replacement characters.
    void bothOutputs_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected"); // empty: only compared with the editor's result
        const QByteArray bom("\xEF\xBB\xBF");
        QByteArray large;
        for (int filler = 1; large.size() < 3 * 131072; ++filler)
            large += m_script + QByteArray(filler % 7, ' ') + "\n"; // every unit meets a border sooner or later
        large.insert(131072 - 2, "'😀'\n");
        QByteArray border = "x = 1;\n";
        while (border.size() < 131072 - 1000)
            border += m_script;
        border += QByteArray(131072 - 3 - border.size(), ' ') + "s='" + bom + "';\n" + m_script;
        // clang-format off
        QTest::newRow("script") << m_script << compressJavaScriptText(QString::fromUtf8(m_script)).toUtf8();
        QTest::newRow("large file across chunks") << large << QByteArray();
        QTest::newRow("three-byte character cut after two bytes") << QByteArray(large).insert(131072 - 3, "'€'") << QByteArray();
        QTest::newRow("broken sequence across a border") << QByteArray(large).insert(2 * 131072 - 1, "\xe2\x82") << QByteArray();
        QTest::newRow("mark before blanks") << bom + "a  = 1;" << QByteArray("a  =1;");
        QTest::newRow("two marks") << bom + bom + "x" << bom + "x";
        QTest::newRow("mark at a chunk border") << border << QByteArray();
        QTest::newRow("Latin-1 and a cut sequence") << QByteArray("s = 'caf\xe9';\nt = '\xf0\x9f';") << QByteArray("s ='caf\xe9';t='\xf0\x9f';");
        QTest::newRow("cut sequence at the end of code") << QByteArray("s = x\xe2\x82") << QByteArray("s =x\xe2\x82");
        // clang-format on
    }

    void bothOutputs()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);
        const QString input = file(QStringLiteral("in.js"), bytes);
        const TestSupport::Run toStdout = corvella({QStringLiteral("--compress"), input});
        QCOMPARE(toStdout.status, 0);
        QCOMPARE(toStdout.err, QByteArray());
        QVERIFY(toStdout.out == compressJavaScriptUtf8(bytes));
        QVERIFY(expected.isEmpty() || toStdout.out == expected);

        const QString output = m_dir.filePath(QStringLiteral("out.js"));
        const TestSupport::Run toFile = corvella({QStringLiteral("--compress"), input, QStringLiteral("-o"), output});
        QCOMPARE(toFile.status, 0);
        QCOMPARE(toFile.out + toFile.err, QByteArray());
        QString text = QString::fromUtf8(bytes);
        if (bytes.startsWith("\xEF\xBB\xBF"))
            text.prepend(QChar(0xFEFF)); // fromUtf8() took it for a header
        QVERIFY(readFile(output) == toJavaScriptAscii(compressJavaScriptText(text)));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("missing file") << "\"$0\" --compress missing.js" << "corvella: cannot read missing.js: ";
        QTest::newRow("folder") << "\"$0\" --compress ." << "corvella: cannot read .: ";
        QTest::newRow("unwritable output") << "\"$0\" --compress in.js -o no/folder/out.js" << "corvella: cannot write no/folder/out.js: ";
        QTest::newRow("full standard output") << "\"$0\" --compress in.js > /dev/full" << "corvella: cannot write standard output: ";
        // clang-format on
    }

    void failures()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        file(QStringLiteral("in.js"), m_script);
        const TestSupport::Run run = TestSupport::runProgram(
            "sh", {"-c", "cd \"$1\" && " + command, QStringLiteral(CORVELLA_BINARY), m_dir.path()});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith(message.toUtf8()) && run.err.size() > message.size() + 1, run.err.constData());
        QCOMPARE(run.err.count('\n'), 1);
    }

    void inProcess()
    {
        const QString input = file(QStringLiteral("inprocess.js"), m_script);
        const QString output = m_dir.filePath(QStringLiteral("inprocessCompressed.js"));
        QCOMPARE(runCompressCommand(input, output), 0);
        QCOMPARE(readFile(output), toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(m_script))));
        QCOMPARE(runCompressCommand(m_dir.filePath(QStringLiteral("missing.js")), QString()), 2);
        QCOMPARE(runCompressCommand(input, m_dir.filePath(QStringLiteral("missing/out.js"))), 2);
    }

private:
    QString file(const QString &name, const QByteArray &bytes)
    {
        return TestSupport::writeFile(m_dir.filePath(name), bytes);
    }
    TestSupport::Run corvella(const QStringList &arguments)
    {
        return TestSupport::runProgram(QStringLiteral(CORVELLA_BINARY), arguments);
    }

    QTemporaryDir m_dir;
    QByteArray m_script = "// Greets in three languages.\n"
                          "var greetings = { fr: 'Bonjour, ça va ?', de: \"Grüß  dich\", emoji: '👋  hi' };\n"
                          "\n"
                          "function greet(lang) {\n"
                          "    /* fall back to English */\n"
                          "    return greetings[lang] || 'hello';   \n"
                          "}\n"
                          "var width = total / count / 2;\n"
                          "var pattern = /a  b/g;\n"
                          "printout( greet( 'fr' ) );\n";
};

QTEST_GUILESS_MAIN(tst_CompressCommand)
#include "tst_compresscommand.moc"
