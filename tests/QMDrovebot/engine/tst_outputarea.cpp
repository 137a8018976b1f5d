#include "TestSupport.h"

#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

using QMDrovebot::Editor;

namespace {

const QColor kRed(0xAA, 0, 0);

// "!text" is a red error append, "+text" a printout.
void fill(Editor *editor, const QStringList &appends)
{
    for (const QString &append : appends) {
        if (append.startsWith(QLatin1Char('!')))
            editor->appendError(append.mid(1));
        else
            editor->outputArea()->append(append.mid(1));
    }
}

// One letter per paragraph: R when all of its text is red, B when none is.
QString colours(const QTextDocument *document)
{
    QString result;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        int red = 0;
        int other = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            (it.fragment().charFormat().foreground().color() == kRed ? red : other) += 1;
        result += red && !other ? QLatin1Char('R') : !red ? QLatin1Char('B') : QLatin1Char('?');
    }
    return result;
}

} // namespace

class tst_OutputArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void laterOutputKeepsItsColour_data();
    void laterOutputKeepsItsColour();
    void errorLeavesEarlierTextAlone();
};

void tst_OutputArea::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_OutputArea::laterOutputKeepsItsColour_data()
{
    QTest::addColumn<QStringList>("appends");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colours");

    QTest::newRow("error first") << QStringList{"!Error: missing", "+one", "+two"} << "Error: missing\none\ntwo"
                                 << "RBB";
    QTest::newRow("error between") << QStringList{"+one", "!bad", "+two"} << "one\nbad\ntwo"
                                   << "BRB";
    QTest::newRow("errors in a row") << QStringList{"!a", "!b", "+c"} << "a\nb\nc"
                                     << "RRB";
    QTest::newRow("bold printout after an error") << QStringList{"!x", "+<b>bold</b> rest"} << "x\nbold rest"
                                                  << "RB";
    QTest::newRow("line breaks and blanks kept, line feeds dropped")
        << QStringList{"!Line:2<BR>a  b<BR>f() at 2\n&lt;global&gt;() at 4", "+after"}
        << QString::fromUtf8("Line:2\na  b\nf() at 2<global>() at 4\nafter") << "RB";
}

void tst_OutputArea::laterOutputKeepsItsColour()
{
    QFETCH(QStringList, appends);
    QFETCH(QString, text);
    QFETCH(QString, colours);

    Editor editor;
    fill(&editor, appends);
    QCOMPARE(editor.outputArea()->toPlainText(), text);
    QCOMPARE(::colours(editor.outputArea()->document()), colours);
    QCOMPARE(editor.errorStatus(), 1);
}

void tst_OutputArea::errorLeavesEarlierTextAlone()
{
    // A red line is added at the end; what the pane held is not read back
    // and set again (which made many red lines quadratic).
    Editor editor;
    fill(&editor, {"+first", "!second", "+third"});
    const int length = editor.outputArea()->document()->characterCount();
    QSignalSpy changes(editor.outputArea()->document(), &QTextDocument::contentsChange);
    editor.appendError(QStringLiteral("fourth"));
    QVERIFY(!changes.isEmpty());
    for (const QList<QVariant> &change : changes)
        QVERIFY2(change.at(0).toInt() >= length - 1, qPrintable(QString::number(change.at(0).toInt())));
    QCOMPARE(colours(editor.outputArea()->document()), QStringLiteral("BRBR"));
}

QTEST_MAIN(tst_OutputArea)
#include "tst_outputarea.moc"
