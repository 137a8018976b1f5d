#include <QMDrovebot/editor/SyntaxHighlighter.h>

#include <QAbstractTextDocumentLayout>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

using QMDrovebot::SyntaxHighlighter;

namespace {

// One letter per character: g dark green, r red, b blue, k black, . none.
QChar colourLetter(const QTextCharFormat &format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return QLatin1Char('.');
    const QColor colour = format.foreground().color();
    if (colour == QColor(Qt::darkGreen))
        return QLatin1Char('g');
    if (colour == QColor(Qt::red))
        return QLatin1Char('r');
    if (colour == QColor(Qt::blue))
        return QLatin1Char('b');
    if (colour == QColor(Qt::black))
        return QLatin1Char('k');
    return QLatin1Char('?');
}

// The colours of a whole document, blocks separated by line ends.
QString colourMap(const QTextDocument &document)
{
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString map(block.length() - 1, QLatin1Char('.'));
        const auto ranges = block.layout()->formats();
        for (const QTextLayout::FormatRange &range : ranges) {
            for (int i = range.start; i < range.start + range.length && i < map.size(); ++i)
                map[i] = colourLetter(range.format);
        }
        blocks << map;
    }
    return blocks.join(QLatin1Char('\n'));
}

QStringList blockStates(const QTextDocument &document)
{
    QStringList states;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        states << QString::number(block.userState());
    return states;
}

// The token list in its defined order, for the reference scan below.
const QStringList tokenList = {"|", ">",  "with", "true",   "prototype",  ")", "<",  "else", "const",  "native",
                               "(", ";",  "this", "typeof", "boolean",    "!", "-",  "byte", "switch", "function",
                               "&", "*",  "char", "float",  "throws",     ".", "/",  "enum", "return", "finally",
                               "{", ",",  "int",  "import", "implements", "}", "->", "new",  "short",  "interface",
                               "[", "<<", "for",  "delete", "foreach",    "]", ">>", "try",  "false",  "double",
                               "+", "in", "var",  "goto",   "connect",    "=", "do", "case", "throw",  ">>>",
                               ":", "if", "long", "export", "==="};

// The plain list-order scan that the indexed lookup must reproduce.
QString referenceMatch(int position, const QString &text)
{
    const auto word = [](QChar c) {
        return QRegularExpression(QStringLiteral("^[0-9A-Za-z]$")).match(QString(c)).hasMatch();
    };
    for (const QString &token : tokenList) {
        if (text.mid(position, token.size()) != token)
            continue;
        if (word(text.at(position))) {
            if (position > 0 && word(text.at(position - 1)))
                continue;
            const int end = position + token.size();
            if (end < text.size() && word(text.at(end)))
                continue;
        }
        return token;
    }
    return QString();
}

// A document reports its changes (and so gets highlighted) only once it has
// a layout; a text editor always gives it one.
void attach(QTextDocument *document)
{
    document->documentLayout();
    new SyntaxHighlighter(document);
}

} // namespace

class tst_SyntaxHighlighter : public QObject
{
    Q_OBJECT

private slots:
    void colours_data();
    void colours();
    void matchKeyword_data();
    void matchKeyword();
    void matchKeywordAgreesWithListOrderScan();
    void isWordCharacter_data();
    void isWordCharacter();
    void openingCommentRecoloursFollowingBlocks();
};

void tst_SyntaxHighlighter::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colours");
    QTest::addColumn<QStringList>("states");

    const QStringList normal1 = {"-1"};
    QTest::newRow("declaration with line comment") << "var x = 10; // comment"
                                                   << "bbb...b.kkb.gggggggggg" << normal1;
    QTest::newRow("formula is not for") << "formula"
                                        << "......." << normal1;
    QTest::newRow("for followed by parenthesis") << "for("
                                                 << "bbbb" << normal1;
    QTest::newRow("underscore is no word character") << "my_if"
                                                     << "...bb" << normal1;
    QTest::newRow("dollar is no word character") << "$if"
                                                 << ".bb" << normal1;
    QTest::newRow("digits then letters") << "12abc"
                                         << "kk..." << normal1;
    QTest::newRow("other number characters are digits") << QString::fromUtf8("\u0663x") << "k." << normal1;
    QTest::newRow("escaped double quote") << "s = \"a\\\"b\";"
                                          << "..b.rrrrrrb" << normal1;
    QTest::newRow("escaped single quote") << "'it\\'s'"
                                          << "rrrrrrr" << normal1;
    QTest::newRow("comment and keyword inside string") << "\"// if\" if"
                                                       << "rrrrrrr.bb" << normal1;
    QTest::newRow("single quote closed by double quote") << "'a\"b'c\nde'f;"
                                                         << "rrr.rr\nrrr.b" << QStringList{"1", "-1"};
    QTest::newRow("open string runs into next block") << "x = \"abc\nde\" + 1"
                                                      << "..b.rrrr\nrrr.b.k" << QStringList{"1", "-1"};
    QTest::newRow("block comment across blocks") << "a /* b\nc\nd */ e"
                                                 << "..gggg\ng\ngggg.." << QStringList{"0", "0", "-1"};
    QTest::newRow("slash star slash is a whole comment") << "/*/\nvar"
                                                         << "ggg\nbbb" << QStringList{"-1", "-1"};
    QTest::newRow("code after closed comment") << "/* x */ var"
                                               << "ggggggg.bbb" << normal1;
    QTest::newRow("hash starts a line comment") << "a # b"
                                                << "..ggg" << normal1;
    QTest::newRow("line comment ends with its block") << "a // \"b\nvar"
                                                      << "..ggggg\nbbb" << QStringList{"-1", "-1"};
    QTest::newRow("interface is not int") << "interface int"
                                          << "bbbbbbbbb.bbb" << normal1;
    QTest::newRow("operators one character at a time") << "a>>>b===c->d<<e"
                                                       << ".bbb.bbb.bb.bb." << normal1;
    QTest::newRow("words outside the list stay plain")
        << "while break null instanceof" << QString(27, QLatin1Char('.')) << normal1;
    QTest::newRow("keyword inside identifier") << "iffy xvar"
                                               << "........." << normal1;
    QTest::newRow("empty block keeps an open comment") << "/* a\n\nb */ c"
                                                       << "gggg\n\ngggg.." << QStringList{"0", "0", "-1"};
    QTest::newRow("empty block keeps an open string") << "\"a\n\nb\""
                                                      << "rr\n\nrr" << QStringList{"1", "1", "-1"};
}

void tst_SyntaxHighlighter::colours()
{
    QFETCH(QString, text);
    QFETCH(QString, colours);
    QFETCH(QStringList, states);

    QTextDocument document;
    attach(&document);
    document.setPlainText(text);

    QCOMPARE(colourMap(document), colours);
    QCOMPARE(blockStates(document), states);
}

void tst_SyntaxHighlighter::matchKeyword_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("token");

    QTest::newRow("shift right unsigned gives >") << ">>>" << 0 << ">";
    QTest::newRow("strict equality gives =") << "===" << 0 << "=";
    QTest::newRow("arrow gives -") << "->" << 0 << "-";
    QTest::newRow("shift left gives <") << "<<" << 0 << "<";
    QTest::newRow("interface beats int") << "interface" << 0 << "interface";
    QTest::newRow("int alone") << "int" << 0 << "int";
    QTest::newRow("in before digit is rejected") << "in2" << 0 << "";
    QTest::newRow("word after dot") << "a.for" << 2 << "for";
    QTest::newRow("word inside word") << "xfor" << 1 << "";
    QTest::newRow("word at end of longer word") << "formula" << 0 << "";
    QTest::newRow("case sensitive") << "Var" << 0 << "";
    QTest::newRow("nothing at plain letter") << "x" << 0 << "";
    QTest::newRow("position past end") << "var" << 3 << "";
    QTest::newRow("negative position") << "var" << -1 << "";
}

void tst_SyntaxHighlighter::matchKeyword()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, token);

    QTextDocument document;
    const SyntaxHighlighter highlighter(&document);
    QCOMPARE(highlighter.matchKeyword(position, text), token);
}

void tst_SyntaxHighlighter::matchKeywordAgreesWithListOrderScan()
{
    QTextDocument document;
    const SyntaxHighlighter highlighter(&document);
    // Characters from the tokens plus boundary characters, so that most
    // positions start some token and many are near a boundary.
    const QString alphabet = QStringLiteral("ifnotrcdeavxy_$ 0<>=-.|(*/");
    QRandomGenerator random(20240601);
    for (int round = 0; round < 4000; ++round) {
        QString text;
        const int length = 1 + random.bounded(12);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(alphabet.size()));
        // Splice a token in so that whole-token matches are common.
        text.insert(random.bounded(text.size() + 1), tokenList.at(random.bounded(tokenList.size())));
        for (int position = 0; position < text.size(); ++position) {
            const QString expected = referenceMatch(position, text);
            const QString actual = highlighter.matchKeyword(position, text);
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("\"%1\" at %2: got \"%3\", expected \"%4\"")
                                     .arg(text)
                                     .arg(position)
                                     .arg(actual, expected)));
        }
    }
}

void tst_SyntaxHighlighter::isWordCharacter_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<bool>("word");

    QTest::newRow("lower letter") << QChar('a') << true;
    QTest::newRow("last lower letter") << QChar('z') << true;
    QTest::newRow("upper letter") << QChar('Z') << true;
    QTest::newRow("digit") << QChar('0') << true;
    QTest::newRow("nine") << QChar('9') << true;
    QTest::newRow("underscore") << QChar('_') << false;
    QTest::newRow("dollar") << QChar('$') << false;
    QTest::newRow("space") << QChar(' ') << false;
    QTest::newRow("accented letter") << QChar(0x00e9) << false;
    QTest::newRow("arabic digit") << QChar(0x0663) << false;
    QTest::newRow("character after Z") << QChar('[') << false;
    QTest::newRow("character before a") << QChar('`') << false;
}

void tst_SyntaxHighlighter::isWordCharacter()
{
    QFETCH(QChar, character);
    QFETCH(bool, word);
    QCOMPARE(SyntaxHighlighter::isWordCharacter(character), word);
}

void tst_SyntaxHighlighter::openingCommentRecoloursFollowingBlocks()
{
    QTextDocument document;
    attach(&document);
    document.setPlainText(QStringLiteral("var a;\nvar b;"));
    QCOMPARE(colourMap(document), QStringLiteral("bbb..b\nbbb..b"));

    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("/*"));
    QCOMPARE(colourMap(document), QStringLiteral("gggggggg\ngggggg"));
    QCOMPARE(blockStates(document), QStringList({"0", "0"}));

    cursor.deletePreviousChar();
    cursor.deletePreviousChar();
    QCOMPARE(colourMap(document), QStringLiteral("bbb..b\nbbb..b"));
    QCOMPARE(blockStates(document), QStringList({"-1", "-1"}));
}

QTEST_MAIN(tst_SyntaxHighlighter)
#include "tst_syntaxhighlighter.moc"
