#include "compress/CompressCommand.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

// `corvella --compress FILE [-o OUT]`, through the real program and through
// runCompressCommand() in this process.
class TestCompressCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void standardOutputIsTheMinifiedText();
    void needsNoDisplay();
    void outputFileIsTheAsciiExport();
    void largeFileStreamsAcrossChunks();
    void byteOrderMark_data();
    void byteOrderMark();
    void invalidUtf8_data();
    void invalidUtf8();
    void unreadableInput_data();
    void unreadableInput();
    void unwritableOutput();
    void fullStandardOutput();
    void inProcess();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Result corvella(const QStringList &arguments,
                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    QTemporaryDir m_dir;
    QByteArray m_script;
};

void TestCompressCommand::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_script = QByteArray("// Greets in three languages.\n"
                          "var greetings = { fr: 'Bonjour, ça va ?', de: \"Grüß  dich\", emoji: '👋  hi' };\n"
                          "\n"
                          "function greet(lang) {\n"
                          "    /* fall back to English */\n"
                          "    return greetings[lang] || 'hello';   \n"
                          "}\n"
                          "var width = total / count / 2;\n"
                          "var pattern = /a  b/g;\n"
                          "printout( greet( 'fr' ) );\n");
}

QString TestCompressCommand::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

TestCompressCommand::Result TestCompressCommand::corvella(const QStringList &arguments,
                                                          const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CORVELLA_BINARY), arguments);
    Result result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestCompressCommand::standardOutputIsTheMinifiedText()
{
    const QString input = writeFile(QStringLiteral("greet.js"), m_script);
    const Result result = corvella({QStringLiteral("--compress"), input});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    // Exactly the editor's result in UTF-8: nothing added, not even a line feed.
    QCOMPARE(result.out, compressJavaScriptText(QString::fromUtf8(m_script)).toUtf8());
    QVERIFY(result.out.contains("'Bonjour, ça va ?'"));
    QVERIFY(result.out.contains("return greetings[lang] || 'hello';}"));
    QVERIFY(result.out.endsWith("printout(greet('fr'));\n"));
}

void TestCompressCommand::needsNoDisplay()
{
    const QString input = writeFile(QStringLiteral("nodisplay.js"), m_script);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const Result result = corvella({QStringLiteral("--compress"), input}, environment);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, compressJavaScriptUtf8(m_script));
}

void TestCompressCommand::outputFileIsTheAsciiExport()
{
    const QString input = writeFile(QStringLiteral("export.js"), m_script);
    const QString output = m_dir.filePath(QStringLiteral("exportCompressed.js"));
    const Result result = corvella({QStringLiteral("--compress"), input, QStringLiteral("-o"), output});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, QByteArray());
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written, toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(m_script))));
    QVERIFY(written.contains("'Bonjour, \\u00E7a va ?'"));
    QVERIFY(written.contains("'\\uD83D\\uDC4B  hi'"));
}

// The command reads 128 KiB at a time: multi-byte characters, comments,
// literals and blanks fall on chunk borders here.
void TestCompressCommand::largeFileStreamsAcrossChunks()
{
    QByteArray bytes;
    int filler = 0;
    while (bytes.size() < 3 * 131072) {
        bytes += m_script;
        // Shifts the next copy by one byte, so that every kind of unit
        // meets a border sooner or later.
        bytes += QByteArray(++filler % 7, ' ') + "\n";
    }
    // A four-byte character across the first border.
    bytes.insert(131072 - 2, "'😀'\n");
    const QString input = writeFile(QStringLiteral("large.js"), bytes);
    const QString text = QString::fromUtf8(bytes);

    const Result toStdout = corvella({QStringLiteral("--compress"), input});
    QCOMPARE(toStdout.exitCode, 0);
    QVERIFY(toStdout.out == compressJavaScriptText(text).toUtf8());

    const QString output = m_dir.filePath(QStringLiteral("largeCompressed.js"));
    const Result toFile = corvella({QStringLiteral("--compress"), input, QStringLiteral("-o"), output});
    QCOMPARE(toFile.exitCode, 0);
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == toJavaScriptAscii(compressJavaScriptText(text)));
    file.close();

    // A broken sequence across the second border decodes as in one piece.
    QByteArray broken = bytes;
    broken.insert(2 * 131072 - 1, "\xe2\x82");
    const QString brokenInput = writeFile(QStringLiteral("broken.js"), broken);
    QCOMPARE(corvella({QStringLiteral("--compress"), brokenInput, QStringLiteral("-o"), output}).exitCode, 0);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(broken))));
}

// A byte-order mark at the start goes on both paths, one inside the file
// stays on both, also where a chunk of the decoded path starts with it.
void TestCompressCommand::byteOrderMark_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("minified");
    QTest::addColumn<int>("marksKept");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("mark at the start") << bom + m_script << compressJavaScriptUtf8(m_script) << 0;
    // Positions count from after the mark: both spaces are among the first three.
    QTest::newRow("mark before blanks") << bom + "a  = 1;" << QByteArray("a  =1;") << 0;
    QTest::newRow("only a mark") << bom << QByteArray() << 0;
    QTest::newRow("two marks") << bom + bom + "x" << bom + "x" << 1;

    QByteArray border = "x = 1;\n";
    while (border.size() < 131072 - 1000)
        border += m_script;
    border += QByteArray(131072 - 3 - border.size(), ' ');
    border += "s='" + bom + "';\n" + m_script; // the second chunk starts with the mark
    QTest::newRow("mark at a chunk border") << border << compressJavaScriptUtf8(border) << 1;
}

void TestCompressCommand::byteOrderMark()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, minified);
    QFETCH(int, marksKept);
    const QString input = writeFile(QStringLiteral("bom.js"), bytes);
    const Result toStdout = corvella({QStringLiteral("--compress"), input});
    QCOMPARE(toStdout.exitCode, 0);
    QVERIFY(toStdout.out == minified);
    QCOMPARE(int(toStdout.out.count("\xEF\xBB\xBF")), marksKept);

    // The file holds the same text as standard output, in ASCII.
    const QString output = m_dir.filePath(QStringLiteral("bomCompressed.js"));
    const Result toFile = corvella({QStringLiteral("--compress"), input, QStringLiteral("-o"), output});
    QCOMPARE(toFile.exitCode, 0);
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(toStdout.out);
    if (toStdout.out.startsWith("\xEF\xBB\xBF"))
        text.prepend(QChar(0xFEFF)); // fromUtf8() took it for a header
    QVERIFY(file.readAll() == toJavaScriptAscii(text));
}

// Standard output copies the bytes of broken sequences; the ASCII export
// writes the replacement characters that QString::fromUtf8() makes of them.
void TestCompressCommand::invalidUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("minified");
    QTest::newRow("Latin-1 and a cut sequence")
        << QByteArray("s = 'caf\xe9';\nt = '\xf0\x9f';") << QByteArray("s ='caf\xe9';t='\xf0\x9f';");
    QTest::newRow("cut sequence at the end") << QByteArray("s = 1; // \xe2\x82") << QByteArray("s =1;");
    QTest::newRow("cut sequence at the end of code") << QByteArray("s = x\xe2\x82") << QByteArray("s =x\xe2\x82");
}

void TestCompressCommand::invalidUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, minified);
    const QString input = writeFile(QStringLiteral("latin1.js"), bytes);
    const Result toStdout = corvella({QStringLiteral("--compress"), input});
    QCOMPARE(toStdout.exitCode, 0);
    QCOMPARE(toStdout.out, minified);

    const QString output = m_dir.filePath(QStringLiteral("latin1Compressed.js"));
    QCOMPARE(corvella({QStringLiteral("--compress"), input, QStringLiteral("-o"), output}).exitCode, 0);
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString decoded = QString::fromUtf8(bytes);
    QVERIFY(decoded.contains(QChar::ReplacementCharacter));
    QCOMPARE(file.readAll(), toJavaScriptAscii(compressJavaScriptText(decoded)));
}

void TestCompressCommand::unreadableInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("missing.js"));
    QTest::newRow("folder") << m_dir.path();
}

void TestCompressCommand::unreadableInput()
{
    QFETCH(QString, input);
    const Result result = corvella({QStringLiteral("--compress"), input});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    const QByteArray prefix = "corvella: cannot read " + input.toUtf8() + ": ";
    QVERIFY2(result.err.startsWith(prefix), result.err.constData());
    QVERIFY(result.err.size() > prefix.size() + 1);
    QCOMPARE(result.err.count('\n'), 1);
    QVERIFY(result.err.endsWith('\n'));
}

void TestCompressCommand::unwritableOutput()
{
    const QString input = writeFile(QStringLiteral("unwritable.js"), m_script);
    const QString output = m_dir.filePath(QStringLiteral("no/such/folder/out.js"));
    const Result result = corvella({QStringLiteral("--compress"), input, QStringLiteral("-o"), output});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QVERIFY2(result.err.startsWith("corvella: cannot write " + output.toUtf8() + ": "), result.err.constData());
    QCOMPARE(result.err.count('\n'), 1);
}

void TestCompressCommand::fullStandardOutput()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("this system has no /dev/full");
    const QString input = writeFile(QStringLiteral("full.js"), m_script);
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--compress"), input});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 2);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.startsWith("corvella: cannot write standard output: "), err.constData());
    QCOMPARE(err.count('\n'), 1);
}

void TestCompressCommand::inProcess()
{
    const QString input = writeFile(QStringLiteral("inprocess.js"), m_script);
    const QString output = m_dir.filePath(QStringLiteral("inprocessCompressed.js"));
    QCOMPARE(runCompressCommand(input, output), 0);
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(m_script))));

    QCOMPARE(runCompressCommand(m_dir.filePath(QStringLiteral("missing.js")), QString()), 2);
    QCOMPARE(runCompressCommand(input, m_dir.filePath(QStringLiteral("missing/out.js"))), 2);
}

QTEST_GUILESS_MAIN(TestCompressCommand)
#include "tst_compresscommand.moc"
