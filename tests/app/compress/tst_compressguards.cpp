#include "FileLimits.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/stat.h>

// `corvella --compress` on inputs that never end, on a disk that fills up
// and in a read-only folder; the minifier on templates nested in "${...}".
class TestCompressGuards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedInputs_data();
    void refusedInputs();
    void utf16Input_data();
    void utf16Input();
    void fullDiskKeepsTheOldOutput();
    void readOnlyFolderStillSaves();
    void nestedTemplates_data();
    void nestedTemplates();

private:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    // Through a shell, so `prefix` can limit the process first.
    Result corvella(const QString &arguments, const QString &prefix = QString());
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QByteArray readAll(const QString &file);
    static void write(const QString &file, const QByteArray &bytes);

    QTemporaryDir m_dir;
};

void TestCompressGuards::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QCOMPARE(mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0600), 0);
    QFile huge(path(QStringLiteral("huge.js"))); // sparse: costs no disk
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(300) * 1024 * 1024));
}

QByteArray TestCompressGuards::readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void TestCompressGuards::write(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

TestCompressGuards::Result TestCompressGuards::corvella(const QString &arguments, const QString &prefix)
{
    QProcess process;
    process.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"), prefix + QStringLiteral("exec '") + QStringLiteral(CORVELLA_BINARY) +
                                             QStringLiteral("' ") + arguments});
    // A guard that fails shows as a time-out here, not as a hung suite.
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return Result{-2, {}, "timed out"};
    }
    return Result{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                  process.readAllStandardOutput(), process.readAllStandardError()};
}

void TestCompressGuards::refusedInputs_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("endless device") << QStringLiteral("/dev/zero");
    QTest::newRow("pipe without a writer") << path(QStringLiteral("pipe"));
    QTest::newRow("file over the limit") << path(QStringLiteral("huge.js"));
}

void TestCompressGuards::refusedInputs()
{
    QFETCH(QString, input);
    const QString out = path(QStringLiteral("refused.js"));
    const Result result = corvella(QStringLiteral("--compress %1 -o %2").arg(input, out));
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.startsWith("corvella: cannot read " + input.toUtf8() + ": "), result.err.constData());
    QCOMPARE(result.err.count('\n'), 1);
    QVERIFY(!QFile::exists(out));
}

void TestCompressGuards::utf16Input_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("mark");
    QTest::newRow("little endian") << QByteArray("UTF-16LE") << QByteArray("\xFF\xFE", 2);
    QTest::newRow("big endian") << QByteArray("UTF-16BE") << QByteArray("\xFE\xFF", 2);
}

void TestCompressGuards::utf16Input()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, mark);
    const QString text = QStringLiteral("var s = 'Grüße  €';   // note\nprintout( s );\n");
    const QString input = path(QStringLiteral("utf16.js"));
    write(input, mark + QTextCodec::codecForName(codec)->fromUnicode(text));
    const QString minified = compressJavaScriptText(text);

    const Result toStdout = corvella(QStringLiteral("--compress ") + input);
    QCOMPARE(toStdout.exitCode, 0);
    QCOMPARE(QString::fromUtf8(toStdout.out), minified);
    const QString out = path(QStringLiteral("utf16.out.js"));
    QCOMPARE(corvella(QStringLiteral("--compress %1 -o %2").arg(input, out)).exitCode, 0);
    QCOMPARE(readAll(out), toJavaScriptAscii(minified));
}

void TestCompressGuards::fullDiskKeepsTheOldOutput()
{
    // About 12 KB of output: small enough that the last write fails only
    // when the file is flushed at the end.
    QByteArray script;
    for (int i = 0; i < 1000; ++i)
        script += "var v" + QByteArray::number(i) + " = " + QByteArray::number(i * 7) + ";  // n\n";
    const QString input = path(QStringLiteral("big.js"));
    const QString out = path(QStringLiteral("kept.js"));
    write(input, script);
    write(out, "old();");
    // 16 blocks of 512 bytes (the shell's unit for -f).
    const Result result =
        corvella(QStringLiteral("--compress %1 -o %2").arg(input, out), QStringLiteral("trap '' XFSZ; ulimit -f 16; "));
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.startsWith("corvella: cannot write " + out.toUtf8()), result.err.constData());
    QCOMPARE(readAll(out), QByteArray("old();"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("kept.js*")}, QDir::Files | QDir::Hidden).size(), 1);
}

void TestCompressGuards::readOnlyFolderStillSaves()
{
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
    const QString input = path(QStringLiteral("small.js"));
    const QString out = path(QStringLiteral("locked/out.js"));
    write(input, "var a = 1 ;\n");
    write(out, "previous contents that are longer than the new ones");
    FileLimits::ReadOnlyFolder folder(path(QStringLiteral("locked")));
    if (!folder.ok())
        QSKIP("no way to make a read-only folder here");
    const Result result = corvella(QStringLiteral("--compress %1 -o %2").arg(input, out));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readAll(out), QByteArray("var a=1;\n"));
}

void TestCompressGuards::nestedTemplates_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("template in a call") << QStringLiteral("var a = `x ${f(`https://e.com`)} y`;\nb();")
                                        << QStringLiteral("var a=`x ${f(`https://e.com`)} y`;b();");
    QTest::newRow("blanks in the inner template")
        << QStringLiteral("var b = `${ `y  z` }`;") << QStringLiteral("var b=`${ `y  z` }`;");
    QTest::newRow("comment marks in the inner template")
        << QStringLiteral("var c = `${`/* not */`}`;") << QStringLiteral("var c=`${`/* not */`}`;");
    QTest::newRow("object braces in the code") << QStringLiteral("d = `a${ {k: `p  q`}.k }b  c`; // x\ne();")
                                               << QStringLiteral("d =`a${ {k: `p  q`}.k }b  c`;e();");
    QTest::newRow("escaped substitution")
        << QStringLiteral("e = `\\${ not  code }`;") << QStringLiteral("e =`\\${ not  code }`;");
    QTest::newRow("code after the template")
        << QStringLiteral("f = `${x}`;  /* c */  g = 1;") << QStringLiteral("f =`${x}`;g=1;");
}

void TestCompressGuards::nestedTemplates()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(compressJavaScriptText(input), expected);
    QCOMPARE(QString::fromUtf8(compressJavaScriptUtf8(input.toUtf8())), expected);
    // One unit at a time, as a stream may deliver it.
    JSMinifier minifier;
    QString out(input.size() * 2 + 64, QChar());
    QChar *end = out.data();
    for (const QChar &c : input)
        end = minifier.feed(&c, 1, end);
    end = minifier.finish(end);
    QCOMPARE(out.left(int(end - out.constData())), expected);
}

QTEST_GUILESS_MAIN(TestCompressGuards)
#include "tst_compressguards.moc"
