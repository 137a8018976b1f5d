#include "TestSupport.h"
#include "compress/JSAsciiEncoder.h"
#include "compress/JSMinifier.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// Pinned, so that a new release cannot change what the test sees.
const char *const packages[][2] = {
    {"lodash@4.17.21", "lodash/lodash.js"},       {"underscore@1.13.6", "underscore/underscore.js"},
    {"backbone@1.4.1", "backbone/backbone.js"},   {"jquery@1.12.4", "jquery/dist/jquery.js"},
    {"esprima@4.0.1", "esprima/dist/esprima.js"}, {"d3@3.5.17", "d3/d3.js"},
    {"async@2.6.4", "async/dist/async.js"},       {"mustache@2.3.2", "mustache/mustache.js"}};

// Parses without running: the body of a function that is never called.
QString syntaxError(const QString &code)
{
    QScriptEngine engine;
    const QScriptValue result = engine.evaluate(QStringLiteral("(function(){\n") + code + QStringLiteral("\n})"));
    if (!engine.hasUncaughtException())
        return QString();
    return QStringLiteral("%1 at line %2").arg(result.toString()).arg(engine.uncaughtExceptionLineNumber() - 1);
}

} // namespace

// The minifier on real code: well-known ES5 libraries, fetched with npm when
// the test runs (never kept in the repository). Each must still parse after
// minifying and after the ASCII export.
class tst_MinifierLibraries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString npm = QStandardPaths::findExecutable(QStringLiteral("npm"));
        if (npm.isEmpty())
            QSKIP("npm is not installed: the real libraries cannot be fetched, so this check does not run");
        // Without a registry npm would retry for minutes.
        QStringList arguments =
            QStringLiteral("install --no-save --no-audit --no-fund --ignore-scripts --no-package-lock "
                           "--prefer-offline --fetch-retries=1 --fetch-retry-mintimeout=1000 "
                           "--fetch-retry-maxtimeout=3000 --fetch-timeout=30000 --prefix")
                .split(' ')
            << m_dir.path();
        for (const auto &package : packages)
            arguments << QString::fromLatin1(package[0]);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(npm, arguments);
        if (!process.waitForFinished(90000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            process.kill();
            // Its first line names the failure ("npm error code ECONNREFUSED").
            const QString said = QString::fromLocal8Bit(process.readAll()).trimmed().section(QLatin1Char('\n'), 0, 0);
            QSKIP(qPrintable("npm could not fetch the libraries (no network?), so this check does not run: " + said));
        }
    }

    void minifiedStillParses_data()
    {
        QTest::addColumn<QString>("path");
        for (const auto &package : packages)
            QTest::newRow(package[1]) << QString::fromLatin1(package[1]);
    }

    void minifiedStillParses()
    {
        QFETCH(QString, path);
        const QString original = QString::fromUtf8(library(path));
        QVERIFY2(!original.isEmpty(), qPrintable(path + QStringLiteral(" was not fetched")));
        // The engine must read the original, or the check says nothing.
        QCOMPARE(syntaxError(original), QString());
        const QString minified = compressJavaScriptText(original);
        QVERIFY(minified.size() < original.size());
        QCOMPARE(syntaxError(minified), QString());
        // The exported file as well.
        QCOMPARE(syntaxError(QString::fromLatin1(toJavaScriptAscii(minified))), QString());
    }

private:
    QByteArray library(const QString &path) const
    {
        return TestSupport::readFile(m_dir.filePath(QStringLiteral("node_modules/") + path));
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_MinifierLibraries)
#include "tst_minifierlibraries.moc"
