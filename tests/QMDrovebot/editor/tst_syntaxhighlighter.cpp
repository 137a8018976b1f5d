#include "TestSupport.h"
#include <QMDrovebot/editor/SyntaxHighlighter.h>

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextLayout>

using QMDrovebot::SyntaxHighlighter;

namespace {

// One letter per character: g dark green, r red, b blue, k black, . none.
QChar colourLetter(const QTextCharFormat &format)
{
    static const QHash<QRgb, QChar> letters{{QColor(Qt::darkGreen).rgb(), 'g'},
                                            {QColor(Qt::red).rgb(), 'r'},
                                            {QColor(Qt::blue).rgb(), 'b'},
                                            {QColor(Qt::black).rgb(), 'k'}};
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return QLatin1Char('.');
    return letters.value(format.foreground().color().rgb(), QLatin1Char('?'));
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
    void colours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<QStringList>("states");

        const QStringList normal1 = {"-1"};
        // clang-format off
        QTest::newRow("declaration with line comment") << "var x = 10; // comment" << "bbb...b.kkb.gggggggggg" << normal1;
        QTest::newRow("formula is not for") << "formula" << "......." << normal1;
        QTest::newRow("underscore is no word character") << "my_if" << "...bb" << normal1;
        QTest::newRow("digits then letters") << "12abc" << "kk..." << normal1;
        QTest::newRow("other number characters are digits") << QString::fromUtf8("\u0663x") << "k." << normal1;
        QTest::newRow("escaped double quote") << "s = \"a\\\"b\";" << "..b.rrrrrrb" << normal1;
        QTest::newRow("comment and keyword inside string") << "\"// if\" if" << "rrrrrrr.bb" << normal1;
        QTest::newRow("single quote closed by double quote") << "'a\"b'c\nde'f;" << "rrr.rr\nrrr.b" << QStringList{"1", "-1"};
        QTest::newRow("block comment across blocks") << "a /* b\nc\nd */ e" << "..gggg\ng\ngggg.." << QStringList{"0", "0", "-1"};
        QTest::newRow("slash star slash is a whole comment") << "/*/\nvar" << "ggg\nbbb" << QStringList{"-1", "-1"};
        QTest::newRow("hash starts a line comment") << "a # b" << "..ggg" << normal1;
        QTest::newRow("line comment ends with its block") << "a // \"b\nvar" << "..ggggg\nbbb" << QStringList{"-1", "-1"};
        QTest::newRow("interface is not int") << "interface int" << "bbbbbbbbb.bbb" << normal1;
        QTest::newRow("operators one character at a time") << "a>>>b===c->d<<e" << ".bbb.bbb.bb.bb." << normal1;
        QTest::newRow("word ending a line is no keyword") << "x inx" << "....." << normal1;
        QTest::newRow("empty block keeps an open string") << "\"a\n\nb\"" << "rr\n\nrr" << QStringList{"1", "1", "-1"};
        // clang-format on
    }

    void colours()
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

    void openingCommentRecoloursFollowingBlocks()
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
};

QTEST_MAIN(tst_SyntaxHighlighter)
#include "tst_syntaxhighlighter.moc"
