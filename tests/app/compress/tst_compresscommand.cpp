#include "TestSupport.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QTextCodec>

#include <sys/stat.h>

using TestSupport::readFile;

// `corvella --compress FILE [-o OUT]` reads 128 KiB at a time; characters,
// comments, literals and byte-order marks that fall on a border are where it
// could part from what the editor's compressor makes of the whole text. An
// input that never ends, a full disk or a read-only folder must not cost the
// old output file.
class tst_CompressCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The command needs no display.
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        QVERIFY(m_dir.isValid());
        file(QStringLiteral("in.js"), m_script);
        QCOMPARE(mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
        QFile huge(m_dir.filePath(QStringLiteral("huge.js"))); // sparse: costs no disk
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(300) * 1024 * 1024));
        // About 12 KB of output: only the final flush goes past the 8 KB limit.
        QByteArray big;
        for (int i = 0; i < 1000; ++i)
            big += "var v" + QByteArray::number(i) + " = " + QByteArray::number(i * 7) + ";  // n\n";
        file(QStringLiteral("big.js"), big);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
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
        const QString input = file(QStringLiteral("chunks.js"), bytes);
        const TestSupport::Run toStdout = TestSupport::corvella({QStringLiteral("--compress"), input});
        QCOMPARE(toStdout.status, 0);
        QCOMPARE(toStdout.err, QByteArray());
        QVERIFY(toStdout.out == compressJavaScriptUtf8(bytes));
        QVERIFY(expected.isEmpty() || toStdout.out == expected);

        const QString output = m_dir.filePath(QStringLiteral("chunks.out"));
        const TestSupport::Run toFile = TestSupport::corvella({QStringLiteral("--compress"), input, "-o", output});
        QCOMPARE(toFile.status, 0);
        QCOMPARE(toFile.out + toFile.err, QByteArray());
        QString text = QString::fromUtf8(bytes);
        if (bytes.startsWith("\xEF\xBB\xBF"))
            text.prepend(QChar(0xFEFF)); // fromUtf8() took it for a header
        QVERIFY(readFile(output) == toJavaScriptAscii(compressJavaScriptText(text)));
    }

    void utf16Input_data()
    {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("little endian") << QByteArray("UTF-16LE") << QByteArray("\xFF\xFE", 2);
        QTest::newRow("big endian") << QByteArray("UTF-16BE") << QByteArray("\xFE\xFF", 2);
    }

    void utf16Input()
    {
        QFETCH(QByteArray, codec);
        QFETCH(QByteArray, mark);
        const QString text = QStringLiteral("var s = 'Grüße  €';   // note\nprintout( s );\n");
        const QString input = file("utf16.js", mark + QTextCodec::codecForName(codec)->fromUnicode(text));
        const QString minified = compressJavaScriptText(text);
        QCOMPARE(QString::fromUtf8(TestSupport::corvella({"--compress", input}).out), minified);
        TestSupport::corvella({"--compress", input, "-o", input + ".out"});
        QCOMPARE(readFile(input + QStringLiteral(".out")), toJavaScriptAscii(minified));
    }

    // Run by a shell in the test's folder, so that a row can limit the
    // process first; a guard that fails shows as a time-out.
    void failures_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message"); // how standard error starts; empty for success
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("kept");
        // clang-format off
        QTest::newRow("missing file") << "\"$0\" --compress missing.js -o out.js" << "corvella: cannot read missing.js: " << "out.js" << QByteArray("old();");
        QTest::newRow("folder") << "\"$0\" --compress . -o out.js" << "corvella: cannot read .: " << "out.js" << QByteArray("old();");
        QTest::newRow("endless device") << "\"$0\" --compress /dev/zero -o out.js" << "corvella: cannot read /dev/zero: " << "out.js" << QByteArray("old();");
        QTest::newRow("pipe nobody writes to") << "\"$0\" --compress pipe -o out.js" << "corvella: cannot read pipe: " << "out.js" << QByteArray("old();");
        QTest::newRow("300 MB") << "\"$0\" --compress huge.js -o out.js" << "corvella: cannot read huge.js: " << "out.js" << QByteArray("old();");
        QTest::newRow("unwritable output") << "\"$0\" --compress in.js -o no/folder/out.js" << "corvella: cannot write no/folder/out.js: " << "out.js" << QByteArray("old();");
        QTest::newRow("full standard output") << "\"$0\" --compress in.js > /dev/full" << "corvella: cannot write standard output: " << "out.js" << QByteArray("old();");
        QTest::newRow("full disk") << "trap '' XFSZ; ulimit -f 16; \"$0\" --compress big.js -o out.js" << "corvella: cannot write out.js: " << "out.js" << QByteArray("old();");
        QTest::newRow("read-only folder") << "\"$0\" --compress in.js -o locked/out.js" << "" << "locked/out.js" << toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(m_script)));
        // clang-format on
    }

    void failures()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(QString, output);
        QFETCH(QByteArray, kept);
        file(output, "old();");
        TestSupport::ReadOnlyFolder locked(m_dir.filePath(QStringLiteral("locked")));
        if (output.startsWith(QLatin1String("locked")) && !locked.ok())
            QSKIP("no way to make a read-only folder here");
        const TestSupport::Run run = TestSupport::runProgram(
            "sh", {"-c", "cd \"$1\" && " + command, QStringLiteral(CORVELLA_BINARY), m_dir.path()}, {}, 20000);
        QCOMPARE(run.status, message.isEmpty() ? 0 : 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith(message.toUtf8()) && run.err.count('\n') == (message.isEmpty() ? 0 : 1) &&
                     (message.isEmpty() || run.err.size() > message.size() + 1),
                 run.err.constData());
        QCOMPARE(readFile(m_dir.filePath(output)), kept);
        // No temporary file is left beside it.
        const QFileInfo info(m_dir.filePath(output));
        QCOMPARE(info.dir().entryList({info.fileName() + '*'}, QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    QString file(const QString &name, const QByteArray &bytes)
    {
        return TestSupport::writeFile(m_dir.filePath(name), bytes);
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
