#include <QMDrovebot/engine/ProtocolFiles.h>

#include <QMWidgets/App.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using QMDrovebot::ProtocolFiles;

namespace {

// Month abbreviations come from the system's language; "{M}" in an expected
// name stands for the abbreviation of the row's month.
QString withMonth(QString text, const QDateTime &when)
{
    return text.replace(QStringLiteral("{M}"), QLocale::system().monthName(when.date().month(), QLocale::ShortFormat));
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

} // namespace

class tst_ProtocolFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void names_data();
    void names();
    void filesOfOneFolderShareTheLogByFirstDot();
    void directory_data();
    void directory();

    void snapshotCreatesTheFolder();
    void snapshotsInOneSecondKeepEachOther();
    void logGrowsAcrossCallsAndDays();
    void neverSavedScriptWritesIntoTheSaveFolder();
    void missingScriptFolderWritesNothing();

private:
    QTemporaryDir m_root;
    QString m_dir;
    int m_case = 0;
};

void tst_ProtocolFiles::initTestCase()
{
    QVERIFY(m_root.isValid());
}

void tst_ProtocolFiles::init()
{
    // A fresh folder per test function, so existing files never interfere.
    m_dir = m_root.filePath(QString::number(++m_case));
    QVERIFY(QDir().mkpath(m_dir));
}

void tst_ProtocolFiles::names_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("snapshot");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("login.js afternoon") << "login.js" << QDateTime(QDate(2024, 3, 5), QTime(14, 3, 22))
                                        << "login2024-{M}-05_14-03-22.txt"
                                        << "login.log"
                                        << "{M}-05_14-03-22: hello";
    QTest::newRow("everything from the first dot dropped")
        << "login.test.js" << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)) << "login2024-{M}-31_23-59-59.txt"
        << "login.log"
        << "{M}-31_23-59-59: hello";
    QTest::newRow("no extension") << "runme" << QDateTime(QDate(2023, 1, 9), QTime(0, 0, 0))
                                  << "runme2023-{M}-09_00-00-00.txt"
                                  << "runme.log"
                                  << "{M}-09_00-00-00: hello";
    QTest::newRow("single digits padded")
        << "a.js" << QDateTime(QDate(2025, 7, 1), QTime(7, 8, 9)) << "a2025-{M}-01_07-08-09.txt"
        << "a.log"
        << "{M}-01_07-08-09: hello";
    QTest::newRow("hidden file has an empty base name")
        << ".start.js" << QDateTime(QDate(2024, 6, 15), QTime(12, 0, 1)) << "2024-{M}-15_12-00-01.txt"
        << ".log"
        << "{M}-15_12-00-01: hello";
}

void tst_ProtocolFiles::names()
{
    QFETCH(QString, script);
    QFETCH(QDateTime, now);
    QFETCH(QString, snapshot);
    QFETCH(QString, log);
    QFETCH(QString, logLine);

    const ProtocolFiles files(m_dir + QLatin1Char('/') + script, now);
    const QString folder = m_dir + QStringLiteral("/protocol/");
    QCOMPARE(files.directory(), folder);
    QCOMPARE(files.snapshotPath(), folder + withMonth(snapshot, now));
    QCOMPARE(files.logPath(), folder + log);
    QCOMPARE(files.logLine(QStringLiteral("hello")), withMonth(logLine, now));
}

void tst_ProtocolFiles::filesOfOneFolderShareTheLogByFirstDot()
{
    const QDateTime now(QDate(2024, 3, 5), QTime(14, 3, 22));
    QCOMPARE(ProtocolFiles(m_dir + QStringLiteral("/a.b.js"), now).logPath(),
             ProtocolFiles(m_dir + QStringLiteral("/a.c.js"), now).logPath());
    QVERIFY(ProtocolFiles(m_dir + QStringLiteral("/a.js"), now).logPath() !=
            ProtocolFiles(m_dir + QStringLiteral("/b.js"), now).logPath());
}

void tst_ProtocolFiles::directory_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("directory");

    QTest::newRow("absolute") << "/srv/scripts/login.js"
                              << "/srv/scripts/protocol/";
    QTest::newRow("relative made absolute") << "sub/login.js" << QDir::currentPath() + "/sub/protocol/";
}

void tst_ProtocolFiles::directory()
{
    QFETCH(QString, script);
    QFETCH(QString, directory);
    QCOMPARE(ProtocolFiles(script).directory(), directory);
}

void tst_ProtocolFiles::snapshotCreatesTheFolder()
{
    const QString script = m_dir + QStringLiteral("/run.js");
    const QDateTime now(QDate(2024, 3, 5), QTime(14, 3, 22));
    const ProtocolFiles files(script, now);
    QVERIFY(!QFileInfo::exists(m_dir + QStringLiteral("/protocol")));

    const QString text = QString::fromUtf8("first line\nsecond \xc3\xa4 line");
    const QString written = files.saveSnapshot(text);
    QCOMPARE(written,
             m_dir + QStringLiteral("/protocol/") + withMonth(QStringLiteral("run2024-{M}-05_14-03-22.txt"), now));
    // Exactly the pane's text: no header, no final line feed.
    QCOMPARE(contentsOf(written), text.toUtf8());
}

void tst_ProtocolFiles::snapshotsInOneSecondKeepEachOther()
{
    const QDateTime now(QDate(2024, 3, 5), QTime(14, 3, 22));
    const ProtocolFiles files(m_dir + QStringLiteral("/run.js"), now);
    const QString first = files.saveSnapshot(QStringLiteral("one"));
    const QString second = files.saveSnapshot(QStringLiteral("two"));
    const QString third = files.saveSnapshot(QStringLiteral("three"));

    const QString stem =
        m_dir + QStringLiteral("/protocol/") + withMonth(QStringLiteral("run2024-{M}-05_14-03-22"), now);
    QCOMPARE(first, stem + QStringLiteral(".txt"));
    QCOMPARE(second, stem + QStringLiteral("_2.txt"));
    QCOMPARE(third, stem + QStringLiteral("_3.txt"));
    QCOMPARE(contentsOf(first), QByteArray("one"));
    QCOMPARE(contentsOf(second), QByteArray("two"));
    QCOMPARE(contentsOf(third), QByteArray("three"));
}

void tst_ProtocolFiles::logGrowsAcrossCallsAndDays()
{
    const QString script = m_dir + QStringLiteral("/job.js");
    const QDateTime monday(QDate(2024, 3, 4), QTime(9, 0, 5));
    const QDateTime tuesday(QDate(2024, 3, 5), QTime(10, 11, 12));

    QCOMPARE(ProtocolFiles(script, monday).appendLogLine(QStringLiteral("start")),
             withMonth(QStringLiteral("{M}-04_09-00-05: start"), monday));
    QCOMPARE(ProtocolFiles(script, monday).appendLogLine(QString()),
             withMonth(QStringLiteral("{M}-04_09-00-05: "), monday));
    QCOMPARE(ProtocolFiles(script, tuesday).appendLogLine(QStringLiteral("again")),
             withMonth(QStringLiteral("{M}-05_10-11-12: again"), tuesday));

    const QString expected = withMonth(QStringLiteral("{M}-04_09-00-05: start\n{M}-04_09-00-05: \n"), monday) +
                             withMonth(QStringLiteral("{M}-05_10-11-12: again\n"), tuesday);
    QCOMPARE(QString::fromUtf8(contentsOf(m_dir + QStringLiteral("/protocol/job.log"))), expected);
}

void tst_ProtocolFiles::neverSavedScriptWritesIntoTheSaveFolder()
{
    // The save folder may not exist yet; it is made on demand.
    const QString saveFolder = m_dir + QStringLiteral("/documents/Corvella/");
    QMWidgets::App::setSaveDirectory(saveFolder);
    const QDateTime now(QDate(2024, 3, 5), QTime(14, 3, 22));
    const ProtocolFiles files(QString(), now);

    QCOMPARE(files.directory(), saveFolder + QStringLiteral("protocol/"));
    const QString snapshot = files.saveSnapshot(QStringLiteral("out"));
    QCOMPARE(snapshot,
             saveFolder + QStringLiteral("protocol/") + withMonth(QStringLiteral("2024-{M}-05_14-03-22.txt"), now));
    QCOMPARE(contentsOf(snapshot), QByteArray("out"));
    QVERIFY(!files.appendLogLine(QStringLiteral("x")).isEmpty());
    QVERIFY(QFileInfo::exists(saveFolder + QStringLiteral("protocol/.log")));

    // A save folder given without the final slash gets one.
    QMWidgets::App::setSaveDirectory(m_dir + QStringLiteral("/plain"));
    QCOMPARE(ProtocolFiles(QString()).directory(), m_dir + QStringLiteral("/plain/protocol/"));
}

void tst_ProtocolFiles::missingScriptFolderWritesNothing()
{
    // Only the protocol folder itself is made; a vanished script folder is not
    // brought back, and nothing is reported.
    const QString script = m_dir + QStringLiteral("/gone/deeper/run.js");
    const ProtocolFiles files(script);
    QCOMPARE(files.saveSnapshot(QStringLiteral("x")), QString());
    QCOMPARE(files.appendLogLine(QStringLiteral("x")), QString());
    QVERIFY(!QFileInfo::exists(m_dir + QStringLiteral("/gone")));
}

QTEST_MAIN(tst_ProtocolFiles)
#include "tst_protocolfiles.moc"
