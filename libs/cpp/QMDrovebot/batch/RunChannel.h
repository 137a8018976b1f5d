#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

class QSocketNotifier;

namespace QMDrovebot {

// One end of the channel between a process that hands out scripts and a
// process that runs them (a program Corvella is attached to, or a worker).
// It carries JSON objects, each sent as a 4-byte big-endian length and the
// compact UTF-8 text, over a file descriptor (one end of a socket pair):
// no port is ever opened, and only the two processes hold the ends.
//
// Every message has a "type". From the side that runs scripts: "app" (the
// Qt it found), "noWindow", "ready", "result". To it: "run", "stop", "quit".
class RunChannel : public QObject
{
    Q_OBJECT

public:
    // Takes over `fd` and closes it when destroyed.
    explicit RunChannel(int fd, QObject *parent = nullptr);
    ~RunChannel() override;

    // Blocks until the whole message is written, so a message sent just
    // before the process ends is never lost. False once the other end is
    // gone.
    bool send(const QJsonObject &message);
    bool isOpen() const;
    // Delivers at once what the other end sent and this end has not read:
    // a process that has ended may have sent its last words just before.
    void readPending();

    // What a stream of bytes holds: whole messages are taken out of
    // `buffer`, a partial one stays. A length over the limit, or a text that
    // is not a JSON object, makes `corrupt` true.
    static QList<QJsonObject> take(QByteArray *buffer, bool *corrupt);
    static QByteArray frame(const QJsonObject &message);

    // Far above any output pane a script prints, far below what would
    // exhaust memory when a length is garbage.
    static constexpr int maximumMessageSize = 256 * 1024 * 1024;

signals:
    void received(const QJsonObject &message);
    // The other end closed, or sent what is not this protocol.
    void closed();

private:
    // False once nothing more can be read now.
    bool readAvailable();
    void close();

    int m_fd;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_buffer;
};

} // namespace QMDrovebot
