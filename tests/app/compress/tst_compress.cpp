#include "TestSupport.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QStandardPaths>

#include <sys/stat.h>

#include <vector>

using TestSupport::readFile;

namespace {

// Fed in chunks of the given sizes in turn, as a stream delivers them.
template <typename Text> Text minifyInChunks(const Text &text, const QVector<int> &chunks)
{
    using Unit = std::remove_const_t<std::remove_pointer_t<decltype(text.constData())>>;
    JSMinifier minifier;
    Text result;
    std::vector<Unit> buffer;
    for (int i = 0, at = 0; at < text.size(); ++i) {
        const int size = qMin(chunks.at(i % chunks.size()), text.size() - at);
        buffer.resize(size + JSMinifier::extraOutput);
        result.append(buffer.data(), int(minifier.feed(text.constData() + at, size, buffer.data()) - buffer.data()));
        at += size;
    }
    buffer.resize(JSMinifier::extraOutput);
    return result.append(buffer.data(), int(minifier.finish(buffer.data()) - buffer.data()));
}

bool isSubsequence(const QString &part, const QString &whole)
{
    int at = 0;
    for (const QChar c : part) {
        if ((at = whole.indexOf(c, at) + 1) == 0)
            return false;
    }
    return true;
}

QString visible(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\t'), QLatin1String("\\t"));
}

// Whether the text's pieces of any size give what the whole text gives.
QByteArray asciiInPieces(const QString &text, int piece)
{
    JSAsciiEncoder encoder;
    QByteArray out;
    for (int at = 0; at < text.size(); at += piece)
        encoder.encode(text.constData() + at, qMin(piece, text.size() - at), out);
    encoder.finish(out);
    return out;
}

QString randomText(QRandomGenerator &random, const QStringList &pieces, int maxLength)
{
    QString text;
    for (int i = int(random.bounded(maxLength)); i > 0; --i)
        text += pieces.at(int(random.bounded(pieces.size())));
    return text;
}

} // namespace

// The minifier only ever drops characters, so each result is checked to be a
// subsequence of its input; and because the command line feeds bytes in
// chunks while the editor hands over one QString, every example goes through
// all of those paths.
// `corvella --compress FILE [-o OUT]` reads 128 KiB at a time; characters,
// comments, literals and byte-order marks that fall on a border are where it
// could part from what the editor's compressor makes of the whole text. An
// input that never ends, a full disk or a read-only folder must not cost the
// old output file.
class tst_Compress : public QObject
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
        QTest::newRow("appended through standard output") << "\"$0\" --compress in.js -o /dev/stdout >> out.js" << "" << "out.js"
            << "old();" + toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(m_script)));
        QTest::newRow("FIFO") << "mkfifo f && { cat f > got & } && \"$0\" --compress in.js -o f; s=$?; wait; exit $s" << "" << "got"
            << toJavaScriptAscii(compressJavaScriptText(QString::fromUtf8(m_script)));
        QTest::newRow("device") << "mknod null c 1 3 || exit 77; \"$0\" --compress in.js -o null && test -c null" << "" << "out.js" << QByteArray("old();");
        QTest::newRow("full device") << "mknod full c 1 7 || exit 77; \"$0\" --compress in.js -o full" << "corvella: cannot write full: " << "out.js" << QByteArray("old();");
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
            "sh", {"-c", "cd \"$1\" && " + command, QStringLiteral(CORVELLA_BINARY), m_dir.path()}, 20000);
        if (run.status == 77)
            QSKIP("cannot make a device node here (needs root)");
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

    void examples_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *input, const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(input) << QString::fromUtf8(expected);
        };
        // clang-format off
        row("empty text", "", "");
        row("statements joined", "var a = 1;\nvar b = 2;", "var a=1;var b=2;");
        row("line and block comments", "x = 1; // one\ny = 2; /* two */ z = 3;\n", "x =1;y=2;z=3;\n");
        row("literal", "msg = 'a  =  b';\nprint( msg );", "msg='a  =  b';print(msg);");
        row("tabs around an operator", "xy = a\t+\tb;", "xy =a\t+\tb;");
        row("tab after a semicolon", "a = 1;\tb = 2;", "a =1;b=2;");
        row("run of blanks with a tab", "abcd \t  e", "abcd\te");
        row("lines without semicolons", "x = 1\ny = 2", "x =1\ny=2");
        row("blank before a line feed", "x = 1 \ny = 2", "x =1\ny=2");
        row("slashes in a literal", "a = 'x//y';", "a ='x//y';");
        row("comment start inside a line comment", "a;// b /* c\nd */e = 1;", "a;d*/e = 1;");
        row("escaped quote", "s = 'don\\'t  stop';", "s ='don\\'t  stop';");
        row("escaped backslash before the quote", "s = 'a\\\\'; t = 'b  c';", "s ='a\\\\';t='b  c';");
        row("unclosed literal ends at the line", "a = 'it\nb = 1;", "a ='it\nb=1;");
        row("regex after =", "r = / +/g;", "r =/ +/g;");
        row("regex with a slash in a class", "r = /[/]+ x/; s = 'a  b';", "r =/[/]+ x/;s='a  b';");
        row("regex after return", "function f() { return /a  b/.test(s); }", "function f(){ return/a  b/.test(s);}");
        row("division after ++", "y = i++ / 2 / 3;", "y =i++/2/3;");
        row("division after a property called return", "x = y.return / 2 / 3;", "x =y.return/2/3;");
        row("division after a regex", "x = /a/.source / /b/.source;", "x =/a/.source/ /b/.source;");
        row("regex after the condition of if", "if (a(b)) /  x/g.test(s);", "if (a(b))/  x/g.test(s);");
        row("regex on the line after while", "while (x)\n/ a /.exec(s);", "while(x)\n/ a /.exec(s);");
        row("regex after for and with", "for (;;) / a /g; with (o) / a /;", "for(;;)/ a /g;with(o)/ a /;");
        row("division after a call named like if", "x = y.if(1) / 2 / 3;", "x =y.if(1)/2/3;");
        row("block comment holding a CR", "return/*\r*/a", "return\ra");
        row("block comment holding CR LF", "return /*\r\n*/ a", "return\n a");
        row("block comment holding U+2028", "return/*\xe2\x80\xa8*/a", "return\xe2\x80\xa8" "a");
        row("line comment ended by a CR", "// c\rx = 1;\r", "\rx=1;\r");
        row("line comment ended by U+2028", "// c\xe2\x80\xa8x = 1;", "\xe2\x80\xa8x=1;");
        row("line comment ended by U+2029", "// c\xe2\x80\xa9x = 1;", "\xe2\x80\xa9x=1;");
        row("no <!-- from a dropped space", "var x = b < !--c;", "var x=b< !--c;");
        row("no <!-- from a space after !", "var x = b <! --c;", "var x=b<! --c;");
        row("no <!-- from a dropped comment", "var x = b </**/!--c;", "var x=b</**/!--c;");
        row("no --> at the start of a line", "x\n  -- > y", "x\n -- >y");
        row("line break inside a block comment", "a = b /* x\n */ c = d", "a =b\n c=d");
        row("block comment over lines at the start", "/* a\n b */\nx = 1;", "\nx=1;");
        row("plus plus", "a = b + +c;", "a =b+ +c;");
        row("minus minus", "a = b - -1;", "a =b- -1;");
        row("plus tab plus", "a = b +\t+c;", "a =b+\t+c;");
        row("comment between keyword and name", "function/* n */f(){}", "function/**/f(){}");
        row("comment between two minus signs", "a = b -/* x */-c;", "a =b-/**/-c;");
        row("comment between a number and a dot", "x = 1/**/.toString();", "x =1/**/.toString();");
        row("space before the comment comes back", "var /* x */x = 1;", "var x=1;");
        row("comment before an operator goes", "a = b/**/+c;", "a =b+c;");
        row("comment before a regex after return goes", "return/**//a/.test(s);", "return/a/.test(s);");
        // Positions count UTF-16 units: the first three units are always kept.
        row("two-byte character", "é  x", "é  x");
        // Templates nest in the code of their "${...}".
        row("template in a call", "var a = `x ${f(`https://e.com`)} y`;\nb();", "var a=`x ${f(`https://e.com`)} y`;b();");
        row("blanks inside a nested template", "var b = `${ `y  z` }`;", "var b=`${ `y  z` }`;");
        row("comment marks inside a nested template", "var c = `${`/* not */`}`;", "var c=`${`/* not */`}`;");
        row("object braces in a template's code", "d = `a${ {k: `p  q`}.k }b  c`; // x\ne();", "d =`a${ {k: `p  q`}.k }b  c`;e();");
        row("escaped substitution", "e = `\\${ not  code }`;", "e =`\\${ not  code }`;");
        row("code after a template", "f = `${x}`;  /* c */  g = 1;", "f =`${x}`;g=1;");
        row("comment after an object in a template's code", "h = `${ {a: 1}.a /* c */ }`;", "h =`${ {a: 1}.a }`;");
        QTest::newRow("byte-order mark") << QStringLiteral("\uFEFFa  = 1;") << QStringLiteral("a  =1;");
        QTest::newRow("second byte-order mark stays") << QStringLiteral("\uFEFF\uFEFFx") << QStringLiteral("\uFEFFx");
        // clang-format on
    }

    void examples()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QString result = compressJavaScriptText(input);
        QVERIFY2(result == expected, qPrintable(visible(result)));
        QVERIFY(isSubsequence(result, input));
        // Compared as bytes: fromUtf8() would drop a byte-order mark.
        QCOMPARE(compressJavaScriptUtf8(input.toUtf8()), expected.toUtf8());
        QCOMPARE(minifyInChunks(input, {1}), expected);
        QCOMPARE(minifyInChunks(input.toUtf8(), {1}), expected.toUtf8());
        QCOMPARE(minifyInChunks(input.toUtf8(), {3, 1, 17}), expected.toUtf8());
    }

    // A byte-order mark may arrive split over several feeds; bytes that only
    // begin like one are text.
    void byteOrderMarkOnTheBytePath_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        // clang-format off
        QTest::newRow("mark") << QByteArray("\xEF\xBB\xBF" "a  = 1;") << QByteArray("a  =1;");
        QTest::newRow("first two bytes of a mark") << QByteArray("\xEF\xBB") << QByteArray("\xEF\xBB");
        QTest::newRow("two bytes of a mark, then code") << QByteArray("\xEF\xBBx = 1;") << QByteArray("\xEF\xBBx =1;");
        // clang-format on
    }

    void byteOrderMarkOnTheBytePath()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(compressJavaScriptUtf8(input), expected);
        for (const int chunk : {1, 2})
            QCOMPARE(minifyInChunks(input, {chunk}), expected);
    }

    // The engine gives the same result for the original, the minified and the
    // ASCII-exported program.
    void keepsMeaning_data()
    {
        QTest::addColumn<QString>("program");
        // clang-format off
        QTest::newRow("plus and plus") << QStringLiteral("var b = 1, c = 2, a = b +/**/+c; a");
        QTest::newRow("non-ASCII names") << QStringLiteral("var é = 2; var/**/ê = é; ê");
        QTest::newRow("regex") << QStringLiteral("/[é€]+/.exec('a€é b')[0]");
        QTest::newRow("line continuation") << QStringLiteral("'a\\\u2028b'.length");
        QTest::newRow("no-break space between tokens") << QStringLiteral("var\u00A0b\u00A0=\u00A02;\u00A0b");
        QTest::newRow("division before a no-break space") << QStringLiteral("var a = 4, b = 2; var x = a / b;var\u00A0z = 1 / 2; x + z");
        QTest::newRow("regex after a condition") << QStringLiteral("var n = 0; if (n < 1) /a  b/.test('a  b') && n++; n");
        QTest::newRow("CR-only lines") << QStringLiteral("// one\rvar a = 1; // two\ra + 1");
        QTest::newRow("less than not") << QStringLiteral("var b = 2, c = 3, x = b < !--c; String(x) + c");
        // clang-format on
    }

    void keepsMeaning()
    {
        QFETCH(QString, program);
        QScriptEngine original;
        const QScriptValue expected = original.evaluate(program);
        QVERIFY2(!original.hasUncaughtException(), qPrintable(expected.toString()));
        const QByteArray ascii = toJavaScriptAscii(program);
        for (const QString &text : {compressJavaScriptText(program), QString::fromLatin1(ascii)}) {
            QScriptEngine engine;
            const QScriptValue value = engine.evaluate(text);
            QVERIFY2(!engine.hasUncaughtException(), qPrintable(text + QStringLiteral(": ") + value.toString()));
            QCOMPARE(value.toString(), expected.toString());
        }
        for (const char c : ascii)
            QVERIFY(uchar(c) < 0x80);
    }

    // The loops that copy whole runs must decide exactly as the unit-by-unit
    // rules do, whatever the chunk borders.
    void randomTextsAgreeAcrossPaths()
    {
        QRandomGenerator random(20240611);
        const QStringList pieces =
            QString::fromUtf8("a~b1~ ~  ~\t~\n~\r~;~/~*~'~\"~`~\\~+~-~=~(~)~[~]~{~}~,~.~:~?~!~"
                              "return ~é~😀~abcdefghijklmnopqrstuvwxyz~\t\t\t\t~/**/~/* x */~7~if ~while(~<~\u2028~"
                              "abcdefghijklmnopqrstuvw(~.for(")
                .split(QLatin1Char('~'))
            << QStringLiteral("\uFEFF"); // fromUtf8() would drop it
        for (int round = 0; round < 20000; ++round) {
            const QString text = randomText(random, pieces, round % 2 ? 30 : 120);
            const QString whole = compressJavaScriptText(text);
            const QByteArray bytes = text.toUtf8();
            const QVector<int> chunks = {1 + int(random.bounded(40)), 1 + int(random.bounded(5)), 16, 17};
            if (!isSubsequence(whole, text) || minifyInChunks(text, {1}) != whole ||
                minifyInChunks(text, {7}) != whole || compressJavaScriptUtf8(bytes) != whole.toUtf8() ||
                minifyInChunks(bytes, {1}) != whole.toUtf8() || minifyInChunks(bytes, chunks) != whole.toUtf8())
                QFAIL(qPrintable(QStringLiteral("paths disagree on «%1»").arg(visible(text))));
        }
    }

    // Real libraries, fetched with npm when the test runs (never kept in the
    // repository), with LF and with CR-only line ends: the syntax tree of
    // each, as the fetched parser builds it, is the same after minifying and
    // after the ASCII export. Without npm or the registry the check skips.
    void realLibrariesKeepTheirSyntaxTree()
    {
        const QString npm = QStandardPaths::findExecutable(QStringLiteral("npm"));
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        if (npm.isEmpty() || node.isEmpty())
            QSKIP("npm or node is not installed, so the real libraries cannot be checked");
        const QString dir = m_dir.filePath(QStringLiteral("npm"));
        // Pinned, and without retries: with no registry npm would try for minutes.
        const TestSupport::Run fetch = TestSupport::runProgram(
            npm,
            QStringLiteral("install --no-save --no-audit --no-fund --ignore-scripts --no-package-lock "
                           "--fetch-retries=0 --fetch-timeout=30000 --prefix %1 lodash@4.17.21 "
                           "jquery@1.12.4 d3@3.5.17 esprima@4.0.1")
                .arg(dir)
                .split(QLatin1Char(' ')),
            120000);
        if (fetch.status != 0)
            QSKIP(qPrintable("npm could not fetch the libraries (no network?): " + fetch.err.left(200)));
        QStringList pairs;
        for (const char *path : {"lodash/lodash.js", "jquery/dist/jquery.js", "d3/d3.js", "esprima/dist/esprima.js"}) {
            const QString original = QString::fromUtf8(readFile(dir + "/node_modules/" + path));
            QVERIFY2(!original.isEmpty(), path);
            for (const QString &text : {original, QString(original).replace(QLatin1Char('\n'), QLatin1Char('\r'))}) {
                const QString name = QString::number(pairs.size());
                pairs << file(name + ".js", text.toUtf8())
                      << file(name + ".min.js", compressJavaScriptText(text).toUtf8())
                      << file(name + ".js", text.toUtf8())
                      << file(name + ".ascii.js", toJavaScriptAscii(compressJavaScriptText(text)));
            }
        }
        const char *compare =
            "const p = require(process.argv[1] + '/node_modules/esprima'), fs = require('fs');"
            "const tree = f => { try { return JSON.stringify(p.parseScript(fs.readFileSync(f, 'utf8')),"
            "  (k, v) => k === 'raw' ? undefined : v); } catch (e) { return e.message; } };"
            "for (let i = 2; i < process.argv.length; i += 2)"
            "  if (tree(process.argv[i]) !== tree(process.argv[i + 1])) console.log(process.argv[i + 1]);";
        const TestSupport::Run run = TestSupport::runProgram(node, QStringList{"-e", compare, dir} + pairs, 120000);
        QVERIFY2(run.status == 0, run.err.constData());
        QCOMPARE(run.out, QByteArray()); // the files whose tree differs
    }

    void asciiExport_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        // clang-format off
        QTest::newRow("é") << QStringLiteral("s = 'café';") << QByteArray("s = 'caf\\u00E9';");
        QTest::newRow("emoji as two escapes") << QStringLiteral("😀") << QByteArray("\\uD83D\\uDE00");
        QTest::newRow("escaped é loses its backslash") << QStringLiteral("'\\é'") << QByteArray("'\\u00E9'");
        QTest::newRow("line continuation with U+2028") << QStringLiteral("'a\\\u2028b'") << QByteArray("'ab'");
        // An escape is no blank and no line break: outside literals these
        // characters become a space or a line feed.
        QTest::newRow("other spaces in code") << QStringLiteral("a\u00A0\u1680\u2003\u3000\uFEFFb") << QByteArray("a     b");
        QTest::newRow("line separators in code") << QStringLiteral("a\u2028b\u2029c") << QByteArray("a\nb\nc");
        QTest::newRow("escaped quote keeps the string open") << QStringLiteral("s = 'it\\'s\u00A0';\u00A0") << QByteArray("s = 'it\\'s\\u00A0'; ");
        QTest::newRow("unclosed string ends at the line") << QStringLiteral("s = 'a\n\u00A0b") << QByteArray("s = 'a\n b");
        QTest::newRow("regex") << QStringLiteral("r = /\u00A0[/\u00A0]\u00A0/;\u00A0") << QByteArray("r = /\\u00A0[/\\u00A0]\\u00A0/; ");
        QTest::newRow("division after ++") << QStringLiteral("x = a++ / 2;\u00A0y = 1 / 2") << QByteArray("x = a++ / 2; y = 1 / 2");
        QTest::newRow("regex after a condition") << QStringLiteral("if (f(a)) /\u00A0/.test(s)") << QByteArray("if (f(a)) /\\u00A0/.test(s)");
        QTest::newRow("template literal") << QStringLiteral("t = `\u00A0${\u00A0a + {b: 1}.b\u00A0}\u00A0`;\u00A0") << QByteArray("t = `\\u00A0${ a + {b: 1}.b }\\u00A0`; ");
        // clang-format on
    }

    void asciiExport()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(toJavaScriptAscii(text), expected);
        QCOMPARE(asciiInPieces(text, 1), expected);
    }

    // Runs of code are copied whole and their last word read back afterwards;
    // wherever the pieces end, the encoder must find the same literals.
    void asciiExportRandomTextsInPieces()
    {
        QRandomGenerator random(20240612);
        const QStringList pieces =
            QString::fromUtf8("return~typeof~in~instanceof~returns~x~7~.~+~-~/~*~'~\"~`~${~{~}~[~]~"
                              "(~)~\\~ ~\n~\r~=~\u00A0~\u2028~é~😀")
                .split(QLatin1Char('~'));
        for (int round = 0; round < 20000; ++round) {
            const QString text = randomText(random, pieces, round % 2 ? 20 : 80);
            const QByteArray whole = toJavaScriptAscii(text);
            for (const char c : whole) {
                if (uchar(c) >= 0x80)
                    QFAIL(qPrintable(QStringLiteral("not ASCII: «%1»").arg(visible(text))));
            }
            for (const int piece : {1, 2, 1 + int(random.bounded(12))}) {
                if (asciiInPieces(text, piece) != whole)
                    QFAIL(qPrintable(QStringLiteral("pieces of %1 differ on «%2»").arg(piece).arg(visible(text))));
            }
        }
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

QTEST_GUILESS_MAIN(tst_Compress)
#include "tst_compress.moc"
