#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

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
    void byteOrderMarkOnTheBytePath_data();
    void byteOrderMarkOnTheBytePath();
    void minifiedKeepsMeaning_data();
    void minifiedKeepsMeaning();
    void randomTextsAgreeAcrossPaths();
    void asciiExport_data();
    void asciiExport();
    void asciiExportKeepsMeaning_data();
    void asciiExportKeepsMeaning();
    void asciiExportInPieces();
    void asciiExportRandomTextsInPieces();
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
    // Compared as bytes: fromUtf8() would drop a byte-order mark.
    QCOMPARE(compressJavaScriptUtf8(input.toUtf8()), expected.toUtf8());
    QCOMPARE(minifyTextInChunks(input, 1), expected);
    QCOMPARE(minifyBytesInChunks(input.toUtf8(), {1}), expected.toUtf8());
    QCOMPARE(minifyBytesInChunks(input.toUtf8(), {3, 1, 17}), expected.toUtf8());
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

    // A dropped comment must not join two tokens into one. A blank around it
    // serves if there is one, else "/**/", which every block comment holds.
    row("comment between keyword and name", "var/**/x = 1;", "var/**/x=1;");
    row("longer comment between keyword and name", "function/* n */f(){}", "function/**/f(){}");
    row("comment between return and its operand", "return/*x*/a;", "return/**/a;");
    row("comment between two plus signs", "a = b +/**/+c;", "a =b+/**/+c;");
    row("comment between two minus signs", "a = b -/* x */-c;", "a =b-/**/-c;");
    row("comment between a number and a dot", "x = 1/**/.toString();", "x =1/**/.toString();");
    row("comment before a non-ASCII name", "var/**/é = 1;", "var/**/é=1;");
    row("two comments between words", "var/* a *//* b */x = 1;", "var/**/x=1;");
    row("comment between words at the start", "a/**/b", "a/**/b");
    row("space before the comment comes back", "var /* x */x = 1;", "var x=1;");
    row("space after the comment is kept", "var/* x */ x = 1;", "var x=1;");
    row("space after the comment between signs", "a = b +/* x */ +c;", "a =b+ +c;");
    row("tab before the comment", "var\t/* x */x = 1;", "var\tx=1;");
    row("comment before a bracket goes", "f/**/(a)/**/;", "f(a);");
    row("comment before an operator goes", "a = b/**/+c;", "a =b+c;");
    row("comment between ) and a word goes", "if (a)/**/return/**/;", "if (a)return;");
    row("comment between plus and minus goes", "a = b +/**/-c;", "a =b+-c;");
    row("comment before a regex after return goes", "return/**//a/.test(s);", "return/a/.test(s);");
    row("space before a division stays dropped", "x = a / b;", "x =a/b;");

    // A byte-order mark at the start goes, as decoding drops it; positions
    // count from after it (both spaces are at positions 1 and 2).
    // (Not through fromUtf8(), which would drop the mark itself.)
    QTest::newRow("byte-order mark at the start") << QStringLiteral("\uFEFFa  = 1;") << QStringLiteral("a  =1;");
    QTest::newRow("only a byte-order mark") << QStringLiteral("\uFEFF") << QString();
    QTest::newRow("second byte-order mark stays") << QStringLiteral("\uFEFF\uFEFFx") << QStringLiteral("\uFEFFx");
    QTest::newRow("byte-order mark in a literal stays")
        << QStringLiteral("s = '\uFEFF';") << QStringLiteral("s ='\uFEFF';");

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

// Bytes that begin like a byte-order mark but are none are text; the mark
// may arrive split over several feeds.
void TestJSMinifier::byteOrderMarkOnTheBytePath_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("mark") << QByteArray("\xEF\xBB\xBF"
                                        "a  = 1;")
                          << QByteArray("a  =1;");
    QTest::newRow("first two bytes of a mark") << QByteArray("\xEF\xBB") << QByteArray("\xEF\xBB");
    QTest::newRow("first byte of a mark") << QByteArray("\xEF") << QByteArray("\xEF");
    QTest::newRow("two bytes of a mark, then code") << QByteArray("\xEF\xBBx = 1;") << QByteArray("\xEF\xBBx =1;");
    QTest::newRow("one byte of a mark, then code") << QByteArray("\xEFx = 1;") << QByteArray("\xEFx =1;");
    QTest::newRow("three-byte character like a mark")
        << QByteArray("\xEF\xBB\xBEx = 1;") << QByteArray("\xEF\xBB\xBEx =1;");
}

void TestJSMinifier::byteOrderMarkOnTheBytePath()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(compressJavaScriptUtf8(input), expected);
    QCOMPARE(minifyBytesInChunks(input, {1}), expected);
    QCOMPARE(minifyBytesInChunks(input, {2}), expected);
    QCOMPARE(minifyBytesInChunks(input, {3, 1, 17}), expected);
}

// The script engine gives the same result for the original and the
// minified program.
void TestJSMinifier::minifiedKeepsMeaning_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("keyword and name") << QStringLiteral("var/**/x = 1; x");
    QTest::newRow("function and return") << QStringLiteral("function/* n */f(){ return/*x*/7; } f()");
    QTest::newRow("plus and plus") << QStringLiteral("var b = 1, c = 2, a = b +/**/+c; a");
    QTest::newRow("minus and minus") << QStringLiteral("var b = 5, c = 2, a = b -/**/-c; a");
    QTest::newRow("number and dot") << QStringLiteral("var x = 1/**/.toString() + 'a'; x");
    QTest::newRow("in between operands") << QStringLiteral("var o = {k: 1}; var t = 'k'/**/in/**/o; t");
    QTest::newRow("typeof") << QStringLiteral("typeof/**/undefinedName");
    QTest::newRow("non-ASCII names") << QStringLiteral("var é = 2; var/**/ê = é; ê");
    QTest::newRow("space before a comment") << QStringLiteral("var /* x */y = 3; y");
    QTest::newRow("regex after return") << QStringLiteral("function f(s) { return/**//a/.test(s); } f('cat')");
}

void TestJSMinifier::minifiedKeepsMeaning()
{
    QFETCH(QString, program);
    const QString minified = compressJavaScriptText(program);
    QScriptEngine original;
    QScriptEngine compressed;
    const QScriptValue expected = original.evaluate(program);
    QVERIFY2(!original.hasUncaughtException(), qPrintable(expected.toString()));
    const QScriptValue value = compressed.evaluate(minified);
    QVERIFY2(!compressed.hasUncaughtException(), qPrintable(minified + QStringLiteral(": ") + value.toString()));
    QCOMPARE(value.toString(), expected.toString());
}

// The loops that copy whole runs must decide exactly as the unit-by-unit
// rules do, whatever the chunk borders.
void TestJSMinifier::randomTextsAgreeAcrossPaths()
{
    QRandomGenerator random(20240611);
    // The pieces the texts are made of, separated by "~".
    const QStringList pieces =
        QString::fromUtf8("a~b1~ ~  ~\t~\n~\r~;~/~*~'~\"~`~\\~+~-~=~(~)~[~]~{~}~,~.~:~?~!~return ~"
                          "é~😀~abcdefghijklmnopqrstuvwxyz~                    ~\t\t\t\t~/**/~/* x */~"
                          "~7")
            .split(QLatin1Char('~'))
        << QStringLiteral("\uFEFF"); // fromUtf8() would drop it
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
    QTest::newRow("Latin-1 range is escaped too") << QStringLiteral("'\u00A0\u00FF'") << QByteArray("'\\u00A0\\u00FF'");
    QTest::newRow("identifier") << QStringLiteral("café = 1") << QByteArray("caf\\u00E9 = 1");
    QTest::newRow("escaped é loses its backslash") << QStringLiteral("'\\é'") << QByteArray("'\\u00E9'");
    QTest::newRow("escaped backslash stays") << QStringLiteral("'\\\\é'") << QByteArray("'\\\\\\u00E9'");
    QTest::newRow("line continuation with U+2028") << QStringLiteral("'a\\\u2028b'") << QByteArray("'ab'");
    QTest::newRow("backslashes before ASCII") << QStringLiteral("'\\n\\\\x\\'") << QByteArray("'\\n\\\\x\\'");
    QTest::newRow("final backslash") << QStringLiteral("a\\") << QByteArray("a\\");

    // An escape is no blank and no line break: outside literals these
    // characters become a space or a line feed.
    QTest::newRow("no-break space in code") << QStringLiteral("var\u00A0b = 2;") << QByteArray("var b = 2;");
    QTest::newRow("other space characters in code")
        << QStringLiteral("a\u1680\u2003\u202F\u205F\u3000\uFEFFb") << QByteArray("a      b");
    QTest::newRow("line and paragraph separators in code")
        << QStringLiteral("a\u2028b\u2029c") << QByteArray("a\nb\nc");
    QTest::newRow("line separator ends a line comment")
        << QStringLiteral("// c\u2028\u00A0x") << QByteArray("// c\n x");
    QTest::newRow("quote inside a block comment") << QStringLiteral("/* it's */\u00A0x") << QByteArray("/* it's */ x");
    QTest::newRow("quote inside a line comment") << QStringLiteral("// it's\n\u00A0x") << QByteArray("// it's\n x");
    QTest::newRow("no-break space in a string")
        << QStringLiteral("s = \"a\u00A0b\";\u00A0") << QByteArray("s = \"a\\u00A0b\"; ");
    QTest::newRow("escaped quote keeps the string open")
        << QStringLiteral("s = 'it\\'s\u00A0';\u00A0") << QByteArray("s = 'it\\'s\\u00A0'; ");
    QTest::newRow("unclosed string ends at the line") << QStringLiteral("s = 'a\n\u00A0b") << QByteArray("s = 'a\n b");
    QTest::newRow("line continuation with CR LF")
        << QStringLiteral("s = 'a\\\r\n\u00A0';") << QByteArray("s = 'a\\\r\n\\u00A0';");
    QTest::newRow("regex") << QStringLiteral("r = /\u00A0[/\u00A0]\u00A0/;\u00A0")
                           << QByteArray("r = /\\u00A0[/\\u00A0]\\u00A0/; ");
    QTest::newRow("regex after return") << QStringLiteral("return /\u00A0/") << QByteArray("return /\\u00A0/");
    QTest::newRow("division") << QStringLiteral("x = a / b;\u00A0y = 1 / 2") << QByteArray("x = a / b; y = 1 / 2");
    QTest::newRow("division after ++") << QStringLiteral("x = a++ / 2;\u00A0y = 1 / 2")
                                       << QByteArray("x = a++ / 2; y = 1 / 2");
    QTest::newRow("division after a property called return")
        << QStringLiteral("x = y.return / 2;\u00A0z = 1 / 2") << QByteArray("x = y.return / 2; z = 1 / 2");
    QTest::newRow("division after a string")
        << QStringLiteral("x = 'a' / 2;\u00A0z = 1 / 2") << QByteArray("x = 'a' / 2; z = 1 / 2");
    QTest::newRow("template literal") << QStringLiteral("t = `\u00A0${\u00A0a + {b: 1}.b\u00A0}\u00A0`;\u00A0")
                                      << QByteArray("t = `\\u00A0${ a + {b: 1}.b }\\u00A0`; ");
    QTest::newRow("template literal inside a substitution")
        << QStringLiteral("t = `${ `\u00A0` }`\u00A0") << QByteArray("t = `${ `\\u00A0` }` ");
    QTest::newRow("escaped substitution")
        << QStringLiteral("t = `\\${\u00A0}`\u00A0") << QByteArray("t = `\\${\\u00A0}` ");
    QTest::newRow("kept comment between words")
        << QStringLiteral("var/**/\u00E9\u00A0= 1") << QByteArray("var/**/\\u00E9 = 1");
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
    QTest::newRow("no-break space between tokens") << QStringLiteral("var\u00A0b\u00A0=\u00A02;\u00A0b");
    // This engine drops U+FEFF from the source, others read it as a blank:
    // only where both mean the same.
    QTest::newRow("byte-order mark between tokens") << QStringLiteral("\uFEFFvar b = 3;\uFEFFb");
    QTest::newRow("line separator between statements") << QStringLiteral("var a = 1\u2028a + 1");
    QTest::newRow("no-break space in a string") << QStringLiteral("var s = 'a\u00A0b'; s.charCodeAt(1)");
    QTest::newRow("no-break space in a regex") << QStringLiteral("/^\u00A0$/.test('\u00A0')");
    QTest::newRow("division before a no-break space")
        << QStringLiteral("var a = 4, b = 2; var x = a / b;var\u00A0z = 1 / 2; x + z");
    QTest::newRow("quote in a comment") << QStringLiteral("/* it's */ var\u00A0q = 'x'; q");
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
    const QString text = QStringLiteral("a\\\\\\é'😀\\\u2028x\\';var\u00A0a = 'é\\\u2028' / 2; /* it's\u00A0*/ "
                                        "r = /[/\u00A0]é/; t = `${ `\u00A0` }\u00A0`; // x\u2029\u00A0y\\");
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

// Runs of code are copied whole and their last word read back afterwards;
// single units go one by one. Wherever the pieces end, the encoder must
// find the same literals, which shows in how the blanks come out.
void TestJSMinifier::asciiExportRandomTextsInPieces()
{
    QRandomGenerator random(20240612);
    const QStringList pieces =
        QStringList{
            QStringLiteral("return"),  QStringLiteral("typeof"), QStringLiteral("in"), QStringLiteral("instanceof"),
            QStringLiteral("returns"), QStringLiteral("x"),      QStringLiteral("7"),  QStringLiteral("."),
            QStringLiteral("+"),       QStringLiteral("-"),      QStringLiteral("/"),  QStringLiteral("*"),
            QStringLiteral("'"),       QStringLiteral("\""),     QStringLiteral("`"),  QStringLiteral("${"),
            QStringLiteral("{"),       QStringLiteral("}"),      QStringLiteral("["),  QStringLiteral("]"),
            QStringLiteral("("),       QStringLiteral(")"),      QStringLiteral("\\"), QStringLiteral(" "),
            QStringLiteral("\n"),      QStringLiteral("\r"),     QStringLiteral("=")}
        << QStringLiteral("\u00A0") << QStringLiteral("\u2028") << QStringLiteral("é") << QStringLiteral("😀");
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = int(random.bounded(round % 2 ? 20 : 80));
        for (int i = 0; i < length; ++i)
            text += pieces.at(int(random.bounded(pieces.size())));
        const QByteArray whole = toJavaScriptAscii(text);
        for (const char c : whole) {
            if (uchar(c) >= 0x80)
                QFAIL(qPrintable(QStringLiteral("not ASCII: «%1»").arg(visible(text))));
        }
        for (const int piece : {1, 2, 1 + int(random.bounded(12))}) {
            JSAsciiEncoder encoder;
            QByteArray out;
            for (int at = 0; at < text.size(); at += piece)
                encoder.encode(text.constData() + at, qMin(piece, text.size() - at), out);
            encoder.finish(out);
            if (out != whole)
                QFAIL(qPrintable(QStringLiteral("pieces of %1 differ on «%2»").arg(piece).arg(visible(text))));
        }
    }
}

QTEST_GUILESS_MAIN(TestJSMinifier)
#include "tst_jsminifier.moc"
