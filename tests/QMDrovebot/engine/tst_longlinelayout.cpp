#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/LongLineLayout.h>
#include <QMDrovebot/engine/OutputArea.h>

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

// A line without break opportunities is laid out in time quadratic in its
// length unless the document breaks it anywhere: the document switches while
// such a line is there, and back when it is gone.
class tst_LongLineLayout : public QObject
{
    Q_OBJECT

private slots:
    void detectsRuns_data()
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

    void detectsRuns()
    {
        QFETCH(QString, text);
        QFETCH(bool, longRun);
        QCOMPARE(LongLineLayout::hasLongUnbrokenRun(text), longRun);
    }

    void followsEdits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QList<int>>("modes"); // chosen, before the edit, after it

        const int word = QTextOption::WordWrap;
        const int any = QTextOption::WrapAnywhere;
        const int both = QTextOption::WrapAtWordBoundaryOrAnywhere;
        const int none = QTextOption::NoWrap;
        const QString run = hex(kLimit + 1000);
        const QString half = hex(kLimit / 2 + 100);
        // clang-format off
        QTest::newRow("words stay by words")      << repeated("word ", 50000) << 0 << 0 << "x" << QList<int>{word, word, word};
        QTest::newRow("a blank splits the run")   << run << 1000 << 0 << " " << QList<int>{word, any, word};
        QTest::newRow("the run shrinks")          << run << 0 << 1001 << "" << QList<int>{word, any, word};
        QTest::newRow("other lines keep it")      << run + "\nx" << run.size() + 1 << 0 << "y" << QList<int>{word, any, any};
        QTest::newRow("its line is deleted")      << "x\n" + run << 1 << run.size() + 1 << "" << QList<int>{word, any, word};
        QTest::newRow("a later run is found")     << run + "\n" + run << 0 << run.size() << "x" << QList<int>{word, any, any};
        QTest::newRow("joined halves")            << half + ' ' + half << half.size() << 1 << "" << QList<int>{word, word, any};
        QTest::newRow("no wrap is left alone")    << run << 1000 << 0 << " " << QList<int>{none, none, none};
        QTest::newRow("the chosen mode returns")  << run << 1000 << 0 << " " << QList<int>{both, any, both};
        // clang-format on
    }

    void followsEdits()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        QFETCH(QList<int>, modes);

        QTextDocument document;
        QTextOption option = document.defaultTextOption();
        option.setWrapMode(QTextOption::WrapMode(modes.at(0)));
        document.setDefaultTextOption(option);
        new LongLineLayout(&document);
        document.setPlainText(text);
        QCOMPARE(int(document.defaultTextOption().wrapMode()), modes.at(1));

        QTextCursor cursor(&document);
        cursor.setPosition(position);
        cursor.setPosition(position + removed, QTextCursor::KeepAnchor);
        cursor.insertText(inserted);
        QCOMPARE(int(document.defaultTextOption().wrapMode()), modes.at(2));
    }

    void expectedTextIsLaidOutOnce_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QList<int>>("modes");

        const int word = QTextOption::WrapAtWordBoundaryOrAnywhere;
        const int any = QTextOption::WrapAnywhere;
        const QString run = hex(kLimit + 1);
        // clang-format off
        QTest::newRow("long after short") << "x" << run << QList<int>{any, any, any};
        QTest::newRow("long after long") << run << run << QList<int>{any, any, any};
        QTest::newRow("short after long") << run << "x" << QList<int>{any, word, word};
        QTest::newRow("short after short") << "x" << "y" << QList<int>{word, word, word};
        // clang-format on
    }

    // The mode in force when the text is expected, then when the old text is

    // gone and when the new one is there: the layouts the document makes.

    void expectedTextIsLaidOutOnce()
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

    void editorPanesBreakLongRuns_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("documentAnywhere");
        QTest::addColumn<bool>("outputAnywhere");
        const QString build = QStringLiteral("var s = '0123456789abcdef'; while (s.length < 5000) s += s;\n");
        // clang-format off
        QTest::newRow("ordinary script") << QStringLiteral("printout('hello world');") << false << false;
        QTest::newRow("printed run") << build + QStringLiteral("printout(s);") << false << true;
        QTest::newRow("thrown run") << build + QStringLiteral("throw s;") << false << true;
        QTest::newRow("run in the script") << QStringLiteral("var s = '%1';").arg(QString(5000, 'f')) << true << false;
        // clang-format on
    }

    // The document and the output pane follow what they hold; each widget keeps

    // the mode chosen for it, its document shows the one in force.

    void editorPanesBreakLongRuns()
    {
        QFETCH(QString, script);
        QFETCH(bool, documentAnywhere);
        QFETCH(bool, outputAnywhere);
        TestSupport::useTestIdentity();
        QMDrovebot::Editor editor;
        editor.textEdit()->setPlainText(script);
        editor.run();
        for (QTextEdit *edit :
             {static_cast<QTextEdit *>(editor.textEdit()), static_cast<QTextEdit *>(editor.outputArea())}) {
            const bool anywhere = edit == editor.textEdit() ? documentAnywhere : outputAnywhere;
            QCOMPARE(edit->document()->defaultTextOption().wrapMode(),
                     anywhere ? QTextOption::WrapAnywhere : edit->wordWrapMode());
        }
    }
};

QTEST_MAIN(tst_LongLineLayout)
#include "tst_longlinelayout.moc"
