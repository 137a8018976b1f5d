#include <QMDrovebot/engine/IncludeExpander.h>

#include <QtTest>

using QMDrovebot::IncludeExpander;

// Which text counts as an include call: the word include on its own,
// outside comments and literals, then "(" and a quoted name.
class tst_IncludeCalls : public QObject
{
    Q_OBJECT

private slots:
    void onlyCallsCount_data();
    void onlyCallsCount();
};

void tst_IncludeCalls::onlyCallsCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("single quotes") << "include('a.js');" << QStringList{"a.js"};
    QTest::newRow("blanks around the bracket") << "include ( \"a.js\" );" << QStringList{"a.js"};
    QTest::newRow("indented, after other code") << "var x = 1;\n    include(\"a.js\");" << QStringList{"a.js"};
    QTest::newRow("message mentioning include") << "printout(\"please include me\");" << QStringList();
    QTest::newRow("variable named included") << "var included = 1;\nprintout(\"lib.js\");" << QStringList();
    QTest::newRow("list of function names")
        << "var names = [\"include\", \"printout\"];\nvar f = \"x.js\";" << QStringList();
    QTest::newRow("url before the real call")
        << "var u = \"http://example.org/include\";\ninclude(\"a.js\");" << QStringList{"a.js"};
    QTest::newRow("commented-out call on the first line")
        << "// include(\"old.js\")\ninclude(\"a.js\");\ninclude(\"b.js\");" << QStringList{"a.js", "b.js"};
    QTest::newRow("call in a block comment") << "/* include(\"old.js\") */ include(\"a.js\");" << QStringList{"a.js"};
    QTest::newRow("word without a call") << "var f = include;\nf(\"a.js\");" << QStringList();
    QTest::newRow("name not quoted") << "include(name);" << QStringList();
    QTest::newRow("member of another object") << "lib.include(\"a.js\");" << QStringList();
    QTest::newRow("longer name") << "includeAll(\"a.js\"); my_include(\"b.js\");" << QStringList();
    QTest::newRow("escaped quote in an earlier string")
        << "var s = \"say \\\"include(\\\"x.js\\\")\\\"\";\ninclude(\"a.js\");" << QStringList{"a.js"};
    QTest::newRow("quote inside a regular expression")
        << "var r = /\"include(\"/;\ninclude(\"a.js\");" << QStringList{"a.js"};
    QTest::newRow("division is no regular expression")
        << "var h = w / 2; include(\"a.js\"); var q = h / 4;" << QStringList{"a.js"};
    QTest::newRow("same name twice, in order")
        << "include('b.js');\ninclude(\"a.js\");\ninclude('b.js');" << QStringList{"b.js", "a.js", "b.js"};
    QTest::newRow("name not closed") << "include(\"a.js);\ninclude(\"b.js\");" << QStringList{"b.js"};
}

void tst_IncludeCalls::onlyCallsCount()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(IncludeExpander::includedNames(text), names);
}

QTEST_MAIN(tst_IncludeCalls)
#include "tst_includecalls.moc"
