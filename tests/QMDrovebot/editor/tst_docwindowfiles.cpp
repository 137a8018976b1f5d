#include "FileLimits.h"
#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using QMDrovebot::DocWindow;

// What Save writes: the bytes the file had, its encoding and line ends kept,
// and never less than the whole text.
class TestDocWindowFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void unchangedFileRoundTrips_data();
    void unchangedFileRoundTrips();
    void editedFileKeepsItsFormat_data();
    void editedFileKeepsItsFormat();
    void fullDiskKeepsTheOldFile();
    void readOnlyFolderStillSaves();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return FileLimits::write(m_dir.filePath(name), bytes);
    }
    static QByteArray readAll(const QString &file) { return FileLimits::readAll(file); }
    QTemporaryDir m_dir;
};

void TestDocWindowFiles::initTestCase()
{
    TestSupport::useTestIdentity();
    QVERIFY(m_dir.isValid());
}

void TestDocWindowFiles::unchangedFileRoundTrips_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-8") << QByteArray("var s = 'Grüße €';\nf(s);\n");
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFvar s = 'Grüße';\n");
    QTest::newRow("UTF-16 LE with mark") << QByteArray("\xFF\xFEv\0=\0'\0\xFC\0'\0;\0\n\0", 16);
    QTest::newRow("UTF-16 BE with mark") << QByteArray("\xFE\xFF\0v\0=\0'\0\xFC\0'\0;\0\n", 16);
    QTest::newRow("Latin-1") << QByteArray("var s = 'Gr\xFC\xDF"
                                           "e';\n");
    QTest::newRow("Latin-1 with no-break space") << QByteArray("a =\xA0"
                                                               "1; // \xE9t\xE9\n");
    QTest::newRow("invalid UTF-8 sequences") << QByteArray("ok \xC3\xA9 bad \xC3( \xFF\xFE tail\n");
    QTest::newRow("CR LF") << QByteArray("a();\r\nb();\r\n\r\nc();");
    QTest::newRow("lone CR") << QByteArray("a();\rb();\r");
    QTest::newRow("UTF-16 LE with CR LF") << QByteArray("\xFF\xFEx\0\r\0\n\0y\0", 10);
}

void TestDocWindowFiles::unchangedFileRoundTrips()
{
    QFETCH(QByteArray, bytes);
    const QString path = write(QStringLiteral("round.js"), bytes);
    DocWindow doc;
    QVERIFY(doc.openFile(path));
    QVERIFY(doc.saveFile());
    QCOMPARE(readAll(path), bytes);
}

void TestDocWindowFiles::editedFileKeepsItsFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("appended");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("noted");
    QTest::newRow("CR LF") << QByteArray("a();\r\nb();") << QStringLiteral("\nc();")
                           << QByteArray("a();\r\nb();\r\nc();") << false;
    QTest::newRow("mostly CR LF") << QByteArray("a();\r\nb();\r\nc();\nd();") << QStringLiteral("\n")
                                  << QByteArray("a();\r\nb();\r\nc();\r\nd();\r\n") << false;
    QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0a", 4) << QStringLiteral("\xE9")
                               << QByteArray("\xFE\xFF\0a\0\xE9", 6) << false;
    QTest::newRow("Latin-1 keeps what it can store")
        << QByteArray("s='\xE9';") << QStringLiteral("\xFC") << QByteArray("s='\xE9';\xFC") << false;
    QTest::newRow("Latin-1 becomes UTF-8, never '?'") << QByteArray("s='\xE9';\r\n") << QStringLiteral("\x20AC")
                                                      << QByteArray("s='\xC3\xA9';\r\n\xE2\x82\xAC") << true;
}

void TestDocWindowFiles::editedFileKeepsItsFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, appended);
    QFETCH(QByteArray, expected);
    QFETCH(bool, noted);
    const QString path = write(QStringLiteral("edited.js"), bytes);
    DocWindow doc;
    QVERIFY(doc.openFile(path));
    QSignalSpy status(&doc, &DocWindow::fileStatus);
    doc.moveCursor(QTextCursor::End);
    doc.insertPlainText(appended);
    QVERIFY(doc.saveFile());
    QCOMPARE(readAll(path), expected);
    QCOMPARE(status.size(), 1);
    QCOMPARE(!status.first().first().toString().isEmpty(), noted);
}

void TestDocWindowFiles::fullDiskKeepsTheOldFile()
{
    const QByteArray old = "old();\n";
    const QString path = write(QStringLiteral("full.js"), old);
    DocWindow doc;
    QVERIFY(doc.openFile(path));
    QSignalSpy titles(&doc, &DocWindow::changeWindowTitle);
    QSignalSpy status(&doc, &DocWindow::fileStatus);
    // Larger than the limit, smaller than the saving class's buffer: only
    // the final flush can fail.
    doc.setPlainText(QString(12000, QLatin1Char('x')));
    {
        FileLimits::FullDisk disk(8192);
        QVERIFY(!doc.saveFile());
    }
    QCOMPARE(readAll(path), old);
    QVERIFY(doc.isModified());
    QCOMPARE(titles.last().first().toString(), path + QStringLiteral(" [modified]"));
    QVERIFY(status.last().first().toString().startsWith(QStringLiteral("Cannot save ") + path));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("full.js*")}, QDir::Files | QDir::Hidden).size(), 1);
    // With room again the same document saves.
    QVERIFY(doc.saveFile());
    QCOMPARE(readAll(path).size(), 12000);
    QCOMPARE(status.last().first().toString(), QString());
}

void TestDocWindowFiles::readOnlyFolderStillSaves()
{
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
    const QString path = write(QStringLiteral("locked/a.js"), "a very long old text that is cut back();\n");
    DocWindow doc;
    QVERIFY(doc.openFile(path));
    doc.setPlainText(QStringLiteral("b();"));
    FileLimits::ReadOnlyFolder folder(m_dir.filePath(QStringLiteral("locked")));
    if (!folder.ok())
        QSKIP("no way to make a read-only folder here");
    QVERIFY(doc.saveFile());
    QCOMPARE(readAll(path), QByteArray("b();"));
    QVERIFY(!doc.isModified());
}

QTEST_MAIN(TestDocWindowFiles)
#include "tst_docwindowfiles.moc"
