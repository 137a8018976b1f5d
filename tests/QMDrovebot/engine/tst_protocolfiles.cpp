#include "TestSupport.h"

#include <QMDrovebot/engine/ProtocolFiles.h>
#include <QMWidgets/App.h>

using QMDrovebot::ProtocolFiles;
using TestSupport::readFile;

namespace {

// Month abbreviations come from the system's language; "{M}" in an expected
// name stands for the abbreviation of the row's month.
QString withMonth(QString text, const QDateTime &when)
{
    return text.replace(QStringLiteral("{M}"), QLocale::system().monthName(when.date().month(), QLocale::ShortFormat));
}

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 3, 22));

} // namespace

// The names of snapshots and logs, where they go, and what they hold.
class tst_ProtocolFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::useTestIdentity(); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QMWidgets::App::setSaveDirectory(m_dir->filePath(QStringLiteral("saved")) + QLatin1Char('/'));
    }

    void names_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("snapshot");
        QTest::addColumn<QString>("log");
        // clang-format off
        QTest::newRow("login.js afternoon") << "login.js" << QDateTime(QDate(2024, 3, 5), QTime(14, 3, 22)) << "login2024-{M}-05_14-03-22.txt" << "login.log";
        QTest::newRow("everything from the first dot dropped") << "login.test.js" << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)) << "login2024-{M}-31_23-59-59.txt" << "login.log";
        QTest::newRow("single digits padded") << "a" << QDateTime(QDate(2025, 7, 1), QTime(7, 8, 9)) << "a2025-{M}-01_07-08-09.txt" << "a.log";
        QTest::newRow("hidden file has an empty base name") << ".start.js" << QDateTime(QDate(2024, 6, 15), QTime(12, 0, 1)) << "2024-{M}-15_12-00-01.txt" << ".log";
        // clang-format on
    }

    void names()
    {
        QFETCH(QString, script);
        QFETCH(QDateTime, now);
        QFETCH(QString, snapshot);
        QFETCH(QString, log);
        const ProtocolFiles files(m_dir->filePath(script), now);
        const QString folder = m_dir->filePath("protocol/");
        QCOMPARE(files.directory(), folder);
        QCOMPARE(files.snapshotPath(), folder + withMonth(snapshot, now));
        QCOMPARE(files.logPath(), folder + log);
        // The log line's stamp is the snapshot's without the year.
        QCOMPARE(files.logLine(QStringLiteral("hello")),
                 withMonth(snapshot, now).section('-', 1, -1).chopped(4) + ": hello");
    }

    void directory()
    {
        QCOMPARE(ProtocolFiles("/srv/scripts/login.js").directory(), QStringLiteral("/srv/scripts/protocol/"));
        QCOMPARE(ProtocolFiles("sub/login.js").directory(), QDir::currentPath() + "/sub/protocol/");
    }

    // The folder is made with the first snapshot; snapshots of one second
    // keep each other, and hold exactly the pane's text.
    void snapshots()
    {
        const ProtocolFiles files(m_dir->path() + QStringLiteral("/run.js"), kNow);
        QVERIFY(!QFileInfo::exists(m_dir->path() + QStringLiteral("/protocol")));
        const QString text = QString::fromUtf8("first line\nsecond \xc3\xa4 line");
        const QStringList written{files.saveSnapshot(text), files.saveSnapshot("two"), files.saveSnapshot("three")};
        const QString stem = m_dir->path() + "/protocol/" + withMonth(QStringLiteral("run2024-{M}-05_14-03-22"), kNow);
        QCOMPARE(written, QStringList({stem + ".txt", stem + "_2.txt", stem + "_3.txt"}));
        QCOMPARE(readFile(written.at(0)) + readFile(written.at(1)) + readFile(written.at(2)),
                 text.toUtf8() + "twothree");
    }

    void logGrowsAcrossCallsAndDays()
    {
        const QString script = m_dir->path() + QStringLiteral("/job.js");
        const QDateTime monday(QDate(2024, 3, 4), QTime(9, 0, 5));
        QCOMPARE(ProtocolFiles(script, monday).appendLogLine(QStringLiteral("start")),
                 withMonth(QStringLiteral("{M}-04_09-00-05: start"), monday));
        ProtocolFiles(script, monday).appendLogLine(QString());
        ProtocolFiles(script, kNow).appendLogLine(QStringLiteral("again"));
        const QString expected = withMonth(QStringLiteral("{M}-04_09-00-05: start\n{M}-04_09-00-05: \n"), monday) +
                                 withMonth(QStringLiteral("{M}-05_14-03-22: again\n"), kNow);
        QCOMPARE(QString::fromUtf8(readFile(m_dir->path() + QStringLiteral("/protocol/job.log"))), expected);
    }

    void neverSavedScriptWritesIntoTheSaveFolder()
    {
        // The save folder may not exist yet; it is made on demand.
        const QString saveFolder = m_dir->path() + QStringLiteral("/documents/Corvella/");
        QMWidgets::App::setSaveDirectory(saveFolder);
        const ProtocolFiles files(QString(), kNow);
        const QString snapshot = files.saveSnapshot(QStringLiteral("out"));
        QCOMPARE(snapshot, saveFolder + "protocol/" + withMonth(QStringLiteral("2024-{M}-05_14-03-22.txt"), kNow));
        QCOMPARE(readFile(snapshot), QByteArray("out"));
        QCOMPARE(files.appendLogLine(QStringLiteral("x")).isEmpty(), false);
        QVERIFY(QFileInfo::exists(saveFolder + QStringLiteral("protocol/.log")));
        // A save folder given without the final slash gets one.
        QMWidgets::App::setSaveDirectory(m_dir->path() + QStringLiteral("/plain"));
        QCOMPARE(ProtocolFiles(QString()).directory(), m_dir->path() + QStringLiteral("/plain/protocol/"));
    }

    void missingScriptFolderWritesNothing()
    {
        // Only the protocol folder itself is made; a vanished script folder is not
        // brought back, and nothing is reported.
        const ProtocolFiles files(m_dir->path() + QStringLiteral("/gone/deeper/run.js"));
        QCOMPARE(files.saveSnapshot(QStringLiteral("x")), QString());
        QCOMPARE(files.appendLogLine(QStringLiteral("x")), QString());
        QVERIFY(!QFileInfo::exists(m_dir->path() + QStringLiteral("/gone")));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(tst_ProtocolFiles)
#include "tst_protocolfiles.moc"
