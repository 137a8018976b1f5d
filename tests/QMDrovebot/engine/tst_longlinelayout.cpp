#include <QMDrovebot/engine/LongLineLayout.h>

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using QMDrovebot::LongLineLayout;

namespace {

const int kLimit = LongLineLayout::maximumUnbrokenRun;

QString repeated(const QString &piece, int size)
{
    return piece.repeated(size / piece.size() + 1).left(size);
}

QString hex(int size)
{
    return repeated(QStringLiteral("0123456789abcdef"), size);
}

} // namespace

class tst_LongLineLayout : public QObject
{
    Q_OBJECT

private slots:
    void detectsRuns_data();
    void detectsRuns();
    void followsEdits_data();
    void followsEdits();
    void expectedTextIsLaidOutOnce_data();
    void expectedTextIsLaidOutOnce();
};

void tst_LongLineLayout::detectsRuns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("longRun");
    QTest::newRow("run at the limit") << hex(kLimit) << false;
    QTest::newRow("run past the limit") << hex(kLimit + 1) << true;
    QTest::newRow("long run after words") << repeated("word ", 5000) + hex(kLimit + 1) << true;
    QTest::newRow("blank every 80") << repeated(hex(79) + ' ', 100000) << false;
    QTest::newRow("tab every 80") << repeated(hex(79) + '\t', 100000) << false;
    QTest::newRow("no-break spaces do not break") << repeated(hex(79) + QChar(0x00A0), 3 * kLimit) << true;
    QTest::newRow("hyphens break") << repeated(QStringLiteral("well-"), 3 * kLimit) << false;
    QTest::newRow("ideographs break") << repeated(QString(QChar(0x6F22)), 3 * kLimit) << false;
}

void tst_LongLineLayout::detectsRuns()
{
    QFETCH(QString, text);
    QFETCH(bool, longRun);
    QCOMPARE(LongLineLayout::hasLongUnbrokenRun(text), longRun);
}

void tst_LongLineLayout::followsEdits_data()
{
    QTest::addColumn<int>("chosenMode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<int>("modeBefore");
    QTest::addColumn<int>("modeAfter");

    const int word = QTextOption::WordWrap;
    const int any = QTextOption::WrapAnywhere;
    const int both = QTextOption::WrapAtWordBoundaryOrAnywhere;
    const int none = QTextOption::NoWrap;
    const QString run = hex(kLimit + 1000);
    const QString half = hex(kLimit / 2 + 100);
    // clang-format off
    QTest::newRow("words stay by words")      << word << repeated("word ", 50000) << 0 << 0 << "x" << word << word;
    QTest::newRow("a blank splits the run")   << word << run << 1000 << 0 << " " << any << word;
    QTest::newRow("the run shrinks")          << word << run << 0 << 1001 << "" << any << word;
    QTest::newRow("other lines keep it")      << word << run + "\nx" << run.size() + 1 << 0 << "y" << any << any;
    QTest::newRow("its line is deleted")      << word << "x\n" + run << 1 << run.size() + 1 << "" << any << word;
    QTest::newRow("a later run is found")     << word << run + "\n" + run << 0 << run.size() << "x" << any << any;
    QTest::newRow("joined halves")            << word << half + ' ' + half << half.size() << 1 << "" << word << any;
    QTest::newRow("no wrap is left alone")    << none << run << 1000 << 0 << " " << none << none;
    QTest::newRow("the chosen mode returns")  << both << run << 1000 << 0 << " " << any << both;
    // clang-format on
}

void tst_LongLineLayout::followsEdits()
{
    QFETCH(int, chosenMode);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, removed);
    QFETCH(QString, inserted);
    QFETCH(int, modeBefore);
    QFETCH(int, modeAfter);

    QTextDocument document;
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapMode(chosenMode));
    document.setDefaultTextOption(option);
    new LongLineLayout(&document);
    document.setPlainText(text);
    QCOMPARE(int(document.defaultTextOption().wrapMode()), modeBefore);

    QTextCursor cursor(&document);
    cursor.setPosition(position);
    cursor.setPosition(position + removed, QTextCursor::KeepAnchor);
    cursor.insertText(inserted);
    QCOMPARE(int(document.defaultTextOption().wrapMode()), modeAfter);
}

void tst_LongLineLayout::expectedTextIsLaidOutOnce_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QList<int>>("modes");

    const int word = QTextOption::WrapAtWordBoundaryOrAnywhere;
    const int any = QTextOption::WrapAnywhere;
    const QString run = hex(kLimit + 1);
    QTest::newRow("long after short") << "x" << run << QList<int>{any, any, any};
    QTest::newRow("long after long") << run << run << QList<int>{any, any, any};
    QTest::newRow("short after long") << run << "x" << QList<int>{any, word, word};
    QTest::newRow("short after short") << "x"
                                       << "y" << QList<int>{word, word, word};
}

// The mode in force when the text is expected, then when the old text is
// gone and when the new one is there: the layouts the document makes.
void tst_LongLineLayout::expectedTextIsLaidOutOnce()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QList<int>, modes);

    QTextDocument document;
    new LongLineLayout(&document);
    document.setPlainText(before);
    LongLineLayout::expect(&document, after);
    QList<int> seen{document.defaultTextOption().wrapMode()};
    connect(&document, &QTextDocument::contentsChange, this,
            [&]() { seen << document.defaultTextOption().wrapMode(); });
    document.setPlainText(after);
    QCOMPARE(seen, modes);
}

QTEST_MAIN(tst_LongLineLayout)
#include "tst_longlinelayout.moc"
