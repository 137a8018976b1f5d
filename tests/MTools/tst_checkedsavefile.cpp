#include "TestSupport.h"

#include <MTools/CheckedSaveFile.h>

using MTools::CheckedSaveFile;
using TestSupport::readFile;

// A save that cannot complete keeps the old file whole.
class tst_CheckedSaveFile : public QObject
{
    Q_OBJECT

private slots:
    void fullFileSystemKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("inodes"); // 3: the root, the file and the filler; none for a temporary file
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("saved");
        // clang-format off
        QTest::newRow("no inode, no room to grow") << 3 << 12000 << false;
        QTest::newRow("no inode, the same pages") << 3 << 8000 << true;
        QTest::newRow("no room") << 16 << 12000 << false;
        // clang-format on
    }

    void fullFileSystemKeepsTheOldFile()
    {
        QFETCH(int, inodes);
        QFETCH(int, size);
        QFETCH(bool, saved);
        TestSupport::SmallDisk disk(inodes);
        if (!disk.mounted())
            QSKIP("cannot mount a small file system here (needs root)");
        const QString path = TestSupport::writeFile(disk.filePath(QStringLiteral("doc.js")), QByteArray(5000, 'o'));
        disk.fill();
        QString error;
        QCOMPARE(CheckedSaveFile::writeFile(path, QByteArray(size, 'n'), &error), saved);
        QCOMPARE(readFile(path), saved ? QByteArray(size, 'n') : QByteArray(5000, 'o'));
        QCOMPARE(error, saved ? QString() : QStringLiteral("No space left on device"));
    }
};

QTEST_MAIN(tst_CheckedSaveFile)
#include "tst_checkedsavefile.moc"
