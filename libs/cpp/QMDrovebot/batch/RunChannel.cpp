#include "RunChannel.h"

#include <QJsonDocument>
#include <QSocketNotifier>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace QMDrovebot {

RunChannel::RunChannel(int fd, QObject *parent)
    : QObject(parent)
    , m_fd(fd)
{
    if (m_fd < 0)
        return;
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &RunChannel::readAvailable);
}

RunChannel::~RunChannel()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RunChannel::isOpen() const
{
    return m_fd >= 0;
}

QByteArray RunChannel::frame(const QJsonObject &message)
{
    const QByteArray text = QJsonDocument(message).toJson(QJsonDocument::Compact);
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(quint32(text.size()), bytes.data());
    return bytes + text;
}

QList<QJsonObject> RunChannel::take(QByteArray *buffer, bool *corrupt)
{
    QList<QJsonObject> messages;
    *corrupt = false;
    while (buffer->size() >= 4) {
        const quint32 length = qFromBigEndian<quint32>(buffer->constData());
        if (length > quint32(maximumMessageSize)) {
            *corrupt = true;
            break;
        }
        if (quint32(buffer->size()) - 4 < length)
            break;
        const QJsonDocument document = QJsonDocument::fromJson(buffer->mid(4, int(length)));
        buffer->remove(0, 4 + int(length));
        if (!document.isObject()) {
            *corrupt = true;
            break;
        }
        messages.append(document.object());
    }
    return messages;
}

bool RunChannel::send(const QJsonObject &message)
{
    const QByteArray bytes = frame(message);
    qint64 done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t written = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            // The reader is busy: wait for room rather than drop a message.
            fd_set set;
            FD_ZERO(&set);
            FD_SET(m_fd, &set);
            ::select(m_fd + 1, nullptr, &set, nullptr, nullptr);
            continue;
        }
        if (written <= 0)
            return false;
        done += written;
    }
    return m_fd >= 0;
}

void RunChannel::readPending()
{
    while (readAvailable()) {
    }
}

bool RunChannel::readAvailable()
{
    if (m_fd < 0)
        return false;
    char chunk[65536];
    const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got < 0 && errno == EINTR)
        return true;
    if (got < 0 && errno == EAGAIN)
        return false;
    if (got <= 0) {
        close();
        return false;
    }
    m_buffer.append(chunk, int(got));
    bool corrupt = false;
    const QList<QJsonObject> messages = take(&m_buffer, &corrupt);
    for (const QJsonObject &message : messages)
        emit received(message);
    if (corrupt)
        close();
    return m_fd >= 0;
}

void RunChannel::close()
{
    if (m_fd < 0)
        return;
    m_notifier->setEnabled(false);
    ::close(m_fd);
    m_fd = -1;
    emit closed();
}

} // namespace QMDrovebot
