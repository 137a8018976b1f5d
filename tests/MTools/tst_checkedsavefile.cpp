#include "TestSupport.h"

#include <MTools/CheckedSaveFile.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

using MTools::CheckedSaveFile;
using TestSupport::readFile;

namespace {

// A small file system of its own, filled up on demand; only root can mount.
struct SmallDisk
{
    explicit SmallDisk(int inodes)
    {
        const QByteArray options = "size=64k,nr_inodes=" + QByteArray::number(inodes);
        mounted = dir.isValid() && ::mount("tmpfs", QFile::encodeName(dir.path()), "tmpfs", 0, options) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount(QFile::encodeName(dir.path()));
    }
    // Takes every free block; the last inode too, as a file system full of
    // small files would.
    void fill()
    {
        QFile filler(dir.filePath(QStringLiteral("filler")));
        const QByteArray page(4096, 'f');
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (filler.write(page) == page.size()) {
            }
    }
    QTemporaryDir dir;
    bool mounted = false;
};

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, int(got));
    ::close(fd);
    return bytes;
}

} // namespace

// Whatever fails, the old file is whole, and a target that is no regular
// file is written into, never replaced.
class tst_CheckedSaveFile : public QObject
{
    Q_OBJECT

private slots:
    void fullFileSystemKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("inodes"); // 3: the root, the file and the filler; none for a temporary file
        QTest::addColumn<int>("newSize");
        QTest::addColumn<bool>("saved");
        // clang-format off
        QTest::newRow("no inode, no room to grow") << 3 << 12000 << false;
        QTest::newRow("no inode, the same pages") << 3 << 8000 << true;
        QTest::newRow("no inode, shorter") << 3 << 100 << true;
        QTest::newRow("no room") << 16 << 12000 << false;
        // clang-format on
    }

    void fullFileSystemKeepsTheOldFile()
    {
        QFETCH(int, inodes);
        QFETCH(int, newSize);
        QFETCH(bool, saved);
        SmallDisk disk(inodes);
        if (!disk.mounted)
            QSKIP("cannot mount a small file system here (needs root)");
        QByteArray old(5000, 'o');
        old.replace(0, 4, "old\n");
        const QString path = TestSupport::writeFile(disk.dir.filePath(QStringLiteral("doc.js")), old);
        disk.fill();
        const QByteArray bytes(newSize, 'n');
        QString error;
        QCOMPARE(CheckedSaveFile::writeFile(path, bytes, &error), saved);
        QCOMPARE(readFile(path), saved ? bytes : old);
        QCOMPARE(error, saved ? QString() : QStringLiteral("No space left on device"));
        QCOMPARE(QDir(disk.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void streamsAreWrittenNotReplaced_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        // clang-format off
        QTest::newRow("FIFO") << "fifo" << "";
        QTest::newRow("socket") << "socket" << "";
        QTest::newRow("character device") << "null" << "";
        QTest::newRow("full character device") << "full" << "No space left on device";
        // clang-format on
    }

    void streamsAreWrittenNotReplaced()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(kind);
        const QByteArray native = QFile::encodeName(path);
        int reader = -1;
        if (kind == QLatin1String("fifo")) {
            QVERIFY(::mkfifo(native, 0600) == 0);
            reader = ::open(native, O_RDONLY | O_NONBLOCK);
        } else if (kind == QLatin1String("socket")) {
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, native, sizeof address.sun_path);
            reader = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(::bind(reader, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
            QVERIFY(::listen(reader, 1) == 0);
        } else if (::mknod(native, S_IFCHR | 0600, makedev(1, kind == QLatin1String("null") ? 3 : 7)) != 0) {
            QSKIP("cannot make a device node here (needs root)");
        }
        struct stat before = {};
        QVERIFY(::stat(native, &before) == 0);
        const QByteArray bytes = "report\n";
        QString reason;
        QCOMPARE(CheckedSaveFile::writeFile(path, bytes, &reason), error.isEmpty());
        QCOMPARE(reason, error);
        struct stat after = {};
        QVERIFY(::stat(native, &after) == 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        if (kind == QLatin1String("socket")) {
            const int listener = reader;
            reader = ::accept(listener, nullptr, nullptr);
            ::close(listener);
        }
        if (reader >= 0)
            QCOMPARE(readAll(reader), bytes);
    }
};

QTEST_MAIN(tst_CheckedSaveFile)
#include "tst_checkedsavefile.moc"
