#include <QtTest>

#include <QMDrovebot/batch/ScriptList.h>

using namespace QMDrovebot;

// The list rules that need no window: the file's lines, the stored text, the
// suffix of a saved list and where relative rows point.
class tst_ScriptList : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void writtenListReadsBack();
    void storedText_data();
    void storedText();
    void suffixAndResolution_data();
    void suffixAndResolution();
};

void tst_ScriptList::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("paths");

    QTest::newRow("LF") << QByteArray("/s/a.js\n/s/b.js\n") << QStringList{"/s/a.js", "/s/b.js"};
    QTest::newRow("CR LF") << QByteArray("/s/a.js\r\n/s/b.js\r\n") << QStringList{"/s/a.js", "/s/b.js"};
    QTest::newRow("no final line feed") << QByteArray("a.js\nb.js") << QStringList{"a.js", "b.js"};
    QTest::newRow("empty line is an empty row") << QByteArray("a.js\n\r\nb.js\n") << QStringList{"a.js", "", "b.js"};
    QTest::newRow("lone CR inside a line") << QByteArray("a\r.js\n") << QStringList{"a.js"};
    QTest::newRow("NUL ends a line") << QByteArray("a.js\0junk\nb.js\n", 15) << QStringList{"a.js", "b.js"};
    QTest::newRow("NUL first ends the list") << QByteArray("a.js\n\0b.js\n", 11) << QStringList{"a.js"};
    QTest::newRow("UTF-8") << QByteArray("/t/gr\xc3\xbc\xc3\x9f.js\n") << QStringList{"/t/grüß.js"};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void tst_ScriptList::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, paths);
    QCOMPARE(ScriptList::parse(bytes), paths);
}

void tst_ScriptList::writtenListReadsBack()
{
    const QStringList paths{"/t/grüß €.js", "", "rel/b.js"};
    const QByteArray bytes = ScriptList::serialize(paths);
    QCOMPARE(bytes, QByteArray("/t/gr\xc3\xbc\xc3\x9f \xe2\x82\xac.js\n\nrel/b.js\n"));
    QCOMPARE(ScriptList::parse(bytes), paths);
}

void tst_ScriptList::storedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("paths");

    QTest::newRow("nothing stored gives no row") << "" << QStringList();
    QTest::newRow("two paths") << "C:/s/a.js;C:/s/b.js" << QStringList{"C:/s/a.js", "C:/s/b.js"};
    QTest::newRow("empty row first") << ";C:/s/a.js" << QStringList{"", "C:/s/a.js"};
}

void tst_ScriptList::storedText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, paths);
    QCOMPARE(ScriptList::fromStoredText(text), paths);
    QCOMPARE(ScriptList::storedText(paths), text);
}

void tst_ScriptList::suffixAndResolution_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("resolved");

    QTest::newRow("plain name") << "list"
                                << "list.jslst"
                                << "/suite/list";
    QTest::newRow("suffix kept") << "list.jslst"
                                 << "list.jslst"
                                 << "/suite/list.jslst";
    QTest::newRow("upper case suffix") << "list.JSLST"
                                       << "list.JSLST.jslst"
                                       << "/suite/list.JSLST";
    QTest::newRow("parent folder") << "../b.js"
                                   << "../b.js.jslst"
                                   << "/b.js";
    QTest::newRow("absolute") << "/x/a.js"
                              << "/x/a.js.jslst"
                              << "/x/a.js";
    QTest::newRow("empty stays empty") << ""
                                       << ".jslst"
                                       << "";
}

void tst_ScriptList::suffixAndResolution()
{
    QFETCH(QString, in);
    QFETCH(QString, saved);
    QFETCH(QString, resolved);
    QCOMPARE(ScriptList::withSuffix(in), saved);
    QCOMPARE(ScriptList::resolve(in, QStringLiteral("/suite/x.jslst")), resolved);
}

QTEST_MAIN(tst_ScriptList)
#include "tst_scriptlist.moc"
