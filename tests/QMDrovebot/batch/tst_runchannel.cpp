#include "TestSupport.h"

#include <QMDrovebot/batch/RunChannel.h>

#include <sys/socket.h>

// The run channel's framing, as a reader sees a byte stream arrive in any
// pieces: whole messages come out in order, a partial one waits, and garbage
// is refused rather than read as a huge length.
class tst_RunChannel : public QObject
{
    Q_OBJECT

private slots:
    void take_data();
    void take();
    void acrossASocket();
};

using QMDrovebot::RunChannel;

void tst_RunChannel::take_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("corrupt");
    const QByteArray a = RunChannel::frame({{"type", "run"}, {"path", QString::fromUtf8("/s/ä.js")}});
    const QByteArray b = RunChannel::frame({{"type", "stop"}});
    // clang-format off
    QTest::newRow("two whole") << a + b << 2 << 0 << false;
    QTest::newRow("one and a part") << a + b.left(6) << 1 << 6 << false;
    QTest::newRow("length only") << a.left(3) << 0 << 3 << false;
    QTest::newRow("huge length") << QByteArray("\x7f\xff\xff\xff{}", 6) << 0 << 6 << true;
    QTest::newRow("not an object") << QByteArray("\0\0\0\x02[]", 6) + a << 0 << a.size() << true;
    // clang-format on
}

void tst_RunChannel::take()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, messages);
    QFETCH(int, left);
    QFETCH(bool, corrupt);
    bool isCorrupt = false;
    QByteArray buffer = stream;
    const QList<QJsonObject> taken = RunChannel::take(&buffer, &isCorrupt);
    QCOMPARE(taken.size(), messages);
    QCOMPARE(buffer.size(), left);
    QCOMPARE(isCorrupt, corrupt);
    if (messages > 0)
        QCOMPARE(taken.first().value("path").toString(), QString::fromUtf8("/s/ä.js"));
}

void tst_RunChannel::acrossASocket()
{
    int ends[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    auto *sender = new RunChannel(ends[0]);
    RunChannel receiver(ends[1]);
    QList<QJsonObject> received;
    bool closed = false;
    connect(&receiver, &RunChannel::received, [&](const QJsonObject &m) { received.append(m); });
    connect(&receiver, &RunChannel::closed, [&] { closed = true; });
    QVERIFY(sender->send({{"type", "ready"}}));
    QVERIFY(sender->send({{"type", "result"}, {"outputText", "done"}}));
    QTRY_COMPARE(received.size(), 2);
    QCOMPARE(received.last().value("outputText").toString(), QStringLiteral("done"));
    // The other process ending is an end of the stream.
    delete sender;
    QTRY_VERIFY(closed);
    QVERIFY(!receiver.isOpen());
    QVERIFY(!receiver.send({{"type", "run"}}));
}

QTEST_MAIN(tst_RunChannel)
#include "tst_runchannel.moc"
