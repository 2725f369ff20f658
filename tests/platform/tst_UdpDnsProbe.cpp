#include "TestMain.h"
#include "linux/UdpDnsProbe.h"

#include <QUdpSocket>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// A DNS server on 127.0.0.1 that takes one query and answers it as told.
class LoopbackDnsServer {
public:
    enum class Reply { Address, NoSuchName, NoRecords, OtherQueryFirst, Nothing };

    explicit LoopbackDnsServer(Reply reply)
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        // Bounds a test whose query never comes.
        const timeval wait{10, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        m_thread = std::thread([this, reply] { serve(reply); });
    }
    ~LoopbackDnsServer()
    {
        finish();
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }
    // Waits until the server has taken its query and answered.
    void finish()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    // The query taken; read after finish().
    QByteArray query() const { return m_query; }

private:
    void serve(Reply reply)
    {
        char buffer[512];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size = ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 12)
            return;
        m_query = QByteArray(buffer, int(size));
        if (reply == Reply::Nothing)
            return;
        const auto send = [&](const QByteArray& bytes) {
            ::sendto(m_fd, bytes.constData(), size_t(bytes.size()), 0, reinterpret_cast<sockaddr*>(&from), length);
        };
        QByteArray answer = m_query;
        answer[2] = char(0x81);
        answer[3] = char(reply == Reply::NoSuchName ? 0x83 : 0x80);
        if (reply != Reply::NoSuchName && reply != Reply::NoRecords) {
            answer[7] = 1;
            answer.append(QByteArray::fromHex("c00c000100010000003c0004"));
            answer.append(QByteArray::fromHex("7f000009"));
        }
        if (reply == Reply::OtherQueryFirst) {
            QByteArray other = answer;
            other[0] = char(other[0] ^ 0x5a);
            send(other);
        }
        send(answer);
    }

    int m_fd = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    QByteArray m_query;
};

} // namespace

Q_DECLARE_METATYPE(LoopbackDnsServer::Reply)

class TestUdpDnsProbe : public QObject {
    Q_OBJECT
private slots:
    void asksOnceAndReadsTheAnswer_data()
    {
        QTest::addColumn<LoopbackDnsServer::Reply>("reply");
        QTest::addColumn<bool>("answered");
        QTest::newRow("address record") << LoopbackDnsServer::Reply::Address << true;
        QTest::newRow("no such name") << LoopbackDnsServer::Reply::NoSuchName << false;
        QTest::newRow("no records") << LoopbackDnsServer::Reply::NoRecords << false;
        QTest::newRow("another query's answer first") << LoopbackDnsServer::Reply::OtherQueryFirst << true;
        QTest::newRow("no answer in time") << LoopbackDnsServer::Reply::Nothing << false;
    }

    void asksOnceAndReadsTheAnswer()
    {
        QFETCH(LoopbackDnsServer::Reply, reply);
        QFETCH(bool, answered);
        LoopbackDnsServer server(reply);
        // A server that answers is waited for as long as a loaded machine may need: the probe
        // returns with the answer.
        UdpDnsProbe probe(server.port(), reply == LoopbackDnsServer::Reply::Nothing ? 300 : 10'000);
        QCOMPARE(probe.answers("127.0.0.1", "www.example.org"), answered);
        server.finish();
        // The question: one, for the host's address record, recursion desired.
        const QByteArray query = server.query();
        QCOMPARE(query.mid(2, 4).toHex(), QByteArray("01000001"));
        QCOMPARE(query.mid(12).toHex(), QByteArray("03777777076578616d706c65036f72670000010001"));
    }

    void unusableServersAreNotReachable_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("host");
        QTest::newRow("closed port") << "127.0.0.1" << "www.example.org";
        QTest::newRow("server is no address") << "dns.example.org" << "www.example.org";
        QTest::newRow("empty host label") << "127.0.0.1" << "www..example.org";
    }

    void unusableServersAreNotReachable()
    {
        QFETCH(QString, server);
        QFETCH(QString, host);
        // A port that was free a moment ago; nothing listens there.
        quint16 port = 0;
        {
            QUdpSocket socket;
            QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
            port = socket.localPort();
        }
        UdpDnsProbe probe(port, 300);
        QVERIFY(!probe.answers(server, host));
    }
};

QM_TEST_MAIN(TestUdpDnsProbe)
#include "tst_UdpDnsProbe.moc"
