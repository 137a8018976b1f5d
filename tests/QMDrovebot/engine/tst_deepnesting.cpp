#include <QMDrovebot/engine/SyntaxCheck.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace QMDrovebot;

// Deeply nested programs must not reach the engine's static syntax check,
// which overruns its parser stack on them; the evaluator's parser decides.
class TestDeepNesting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void deepProgramsRun_data();
    void deepProgramsRun();
    void nestingOutsideCode_data();
    void nestingOutsideCode();

private:
    static QString nested(const QString &open, const QString &close, int levels, const QString &inner);
    QTemporaryDir m_dir;
};

void TestDeepNesting::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestDeepNesting::nested(const QString &open, const QString &close, int levels, const QString &inner)
{
    return open.repeated(levels) + inner + close.repeated(levels);
}

void TestDeepNesting::deepProgramsRun_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    const QString arrays =
        QStringLiteral("var a=") + nested(QStringLiteral("["), QStringLiteral("]"), 63, QStringLiteral("1"));
    const QString print = QStringLiteral(";printout(typeof a);");
    QTest::newRow("63 nested arrays") << arrays + print << 0 << QStringLiteral("object");
    QTest::newRow("40 nested arrays of three")
        << QStringLiteral("var a=") + nested(QStringLiteral("[1,2,"), QStringLiteral("]"), 40, QStringLiteral("3")) +
               print
        << 0 << QStringLiteral("object");
    QTest::newRow("100 nested functions")
        << QStringLiteral("var a=") +
               nested(QStringLiteral("function(){return "), QStringLiteral("}"), 100, QStringLiteral("1")) + print
        << 0 << QStringLiteral("function");
    QTest::newRow("deep program with a syntax error")
        << arrays + QStringLiteral(";\nvar b = );") << 1 << QStringLiteral("Syntax Error:");
    QTest::newRow("deep included file") << QStringLiteral("include(\"deep.lib\");") + print << 0
                                        << QStringLiteral("object");
}

void TestDeepNesting::deepProgramsRun()
{
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const QString arrays =
        QStringLiteral("var a=") + nested(QStringLiteral("["), QStringLiteral("]"), 70, QStringLiteral("1"));
    QFile lib(m_dir.filePath(QStringLiteral("deep.lib")));
    QFile file(m_dir.filePath(QStringLiteral("deep.js")));
    QVERIFY(lib.open(QIODevice::WriteOnly) && lib.write(arrays.toUtf8()) > 0 && file.open(QIODevice::WriteOnly) &&
            file.write(script.toUtf8()) > 0);
    lib.close();
    file.close();
    // In a process of its own: a crash of the engine fails this row only.
    QProcess process;
    process.start(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--run"), file.fileName()});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(output));
}

void TestDeepNesting::nestingOutsideCode_data()
{
    // Brackets in strings, comments and regex literals do not nest, so such
    // programs keep the static check and its precise error texts.
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("deep");
    const QString many = QStringLiteral("[").repeated(200);
    QTest::newRow("code") << QStringLiteral("x=") + many << true;
    QTest::newRow("double-quoted string") << QStringLiteral("x=\"") + many + QStringLiteral("\";") << false;
    QTest::newRow("single-quoted string") << QStringLiteral("x='") + many + QStringLiteral("';") << false;
    QTest::newRow("template") << QStringLiteral("x=`") + many + QStringLiteral("`;") << false;
    QTest::newRow("line comment") << QStringLiteral("x=1; // ") + many + QStringLiteral("\ny=2;") << false;
    QTest::newRow("block comment") << QStringLiteral("/* ") + many + QStringLiteral(" */") << false;
    QTest::newRow("regex literal") << QStringLiteral("x=/") + many + QStringLiteral("/;") << false;
    QTest::newRow("long flat program") << QStringLiteral("f(a[1], {b: (c + d) * e});\n").repeated(500) << false;
}

void TestDeepNesting::nestingOutsideCode()
{
    QFETCH(QString, program);
    QFETCH(bool, deep);
    QCOMPARE(parserNestingEstimate(program) > maximumStaticCheckNesting, deep);
}

QTEST_GUILESS_MAIN(TestDeepNesting)
#include "tst_deepnesting.moc"
