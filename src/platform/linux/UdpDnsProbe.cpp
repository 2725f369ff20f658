#include "UdpDnsProbe.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QUdpSocket>
#include <QUrl>
#include <QtEndian>

namespace {

constexpr int kHeaderSize = 12;
constexpr quint16 kRecursionDesired = 0x0100;
constexpr quint16 kResponse = 0x8000;
constexpr quint16 kResultCode = 0x000f;
constexpr quint16 kAddressRecord = 1;
constexpr quint16 kInternetClass = 1;

void appendWord(QByteArray& bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xff));
}

quint16 wordAt(const QByteArray& bytes, int at)
{
    return qFromBigEndian<quint16>(bytes.constData() + at);
}

} // namespace

QByteArray UdpDnsProbe::query(quint16 id, const QString& hostName)
{
    const QByteArray name = QUrl::toAce(hostName);
    if (name.isEmpty() || name.size() > 253)
        return {};
    QByteArray bytes;
    appendWord(bytes, id);
    appendWord(bytes, kRecursionDesired);
    appendWord(bytes, 1);
    for (int i = 0; i < 3; ++i)
        appendWord(bytes, 0);
    for (const QByteArray& label : name.split('.')) {
        if (label.isEmpty() || label.size() > 63)
            return {};
        bytes.append(char(label.size()));
        bytes.append(label);
    }
    bytes.append('\0');
    appendWord(bytes, kAddressRecord);
    appendWord(bytes, kInternetClass);
    return bytes;
}

bool UdpDnsProbe::isAnswer(const QByteArray& reply, quint16 id)
{
    if (reply.size() < kHeaderSize || wordAt(reply, 0) != id)
        return false;
    const quint16 flags = wordAt(reply, 2);
    return (flags & kResponse) && (flags & kResultCode) == 0 && wordAt(reply, 6) > 0;
}

bool UdpDnsProbe::answers(const QString& server, const QString& hostName)
{
    const QHostAddress address(server);
    const quint16 id = quint16(QRandomGenerator::global()->bounded(0x10000));
    const QByteArray question = query(id, hostName);
    if (address.isNull() || question.isEmpty())
        return false;
    QUdpSocket socket;
    // Connected, so that only this server's datagrams arrive and a closed port shows at once.
    socket.connectToHost(address, m_port);
    if (!socket.waitForConnected(0) && socket.state() != QAbstractSocket::ConnectedState)
        return false;
    if (socket.write(question) != question.size())
        return false;
    const QDeadlineTimer deadline(m_waitMs);
    while (!deadline.hasExpired()) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
        while (socket.hasPendingDatagrams()) {
            const QByteArray reply = socket.receiveDatagram().data();
            // Another query's late answer is passed over; this one's decides.
            if (reply.size() >= kHeaderSize && wordAt(reply, 0) == id && (wordAt(reply, 2) & kResponse))
                return isAnswer(reply, id);
        }
    }
    return false;
}
