#include "JSCompressor.h"
#include "JSMinifier.h"

#include <QRandomGenerator>
#include <QScriptEngine>
#include <QtTest>

// The minifier's rules, one example a row, and the properties every output
// has: it is a subsequence of its input, and the byte path, the QString path
// and any chunking of the input give the same text.
class TestJSMinifier : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void positionsCountUtf16Units_data();
    void positionsCountUtf16Units();
    void randomTextsAgreeAcrossPaths();
    void asciiExport_data();
    void asciiExport();
    void asciiExportKeepsMeaning_data();
    void asciiExportKeepsMeaning();
    void asciiExportInPieces();
};

namespace {

// Feeds the text in pieces of `chunk` units, each through a fresh output buffer.
QString minifyTextInChunks(const QString &text, int chunk)
{
    JSMinifier minifier;
    QString result;
    QVector<QChar> buffer(chunk + JSMinifier::extraOutput);
    for (int at = 0; at < text.size(); at += chunk) {
        const int size = qMin(chunk, text.size() - at);
        const QChar *end = minifier.feed(text.constData() + at, size, buffer.data());
        result.append(buffer.constData(), int(end - buffer.constData()));
    }
    const QChar *end = minifier.finish(buffer.data());
    result.append(buffer.constData(), int(end - buffer.constData()));
    return result;
}

QByteArray minifyBytesInChunks(const QByteArray &bytes, const QVector<int> &chunks)
{
    JSMinifier minifier;
    QByteArray result;
    QByteArray buffer;
    int at = 0;
    for (int i = 0; at < bytes.size(); ++i) {
        const int size = qMin(chunks.at(i % chunks.size()), bytes.size() - at);
        buffer.resize(size + int(JSMinifier::extraOutput));
        const char *end = minifier.feed(bytes.constData() + at, size, buffer.data());
        result.append(buffer.constData(), int(end - buffer.constData()));
        at += size;
    }
    buffer.resize(int(JSMinifier::extraOutput));
    const char *end = minifier.finish(buffer.data());
    result.append(buffer.constData(), int(end - buffer.constData()));
    return result;
}

bool isSubsequence(const QString &part, const QString &whole)
{
    int at = 0;
    for (const QChar c : part) {
        at = whole.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

QString visible(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

void checkAllPaths(const QString &input, const QString &expected)
{
    const QString result = compressJavaScriptText(input);
    if (result != expected)
        qWarning().noquote() << "got" << visible(result) << "expected" << visible(expected);
    QCOMPARE(result, expected);
    QVERIFY(isSubsequence(result, input));
    QCOMPARE(QString::fromUtf8(compressJavaScriptUtf8(input.toUtf8())), expected);
    QCOMPARE(minifyTextInChunks(input, 1), expected);
    QCOMPARE(QString::fromUtf8(minifyBytesInChunks(input.toUtf8(), {1})), expected);
    QCOMPARE(QString::fromUtf8(minifyBytesInChunks(input.toUtf8(), {3, 1, 17})), expected);
}

} // namespace

void TestJSMinifier::examples_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    auto row = [](const char *name, const char *input, const char *expected) {
        QTest::newRow(name) << QString::fromUtf8(input) << QString::fromUtf8(expected);
    };

    // The documented examples.
    row("empty text", "", "");
    row("one space", " ", " ");
    row("statements joined", "var a = 1;\nvar b = 2;", "var a=1;var b=2;");
    row("block", "if (a) {\n  b();\n}\n", "if (a){\n b();}\n");
    row("empty lines", "a = 1;\n\n\nb = 2;", "a =1;b=2;");
    row("line and block comments", "x = 1; // one\ny = 2; /* two */ z = 3;\n", "x =1;y=2;z=3;\n");
    row("single-quoted literal", "msg = 'a  =  b';\nprint( msg );", "msg='a  =  b';print(msg);");
    row("double-quoted literal", "msg = \"a  =  b\";\nprint( msg );", "msg=\"a  =  b\";print(msg);");
    row("adjacent block comments", "x = 1;/* a *//* b */\ny = 2;", "x =1;y=2;");
    row("comment at the start", "/**/a = 1;", "a=1;");
    row("braces", "if (a == b) { c(); }", "if (a==b){ c();}");
    row("? and : are no delimiters", "a = b ? c : d;", "a =b ? c : d;");
    row("tabs around an operator", "xy = a\t+\tb;", "xy =a\t+\tb;");
    row("run of blanks with a tab", "abcd \t  e", "abcd\te");
    row("run of spaces", "abcd    e", "abcd e");
    row("carriage return is ordinary", "a = b\r\n", "a =b\r\n");
    row("lines without semicolons", "x = 1\ny = 2", "x =1\ny=2");

    // Documented examples whose results changed so that the output means
    // what the input meant.
    // Was «a ='x»: "//" inside a literal no longer starts a comment.
    row("slashes in a literal", "a = 'x//y';", "a ='x//y';");
    // Was «x =1 y=2»: the blank goes, the line feed stays.
    row("blank before a line feed", "x = 1 \ny = 2", "x =1\ny=2");
    // Was «abc d», for the same reason.
    row("blank before an indented line", "abc \n d", "abc\n d");
    // Was «a;e=1;»: a line comment ends at its line feed whatever it holds,
    // so the next line stays code, as it is for the engine.
    row("block comment start inside a line comment", "a;// b /* c\nd */e = 1;", "a;d*/e = 1;");

    // Literals.
    row("other quote inside a double-quoted literal", "s = \"it's  ok\";", "s =\"it's  ok\";");
    row("literal after one holding the other quote", "a = \"it's\"; b = 'x  y';", "a =\"it's\";b='x  y';");
    row("escaped quote", "s = 'don\\'t  stop';", "s ='don\\'t  stop';");
    row("escaped backslash before the quote", "s = 'a\\\\'; t = 'b  c';", "s ='a\\\\';t='b  c';");
    row("address in a literal", "u = \"http://example.com/a\";", "u =\"http://example.com/a\";");
    row("block comment marker in a literal", "s = \"/* no */\";", "s =\"/* no */\";");
    row("template literal", "t = `a  ${ b }  // c`;", "t =`a  ${ b }  // c`;");
    row("template literal over lines", "t = `a\n  b`;", "t =`a\n  b`;");
    row("unclosed literal ends at the line", "a = 'it\nb = 1;", "a ='it\nb=1;");
    row("line continuation in a literal", "s = 'a\\\n  b';", "s ='a\\\n  b';");

    // Regular-expression literals.
    row("regex after =", "r = / +/g;", "r =/ +/g;");
    row("regex holding quotes", "r = /'/; s = 'a  b';", "r =/'/;s='a  b';");
    row("regex holding comment markers", "r = /a\\/\\/b/; // c\nx = 1;", "r =/a\\/\\/b/;x=1;");
    row("regex with a slash in a class", "r = /[/]+ x/; s = 'a  b';", "r =/[/]+ x/;s='a  b';");
    row("regex after (", "s.replace( /a  b/, c );", "s.replace(/a  b/,c);");
    row("regex after return", "function f() { return /a  b/.test(s); }", "function f(){ return/a  b/.test(s);}");
    row("regex after typeof", "x = typeof /a  b/;", "x =typeof/a  b/;");
    row("regex at the start", "/a b/.test(s)", "/a b/.test(s)");
    row("division after a word", "x = a / b / 2;", "x =a/b/2;");
    row("division after )", "x = f(a) / 2 / g(b);", "x =f(a)/2/g(b);");
    row("division after ++", "y = i++ / 2 / 3;", "y =i++/2/3;");
    row("division after a property called return", "x = y.return / 2 / 3;", "x =y.return/2/3;");
    row("division after a regex", "x = /a/.source.length / /b/.source.length;",
        "x =/a/.source.length/ /b/.source.length;");

    // Line breaks that end statements stay.
    row("line comment before a line feed", "a = 1 // c\nb = 2", "a =1\nb=2");
    row("line break inside a block comment", "a = b /* x\n */ c = d", "a =b\n c=d");
    row("documentation comment between statements", "x = 1;\n/*\n * doc\n */\ny = 2;", "x =1;y=2;");
    row("return and its operand on two lines", "function f() {\n  return\n  1;\n}", "function f(){\n return\n 1;}");
    row("CRLF line ends", "a = 1\r\nb = 2\r\n", "a =1\r\nb=2\r\n");
    row("space before the final line feed", "x = y \n", "x =y \n");
    row("banner comment", "a = 1; //*** banner ***\nb = 2;", "a =1;b=2;");
    row("address in a block comment", "a = 1; /* see http://example.com */ b = 2;", "a =1;b=2;");
    row("block comment over lines at the start", "/* a\n b */\nx = 1;", "\nx=1;");

    // Operators that must not fuse.
    row("plus plus", "a = b + +c;", "a =b+ +c;");
    row("minus minus", "a = b - -1;", "a =b- -1;");
    row("plus increment", "a = b + ++c;", "a =b+ ++c;");
    row("minus decrement", "a = b - --c;", "a =b- --c;");
    row("increment plus", "a = b++ + c;", "a =b++ +c;");
    row("plus minus needs no space", "a = b + -c;", "a =b+-c;");
    row("division and regex", "a = b / /c/.x;", "a =b/ /c/.x;");
    row("plus tab plus", "a = b +\t+c;", "a =b+\t+c;");
    row("plus comment plus", "a = b + /* x */ +c;", "a =b+ +c;");
    row("space run between signs", "a = b +    +c;", "a =b+ +c;");

    // The last unit is always copied.
    row("final space", "a = b ", "a =b ");
    row("final line feed after a semicolon", "a = b;\n", "a =b;\n");
}

void TestJSMinifier::examples()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    checkAllPaths(input, expected);
}

void TestJSMinifier::positionsCountUtf16Units_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    // The second space is at position 2 (é is one unit, two bytes).
    QTest::newRow("two-byte character") << QStringLiteral("é  x") << QStringLiteral("é  x");
    // The emoji takes positions 0 and 1: the space at 2 stays, so the line
    // feed after it does too.
    QTest::newRow("surrogate pair") << QStringLiteral("😀 \nx") << QStringLiteral("😀 \nx");
    QTest::newRow("three-byte character") << QStringLiteral("€ \tx = 1") << QStringLiteral("€ \tx=1");
    QTest::newRow("literal with non-ASCII") << QStringLiteral("s = 'é  😀';") << QStringLiteral("s ='é  😀';");
}

void TestJSMinifier::positionsCountUtf16Units()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    checkAllPaths(input, expected);
}

// The loops that copy whole runs must decide exactly as the unit-by-unit
// rules do, whatever the chunk borders.
void TestJSMinifier::randomTextsAgreeAcrossPaths()
{
    QRandomGenerator random(20240611);
    // The pieces the texts are made of, separated by "~".
    const QStringList pieces =
        QString::fromUtf8("a~b1~ ~  ~\t~\n~\r~;~/~*~'~\"~`~\\~+~-~=~(~)~[~]~{~}~,~.~:~?~!~return ~"
                          "é~😀~abcdefghijklmnopqrstuvwxyz~                    ~\t\t\t\t")
            .split(QLatin1Char('~'));
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = int(random.bounded(round % 2 ? 30 : 120));
        for (int i = 0; i < length; ++i)
            text += pieces.at(int(random.bounded(pieces.size())));
        const QString whole = compressJavaScriptText(text);
        const QByteArray bytes = text.toUtf8();
        const QVector<int> chunks = {1 + int(random.bounded(40)), 1 + int(random.bounded(5)), 16, 17};
        if (!isSubsequence(whole, text) || minifyTextInChunks(text, 1) != whole ||
            minifyTextInChunks(text, 7) != whole || compressJavaScriptUtf8(bytes) != whole.toUtf8() ||
            minifyBytesInChunks(bytes, {1}) != whole.toUtf8() || minifyBytesInChunks(bytes, chunks) != whole.toUtf8())
            QFAIL(qPrintable(QStringLiteral("paths disagree on «%1»").arg(visible(text))));
    }
}

void TestJSMinifier::asciiExport_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("ASCII unchanged") << QStringLiteral("a = 'b';\n") << QByteArray("a = 'b';\n");
    QTest::newRow("é") << QStringLiteral("s = 'café';") << QByteArray("s = 'caf\\u00E9';");
    QTest::newRow("€") << QStringLiteral("€") << QByteArray("\\u20AC");
    QTest::newRow("emoji as two escapes") << QStringLiteral("😀") << QByteArray("\\uD83D\\uDE00");
    QTest::newRow("Latin-1 range is escaped too") << QStringLiteral("\u00A0\u00FF") << QByteArray("\\u00A0\\u00FF");
    QTest::newRow("escaped é loses its backslash") << QStringLiteral("'\\é'") << QByteArray("'\\u00E9'");
    QTest::newRow("escaped backslash stays") << QStringLiteral("'\\\\é'") << QByteArray("'\\\\\\u00E9'");
    QTest::newRow("line continuation with U+2028") << QStringLiteral("'a\\\u2028b'") << QByteArray("'ab'");
    QTest::newRow("backslashes before ASCII") << QStringLiteral("'\\n\\\\x\\'") << QByteArray("'\\n\\\\x\\'");
    QTest::newRow("final backslash") << QStringLiteral("a\\") << QByteArray("a\\");
}

void TestJSMinifier::asciiExport()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(toJavaScriptAscii(text), expected);
}

void TestJSMinifier::asciiExportKeepsMeaning_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("string") << QStringLiteral("'é € 😀 \\é ok'");
    QTest::newRow("regex") << QStringLiteral("/[é€]+/.exec('a€é b')[0]");
    QTest::newRow("identifier") << QStringLiteral("var café = 4; café * 2");
    QTest::newRow("line continuation") << QStringLiteral("'a\\\u2028b'.length");
}

void TestJSMinifier::asciiExportKeepsMeaning()
{
    QFETCH(QString, program);
    QScriptEngine original;
    QScriptEngine exported;
    const QByteArray ascii = toJavaScriptAscii(program);
    for (const char c : ascii)
        QVERIFY(uchar(c) < 0x80);
    const QScriptValue expected = original.evaluate(program);
    QVERIFY2(!original.hasUncaughtException(), qPrintable(expected.toString()));
    const QScriptValue value = exported.evaluate(QString::fromLatin1(ascii));
    QVERIFY2(!exported.hasUncaughtException(), qPrintable(value.toString()));
    QCOMPARE(value.toString(), expected.toString());
}

void TestJSMinifier::asciiExportInPieces()
{
    const QString text = QStringLiteral("a\\\\\\é'😀\\\u2028x\\");
    const QByteArray whole = toJavaScriptAscii(text);
    for (int piece = 1; piece <= 3; ++piece) {
        JSAsciiEncoder encoder;
        QByteArray out;
        for (int at = 0; at < text.size(); at += piece)
            encoder.encode(text.constData() + at, qMin(piece, text.size() - at), out);
        encoder.finish(out);
        QCOMPARE(out, whole);
    }
}

QTEST_GUILESS_MAIN(TestJSMinifier)
#include "tst_jsminifier.moc"
