#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QProcess>
#include <QScriptEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The minifier on real code: well-known ES5 libraries, fetched with npm when
// the test runs (never kept in the repository). Each must still parse after
// minifying, and two of them must compute the same results as before.
class TestMinifierLibraries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void minifiedStillParses_data();
    void minifiedStillParses();
    void pathsAgree_data();
    void pathsAgree();
    void lodashBehavesTheSame();
    void esprimaBehavesTheSame();

private:
    QByteArray library(const QString &path) const;
    void addLibraryRows();

    QTemporaryDir m_dir;
};

namespace {

// Pinned, so that a new release cannot change what the test sees.
const char *const packages[] = {"lodash@4.17.21", "underscore@1.13.6", "backbone@1.4.1", "jquery@1.12.4",
                                "esprima@4.0.1",  "d3@3.5.17",         "async@2.6.4",    "mustache@2.3.2"};

const char *const libraryFiles[] = {"lodash/lodash.js",      "underscore/underscore.js", "backbone/backbone.js",
                                    "jquery/dist/jquery.js", "esprima/dist/esprima.js",  "d3/d3.js",
                                    "async/dist/async.js",   "mustache/mustache.js"};

// Parses without running: the body of a function that is never called.
QString syntaxError(const QString &code)
{
    QScriptEngine engine;
    const QScriptValue result = engine.evaluate(QStringLiteral("(function(){\n") + code + QStringLiteral("\n})"));
    if (!engine.hasUncaughtException())
        return QString();
    return QStringLiteral("%1 at line %2").arg(result.toString()).arg(engine.uncaughtExceptionLineNumber() - 1);
}

QString evaluateCalls(const QString &library, const QString &calls)
{
    QScriptEngine engine;
    engine.evaluate(library);
    if (engine.hasUncaughtException())
        return QStringLiteral("library failed: ") + engine.uncaughtException().toString();
    const QScriptValue result = engine.evaluate(calls);
    if (engine.hasUncaughtException())
        return QStringLiteral("calls failed: ") + result.toString();
    return result.toString();
}

} // namespace

void TestMinifierLibraries::initTestCase()
{
    const QString npm = QStandardPaths::findExecutable(QStringLiteral("npm"));
    if (npm.isEmpty())
        QSKIP("npm is not installed: the real libraries cannot be fetched, so this check does not run");
    QVERIFY(m_dir.isValid());

    QStringList arguments = {QStringLiteral("install"), QStringLiteral("--no-save"), QStringLiteral("--no-audit"),
                             QStringLiteral("--no-fund"), QStringLiteral("--ignore-scripts"),
                             QStringLiteral("--no-package-lock"), QStringLiteral("--prefer-offline"),
                             // Without a registry npm would retry for minutes.
                             QStringLiteral("--fetch-retries=1"), QStringLiteral("--fetch-retry-mintimeout=1000"),
                             QStringLiteral("--fetch-retry-maxtimeout=3000"), QStringLiteral("--fetch-timeout=30000"),
                             QStringLiteral("--prefix"), m_dir.path()};
    for (const char *package : packages)
        arguments << QString::fromLatin1(package);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(npm, arguments);
    if (!process.waitForFinished(90000)) {
        process.kill();
        process.waitForFinished();
        QSKIP("npm did not fetch the libraries within 90 seconds (no network?): this check does not run");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        // Its first line names the failure ("npm error code ECONNREFUSED").
        const QString output = QString::fromLocal8Bit(process.readAll()).trimmed().section(QLatin1Char('\n'), 0, 0);
        QSKIP(qPrintable(QStringLiteral("npm could not fetch the libraries (no network?), so this check does not "
                                        "run. npm said: %1")
                             .arg(output)));
    }
}

QByteArray TestMinifierLibraries::library(const QString &path) const
{
    QFile file(m_dir.filePath(QStringLiteral("node_modules/") + path));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void TestMinifierLibraries::addLibraryRows()
{
    QTest::addColumn<QString>("path");
    for (const char *path : libraryFiles)
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestMinifierLibraries::minifiedStillParses_data()
{
    addLibraryRows();
}

void TestMinifierLibraries::minifiedStillParses()
{
    QFETCH(QString, path);
    const QByteArray bytes = library(path);
    QVERIFY2(!bytes.isEmpty(), qPrintable(path + QStringLiteral(" was not fetched")));
    const QString original = QString::fromUtf8(bytes);
    // The engine must read the original, or the check says nothing.
    QCOMPARE(syntaxError(original), QString());

    const QString minified = compressJavaScriptText(original);
    QVERIFY(minified.size() < original.size());
    QCOMPARE(syntaxError(minified), QString());
    // The exported file as well.
    QCOMPARE(syntaxError(QString::fromLatin1(toJavaScriptAscii(minified))), QString());
}

void TestMinifierLibraries::pathsAgree_data()
{
    addLibraryRows();
}

// The editor's QString path, the byte path in one piece and in the chunks
// the command line reads, and the command line itself give the same text.
void TestMinifierLibraries::pathsAgree()
{
    QFETCH(QString, path);
    const QByteArray bytes = library(path);
    QVERIFY2(!bytes.isEmpty(), qPrintable(path + QStringLiteral(" was not fetched")));
    const QByteArray expected = compressJavaScriptText(QString::fromUtf8(bytes)).toUtf8();
    QCOMPARE(compressJavaScriptUtf8(bytes), expected);

    for (const int chunk : {131072, 4093, 61}) {
        JSMinifier minifier;
        QByteArray streamed;
        QByteArray buffer(chunk + int(JSMinifier::extraOutput), Qt::Uninitialized);
        for (int at = 0; at < bytes.size(); at += chunk) {
            const char *end = minifier.feed(bytes.constData() + at, qMin(chunk, bytes.size() - at), buffer.data());
            streamed.append(buffer.constData(), int(end - buffer.constData()));
        }
        const char *end = minifier.finish(buffer.data());
        streamed.append(buffer.constData(), int(end - buffer.constData()));
        QVERIFY2(streamed == expected, qPrintable(QStringLiteral("chunks of %1 bytes differ").arg(chunk)));
    }

    QProcess corvella;
    corvella.start(QStringLiteral(CORVELLA_BINARY),
                   {QStringLiteral("--compress"), m_dir.filePath(QStringLiteral("node_modules/") + path)});
    QVERIFY(corvella.waitForFinished(60000));
    QCOMPARE(corvella.exitCode(), 0);
    QVERIFY(corvella.readAllStandardOutput() == expected);

    // Saved with a byte-order mark, as some editors do: the same text on
    // every path, standard output and the exported file included.
    const QByteArray marked = "\xEF\xBB\xBF" + bytes;
    QVERIFY(compressJavaScriptUtf8(marked) == expected);
    QVERIFY(compressJavaScriptText(QString::fromUtf8(marked)).toUtf8() == expected);
    const QString markedPath = m_dir.filePath(QStringLiteral("marked.js"));
    const QString exportPath = m_dir.filePath(QStringLiteral("markedCompressed.js"));
    QFile markedFile(markedPath);
    QVERIFY(markedFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(markedFile.write(marked), qint64(marked.size()));
    markedFile.close();
    corvella.start(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--compress"), markedPath});
    QVERIFY(corvella.waitForFinished(60000));
    QCOMPARE(corvella.exitCode(), 0);
    QVERIFY(corvella.readAllStandardOutput() == expected);
    corvella.start(QStringLiteral(CORVELLA_BINARY),
                   {QStringLiteral("--compress"), markedPath, QStringLiteral("-o"), exportPath});
    QVERIFY(corvella.waitForFinished(60000));
    QCOMPARE(corvella.exitCode(), 0);
    QFile exported(exportPath);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QVERIFY(exported.readAll() == toJavaScriptAscii(QString::fromUtf8(expected)));
}

void TestMinifierLibraries::lodashBehavesTheSame()
{
    const QString original = QString::fromUtf8(library(QStringLiteral("lodash/lodash.js")));
    QVERIFY(!original.isEmpty());
    const QString calls = QStringLiteral(R"js(
        [
            _.map([1, 2, 3], function (x) { return x * x; }).join(','),
            _.template('hello <%= user %>, <%- tag %>!')({ user: 'fred', tag: '<b>' }),
            JSON.stringify(_.chunk(['a', 'b', 'c', 'd'], 3)),
            _.camelCase('Foo Bar  baz'),
            _.kebabCase('fooBar / baz'),
            _.escape('<a href="x">&</a>'),
            JSON.stringify(_.groupBy([6.1, 4.2, 6.3], Math.floor)),
            _.padStart('7', 3, '0'),
            JSON.stringify(_.sortBy([{ a: 3 }, { a: 1 }, { a: 2 }], 'a')),
            _.words('fred, barney, & pebbles').join('|'),
            _.trim('  abc  '),
            _.escapeRegExp('[lodash](https://lodash.com/)'),
            JSON.stringify(_.toPath('a[0].b.c'))
        ].join('\n')
    )js");
    const QString expected = evaluateCalls(original, calls);
    QVERIFY2(expected.startsWith(QLatin1String("1,4,9\nhello fred, &lt;b&gt;!")), qPrintable(expected));
    QCOMPARE(evaluateCalls(compressJavaScriptText(original), calls), expected);
}

// A parser full of regular expressions and comments quoting code.
void TestMinifierLibraries::esprimaBehavesTheSame()
{
    const QString original = QString::fromUtf8(library(QStringLiteral("esprima/dist/esprima.js")));
    QVERIFY(!original.isEmpty());
    const QString calls = QStringLiteral(R"js(
        JSON.stringify(esprima.tokenize("var a = /re[/]x/g.test('s // t') / 2; // note\n`x${1}`")) + '\n' +
        JSON.stringify(esprima.parseScript('function f(a, b) { return a - -b; }'))
    )js");
    const QString expected = evaluateCalls(original, calls);
    QVERIFY2(expected.contains(QLatin1String("RegularExpression")), qPrintable(expected));
    QCOMPARE(evaluateCalls(compressJavaScriptText(original), calls), expected);
}

QTEST_GUILESS_MAIN(TestMinifierLibraries)
#include "tst_minifierlibraries.moc"
