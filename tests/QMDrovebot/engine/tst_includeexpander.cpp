#include "TestSupport.h"

#include <QMDrovebot/engine/IncludeExpander.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMDrovebot/engine/SyntaxCheck.h>

using QMDrovebot::IncludeExpander;

// What is read and checked before a program runs: the included files, and
// how deeply a program nests before the static check's parser gives way.
class tst_IncludeExpander : public QObject
{
    Q_OBJECT

private slots:
    void includedNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");

        // clang-format off
        QTest::newRow("no include") << "printout(1);" << QStringList();
        QTest::newRow("two calls in order, twice counts twice") << "include(\"b.js\");\ninclude(\"a.js\");include(\"b.js\")" << QStringList{"b.js", "a.js", "b.js"};
        QTest::newRow("name on a later line") << "include(\n  \"a.js\"\n);" << QStringList{"a.js"};
        QTest::newRow("single quotes and blanks") << "include ( 'a.js' );" << QStringList{"a.js"};
        QTest::newRow("case-sensitive") << "Include(\"a.js\");" << QStringList();
        QTest::newRow("no closing quote") << "include(\"a.js);" << QStringList();
        QTest::newRow("no quote at all") << "include(name);" << QStringList();
        // A call in a comment is no call, and the real ones around it still count.
        QTest::newRow("line comment first") << "// include(\"a.js\");\ninclude(\"b.js\");" << QStringList{"b.js"};
        QTest::newRow("open block comment") << "/* notes\n   include(\"a.js\");\n*/\ninclude(\"b.js\");" << QStringList{"b.js"};
        QTest::newRow("later line comment") << "include(\"a.js\");\n// include(\"b.js\");" << QStringList{"a.js"};
        QTest::newRow("single slashes are no comment") << "var x = 4 / 2 / 1; include(\"a.js\");" << QStringList{"a.js"};
        // The word inside other words, strings and regular expressions is no call.
        QTest::newRow("inside longer names") << "var included = 1; lib.include(\"x.js\"); includeAll(\"y.js\");" << QStringList();
        QTest::newRow("inside a string") << "printout(\"include('me.js')\"); var u = \"http://h\"; include(\"a.js\");" << QStringList{"a.js"};
        QTest::newRow("quote in a regular expression") << "var r = /\"include(\"/;\ninclude(\"a.js\");" << QStringList{"a.js"};
        QTest::newRow("escaped quote, then division") << "var s = \"\\\"include(\\\"x.js\\\")\"; var h = w / 2; include(\"a.js\");" << QStringList{"a.js"};
        // clang-format on
    }

    void includedNames()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QCOMPARE(IncludeExpander::includedNames(text), names);
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("documentPath");
        QTest::addColumn<QString>("path");

        // clang-format off
        QTest::newRow("plain name beside document") << "lib.js" << "/home/u/s/main.js" << "/home/u/s/lib.js";
        QTest::newRow("path as written") << "sub/lib.js" << "/home/u/s/main.js" << "sub/lib.js";
        QTest::newRow("backslashes joined to folder") << "sub\\lib.js" << "/home/u/s/main.js" << "/home/u/s/sub\\lib.js";
        QTest::newRow("never saved document") << "lib.js" << "" << "/lib.js";
        // clang-format on
    }

    void resolve()
    {
        QFETCH(QString, name);
        QFETCH(QString, documentPath);
        QFETCH(QString, path);
        QCOMPARE(IncludeExpander::resolve(name, documentPath), path);
    }

    void checkIncludedFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        // "%1" stands for the file's path.
        QTest::addColumn<QString>("text");

        // clang-format off
        QTest::newRow("declarations") << "decl.js" << QByteArray("var a = 1;\nfunction f(x) { return x + a; }\n") << "";
        QTest::newRow("valid but rejected by the static check") << "pre.js" << QByteArray("var a = 1, d = 2;\nvar x = a &&\n++d;\n") << "";
        QTest::newRow("code after a zero byte ignored") << "zero.js" << QByteArray("var a = 1;\0}}}{{{", 17) << "";
        QTest::newRow("syntax error") << "syntax.js" << QByteArray("var a = 1;\n  var = 3;") << "Syntax error in included file:\"%1\" Expected `identifier'<BR>Line: 2<BR> Column: 7";
        QTest::newRow("evaluation error at top level") << "throws.js" << QByteArray("var a = 1;\nthrow new Error(\"boom\");")
            << "Evaluation Error in included file:\"%1\"<BR>nLine2<BR>Error: boom<BR>Backtrace: &lt;global&gt;() at 2";
        QTest::newRow("evaluation error inside a function") << "nested.js" << QByteArray("function f() {\n  return missing.x;\n}\nf();")
            << "Evaluation Error in included file:\"%1\"<BR>nLine2<BR>ReferenceError: Can't find variable: missing" "<BR>Backtrace: f() at 2\n&lt;global&gt;() at 4";
        QTest::newRow("thrown text shown as text") << "markup.js" << QByteArray("throw \"a<b>c\";")
            << "Evaluation Error in included file:\"%1\"<BR>nLine1<BR>a&lt;b&gt;c<BR>Backtrace: &lt;global&gt;() at 1";
        QTest::newRow("oversized file") << "huge.js" << QByteArray() << "Error: The included file\"%1\" can not be opened";
        // clang-format on
    }

    void checkIncludedFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString path = writeFile(name, bytes);
        if (name == QLatin1String("huge.js")) {
            QFile file(path);
            QVERIFY(file.resize(IncludeExpander::maximumFileSize + 1));
        }
        const QString expected = text.isEmpty() ? QString() : text.arg(path);
        QCOMPARE(QMDrovebot::checkIncludedFile(path), expected);
    }

    // An endless loop in an included file must not hang the Run, whether it
    // runs statements or none; the events that go on meanwhile reach the
    // check (a time limit, Stop), and the Run's second assembly takes the
    // first one's verdict instead of waiting once more.
    void runawayFileIsStoppedOncePerRun_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("statements") << QByteArray("var n = 0;\nfor (;;) { ++n; }\n");
        QTest::newRow("empty loop") << QByteArray("while (true) {}");
    }

    void runawayFileIsStoppedOncePerRun()
    {
        QFETCH(QByteArray, code);
        const QString path = writeFile(QStringLiteral("loop.js"), code);
        QMDrovebot::ScriptEngine engine;
        QMDrovebot::ScriptEngine::RunScope run(&engine);
        int passes = 0;
        QTimer::singleShot(0, &engine, [&passes] { ++passes; });
        const QString text = QMDrovebot::checkIncludedFile(path);
        QVERIFY2(text.startsWith("Evaluation Error in included file:\"" + path + "\"<BR>nLine") &&
                     text.contains("<BR>Error: the included file ran longer than 5 seconds<BR>Backtrace: "),
                 qPrintable(text));
        QCOMPARE(passes, 1);
        QTimer::singleShot(0, &engine, [&passes] { ++passes; });
        QCOMPARE(QMDrovebot::checkIncludedFile(path), text);
        QCOMPARE(passes, 1);
    }

    void stopEndsTheCheck()
    {
        const QString path = writeFile(QStringLiteral("stopped.js"), "for (;;) {}");
        QMDrovebot::ScriptEngine engine;
        QMDrovebot::ScriptEngine::RunScope run(&engine);
        QTimer::singleShot(100, &engine, [&engine] { engine.interrupt(QStringLiteral("stop")); });
        QCOMPARE(QMDrovebot::checkIncludedFile(path), QString());
        QVERIFY(engine.isInterrupted());
    }

    void verdictFollowsTheContents()
    {
        // Verdicts are remembered per path; an edit must be seen at once, even
        // one that keeps the file's size.
        const QString path = writeFile(QStringLiteral("edited.js"), "var a = 1;");
        QCOMPARE(QMDrovebot::checkIncludedFile(path), QString());
        writeFile(QStringLiteral("edited.js"), "var = 12;a");
        QVERIFY(QMDrovebot::checkIncludedFile(path).startsWith(QStringLiteral("Syntax error in included file:")));
        writeFile(QStringLiteral("edited.js"), "var a = 1;");
        QCOMPARE(QMDrovebot::checkIncludedFile(path), QString());
        QVERIFY(QFile::remove(path));
        QCOMPARE(QMDrovebot::checkIncludedFile(path), "Error: The included file\"" + path + "\" does not exist");
        QCOMPARE(QMDrovebot::checkIncludedFile(m_dir.path()),
                 "Error: The included file\"" + m_dir.path() + "\" can not be opened");
    }

    // Brackets in strings, comments and regular expressions do not nest, so
    // such programs keep the static check and its precise error texts.
    void nestingEstimate_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("deep");
        const QString many = QStringLiteral("[").repeated(200);
        // clang-format off
        QTest::newRow("code") << "x=" + many << true;
        QTest::newRow("double-quoted string") << "x=\"" + many + "\";" << false;
        QTest::newRow("single-quoted string") << "x='" + many + "';" << false;
        QTest::newRow("template") << "x=`" + many + "`;" << false;
        QTest::newRow("line comment") << "x=1; // " + many + "\ny=2;" << false;
        QTest::newRow("block comment") << "/* " + many + " */" << false;
        QTest::newRow("regex literal") << "x=/" + many + "/;" << false;
        QTest::newRow("long flat program") << QStringLiteral("f(a[1], {b: (c + d) * e});\n").repeated(500) << false;
        // clang-format on
    }

    void nestingEstimate()
    {
        QFETCH(QString, program);
        QFETCH(bool, deep);
        QCOMPARE(QMDrovebot::parserNestingEstimate(program) > QMDrovebot::maximumStaticCheckNesting, deep);
    }

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        return TestSupport::writeFile(m_dir.filePath(name), bytes);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_IncludeExpander)
#include "tst_includeexpander.moc"
