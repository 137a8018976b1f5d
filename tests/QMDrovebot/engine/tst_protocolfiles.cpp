#include "TestSupport.h"

#include <QMDrovebot/engine/ProtocolFiles.h>

#include <QMWidgets/App.h>

#include <QLocale>

using QMDrovebot::ProtocolFiles;

namespace {

// Month abbreviations come from the system's language; "{M}" in an expected
// name stands for the abbreviation of the row's month.
QString withMonth(QString text, const QDateTime &when)
{
    return text.replace(QStringLiteral("{M}"), QLocale::system().monthName(when.date().month(), QLocale::ShortFormat));
}

using TestSupport::readFile;

} // namespace

class tst_ProtocolFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A fresh folder per test function, so existing files never interfere.
        m_dir = m_root.filePath(QString::number(++m_case));
        QVERIFY(QDir().mkpath(m_dir));
    }

    void names_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("snapshot");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("logLine");

        // clang-format off
        QTest::newRow("login.js afternoon") << "login.js" << QDateTime(QDate(2024, 3, 5), QTime(14, 3, 22)) << "login2024-{M}-05_14-03-22.txt" << "login.log" << "{M}-05_14-03-22: hello";
        QTest::newRow("everything from the first dot dropped") << "login.test.js" << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)) << "login2024-{M}-31_23-59-59.txt" << "login.log" << "{M}-31_23-59-59: hello";
        QTest::newRow("single digits padded") << "a" << QDateTime(QDate(2025, 7, 1), QTime(7, 8, 9)) << "a2025-{M}-01_07-08-09.txt" << "a.log" << "{M}-01_07-08-09: hello";
        QTest::newRow("hidden file has an empty base name") << ".start.js" << QDateTime(QDate(2024, 6, 15), QTime(12, 0, 1)) << "2024-{M}-15_12-00-01.txt" << ".log" << "{M}-15_12-00-01: hello";
        // clang-format on
    }

    void names()
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

    void directory()
    {
        QCOMPARE(ProtocolFiles("/srv/scripts/login.js").directory(), QStringLiteral("/srv/scripts/protocol/"));
        QCOMPARE(ProtocolFiles("sub/login.js").directory(), QDir::currentPath() + "/sub/protocol/");
    }

    void snapshotCreatesTheFolder()
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
        QCOMPARE(readFile(written), text.toUtf8());
    }

    void snapshotsInOneSecondKeepEachOther()
    {
        const QDateTime now(QDate(2024, 3, 5), QTime(14, 3, 22));
        const ProtocolFiles files(m_dir + QStringLiteral("/run.js"), now);
        const QString first = files.saveSnapshot(QStringLiteral("one"));
        const QString second = files.saveSnapshot(QStringLiteral("two"));
        const QString third = files.saveSnapshot(QStringLiteral("three"));

        const QString stem =
            m_dir + QStringLiteral("/protocol/") + withMonth(QStringLiteral("run2024-{M}-05_14-03-22"), now);
        QCOMPARE(QStringList({first, second, third}), QStringList({stem + ".txt", stem + "_2.txt", stem + "_3.txt"}));
        QCOMPARE(readFile(first) + readFile(second) + readFile(third), QByteArray("onetwothree"));
    }

    void logGrowsAcrossCallsAndDays()
    {
        const QString script = m_dir + QStringLiteral("/job.js");
        const QDateTime monday(QDate(2024, 3, 4), QTime(9, 0, 5));
        const QDateTime tuesday(QDate(2024, 3, 5), QTime(10, 11, 12));

        QCOMPARE(ProtocolFiles(script, monday).appendLogLine(QStringLiteral("start")),
                 withMonth(QStringLiteral("{M}-04_09-00-05: start"), monday));
        ProtocolFiles(script, monday).appendLogLine(QString());
        ProtocolFiles(script, tuesday).appendLogLine(QStringLiteral("again"));

        const QString expected = withMonth(QStringLiteral("{M}-04_09-00-05: start\n{M}-04_09-00-05: \n"), monday) +
                                 withMonth(QStringLiteral("{M}-05_10-11-12: again\n"), tuesday);
        QCOMPARE(QString::fromUtf8(readFile(m_dir + QStringLiteral("/protocol/job.log"))), expected);
    }

    void neverSavedScriptWritesIntoTheSaveFolder()
    {
        // The save folder may not exist yet; it is made on demand.
        const QString saveFolder = m_dir + QStringLiteral("/documents/Corvella/");
        QMWidgets::App::setSaveDirectory(saveFolder);
        const QDateTime now(QDate(2024, 3, 5), QTime(14, 3, 22));
        const ProtocolFiles files(QString(), now);

        const QString snapshot = files.saveSnapshot(QStringLiteral("out"));
        QCOMPARE(snapshot,
                 saveFolder + QStringLiteral("protocol/") + withMonth(QStringLiteral("2024-{M}-05_14-03-22.txt"), now));
        QCOMPARE(readFile(snapshot), QByteArray("out"));
        QVERIFY(!files.appendLogLine(QStringLiteral("x")).isEmpty());
        QVERIFY(QFileInfo::exists(saveFolder + QStringLiteral("protocol/.log")));

        // A save folder given without the final slash gets one.
        QMWidgets::App::setSaveDirectory(m_dir + QStringLiteral("/plain"));
        QCOMPARE(ProtocolFiles(QString()).directory(), m_dir + QStringLiteral("/plain/protocol/"));
    }

    void missingScriptFolderWritesNothing()
    {
        // Only the protocol folder itself is made; a vanished script folder is not
        // brought back, and nothing is reported.
        const QString script = m_dir + QStringLiteral("/gone/deeper/run.js");
        const ProtocolFiles files(script);
        QCOMPARE(files.saveSnapshot(QStringLiteral("x")), QString());
        QCOMPARE(files.appendLogLine(QStringLiteral("x")), QString());
        QVERIFY(!QFileInfo::exists(m_dir + QStringLiteral("/gone")));
    }

private:
    QTemporaryDir m_root;
    QString m_dir;
    int m_case = 0;
};

QTEST_MAIN(tst_ProtocolFiles)
#include "tst_protocolfiles.moc"
