#include "FileLimits.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/stat.h>

// `corvella --compress` on inputs that never end, on a full disk and in a
// read-only folder; the minifier on templates nested in "${...}".
class TestCompressGuards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void guards_data();
    void guards();
    void utf16Input_data();
    void utf16Input();
    void nestedTemplates_data();
    void nestedTemplates();

private:
    // Through a shell, so that `prefix` can limit the process first; a
    // guard that fails shows as a time-out, not as a hung suite.
    QProcess *corvella(const QString &arguments, const QString &prefix = QString());
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestCompressGuards::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QCOMPARE(mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0600), 0);
    QFile huge(path(QStringLiteral("huge.js"))); // sparse: costs no disk
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(300) * 1024 * 1024));
    // About 12 KB of output: only the final flush goes past the 8 KB limit.
    QByteArray script;
    for (int i = 0; i < 1000; ++i)
        script += "var v" + QByteArray::number(i) + " = " + QByteArray::number(i * 7) + ";  // n\n";
    QVERIFY(!FileLimits::write(path(QStringLiteral("big.js")), script).isEmpty());
    QVERIFY(!FileLimits::write(path(QStringLiteral("small.js")), "var a = 1 ;\n").isEmpty());
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
}

QProcess *TestCompressGuards::corvella(const QString &arguments, const QString &prefix)
{
    auto *process = new QProcess(this);
    process->start(QStringLiteral("sh"), {QStringLiteral("-c"), prefix + QStringLiteral("exec ") +
                                                                    QStringLiteral(CORVELLA_BINARY " ") + arguments});
    if (!process->waitForFinished(20000))
        process->kill();
    process->waitForFinished();
    return process;
}

void TestCompressGuards::guards_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("error"); // the start of the message; empty for success
    QTest::addColumn<QByteArray>("kept");
    const QString out = path(QStringLiteral("out.js"));
    for (const QString &input :
         {QStringLiteral("/dev/zero"), path(QStringLiteral("pipe")), path(QStringLiteral("huge.js"))})
        QTest::newRow(qPrintable(QFileInfo(input).fileName()))
            << input << out << QString() << QStringLiteral("corvella: cannot read ") + input + QStringLiteral(": ")
            << QByteArray("old();");
    QTest::newRow("full disk") << path(QStringLiteral("big.js")) << out
                               << QStringLiteral("trap '' XFSZ; ulimit -f 16; ")
                               << QStringLiteral("corvella: cannot write ") + out << QByteArray("old();");
    QTest::newRow("read-only folder") << path(QStringLiteral("small.js")) << path(QStringLiteral("locked/out.js"))
                                      << QString() << QString() << QByteArray("var a=1;\n");
}

void TestCompressGuards::guards()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, prefix);
    QFETCH(QString, error);
    QFETCH(QByteArray, kept);
    QVERIFY(!FileLimits::write(output, "old();").isEmpty());
    FileLimits::ReadOnlyFolder locked(path(QStringLiteral("locked")));
    if (output.contains(QLatin1String("locked")) && !locked.ok())
        QSKIP("no way to make a read-only folder here");
    QProcess *process = corvella(QStringLiteral("--compress %1 -o %2").arg(input, output), prefix);
    const QByteArray err = process->readAllStandardError();
    QCOMPARE(process->exitCode(), error.isEmpty() ? 0 : 2);
    QVERIFY2(err.startsWith(error.toUtf8()) && err.count('\n') == (error.isEmpty() ? 0 : 1), err.constData());
    QCOMPARE(FileLimits::readAll(output), kept);
    QCOMPARE(QDir(QFileInfo(output).path()).entryList({QStringLiteral("out.js*")}, QDir::Files | QDir::Hidden).size(),
             1);
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
    const QString input =
        FileLimits::write(path(QStringLiteral("utf16.js")), mark + QTextCodec::codecForName(codec)->fromUnicode(text));
    const QString minified = compressJavaScriptText(text);
    QCOMPARE(QString::fromUtf8(corvella(QStringLiteral("--compress ") + input)->readAllStandardOutput()), minified);
    corvella(QStringLiteral("--compress %1 -o %1.out").arg(input));
    QCOMPARE(FileLimits::readAll(input + QStringLiteral(".out")), toJavaScriptAscii(minified));
}

void TestCompressGuards::nestedTemplates_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("template in a call") << QStringLiteral("var a = `x ${f(`https://e.com`)} y`;\nb();")
                                        << QStringLiteral("var a=`x ${f(`https://e.com`)} y`;b();");
    QTest::newRow("blanks inside") << QStringLiteral("var b = `${ `y  z` }`;")
                                   << QStringLiteral("var b=`${ `y  z` }`;");
    QTest::newRow("comment marks inside")
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
    // One unit at a time, as a stream may deliver it.
    JSMinifier minifier;
    QByteArray out(input.toUtf8().size() + 64, '\0');
    char *end = out.data();
    for (char c : input.toUtf8())
        end = minifier.feed(&c, 1, end);
    end = minifier.finish(end);
    QCOMPARE(QString::fromUtf8(out.constData(), int(end - out.constData())), expected);
}

QTEST_GUILESS_MAIN(TestCompressGuards)
#include "tst_compressguards.moc"
