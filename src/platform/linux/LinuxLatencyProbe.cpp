#include "LinuxLatencyProbe.h"

#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The payload size ping sends by default.
constexpr size_t kPayloadBytes = 56;
constexpr qint64 kStepMs = 100;

class EchoSocket {
public:
    EchoSocket()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (m_fd >= 0) {
            // Unreachable hosts are then reported on the socket instead of leaving the wait to time out.
            const int on = 1;
            ::setsockopt(m_fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
            return;
        }
        m_fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        m_raw = true;
    }
    ~EchoSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    EchoSocket(const EchoSocket&) = delete;
    EchoSocket& operator=(const EchoSocket&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool isRaw() const { return m_raw; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    bool m_raw = false;
};

quint16 checksum(const unsigned char* data, size_t size)
{
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += quint32(data[i]) << 8 | data[i + 1];
    if (size % 2)
        sum += quint32(data[size - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return htons(quint16(~sum));
}

enum class Reply { Other, Answer, Refusal };

bool isOurEcho(const icmphdr& header, quint16 id, quint16 sequence, bool checkId)
{
    return ntohs(header.un.echo.sequence) == sequence && (!checkId || ntohs(header.un.echo.id) == id);
}

// What a received packet says about our request. A raw socket sees every ICMP packet of the host,
// its own request on the loopback among them; an error names the request it answers in the
// header it quotes.
Reply classify(const unsigned char* packet, size_t size, bool raw, quint16 id, quint16 sequence)
{
    if (raw) {
        if (size < sizeof(iphdr))
            return Reply::Other;
        const size_t headerBytes = size_t(reinterpret_cast<const iphdr*>(packet)->ihl) * 4;
        if (headerBytes < sizeof(iphdr) || size < headerBytes)
            return Reply::Other;
        packet += headerBytes;
        size -= headerBytes;
    }
    if (size < sizeof(icmphdr))
        return Reply::Other;
    icmphdr header;
    std::memcpy(&header, packet, sizeof header);
    if (header.type == ICMP_ECHOREPLY)
        return isOurEcho(header, id, sequence, raw) ? Reply::Answer : Reply::Other;
    if (!raw || (header.type != ICMP_DEST_UNREACH && header.type != ICMP_TIME_EXCEEDED))
        return Reply::Other;
    const unsigned char* quoted = packet + sizeof(icmphdr);
    const size_t quotedSize = size - sizeof(icmphdr);
    if (quotedSize < sizeof(iphdr))
        return Reply::Other;
    const size_t quotedHeaderBytes = size_t(reinterpret_cast<const iphdr*>(quoted)->ihl) * 4;
    if (quotedHeaderBytes < sizeof(iphdr) || quotedSize < quotedHeaderBytes + sizeof(icmphdr))
        return Reply::Other;
    icmphdr request;
    std::memcpy(&request, quoted + quotedHeaderBytes, sizeof request);
    return request.type == ICMP_ECHO && isOurEcho(request, id, sequence, true) ? Reply::Refusal : Reply::Other;
}

} // namespace

LinuxLatencyProbe::LinuxLatencyProbe(std::shared_ptr<LatencyProbe> fallback, std::function<bool()> abandoned)
    : m_fallback(std::move(fallback)), m_abandoned(std::move(abandoned))
{
}

double LinuxLatencyProbe::asPingPrints(qint64 microseconds)
{
    const double ms = double(microseconds) / 1000.0;
    const double scale = microseconds < 1000 ? 1000 : microseconds < 10'000 ? 100 : microseconds < 100'000 ? 10 : 1;
    return std::round(ms * scale) / scale;
}

std::optional<double> LinuxLatencyProbe::measure(const QString& host, int timeoutMs)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    if (::inet_pton(AF_INET, host.toLatin1().constData(), &target.sin_addr) != 1)
        return m_fallback->measure(host, timeoutMs);
    EchoSocket socket;
    if (!socket.isOpen())
        return m_fallback->measure(host, timeoutMs);

    const quint16 id = quint16(::getpid());
    const quint16 sequence = ++m_sequence;
    unsigned char request[sizeof(icmphdr) + kPayloadBytes] = {};
    icmphdr header{};
    header.type = ICMP_ECHO;
    header.un.echo.id = htons(id);
    header.un.echo.sequence = htons(sequence);
    std::memcpy(request, &header, sizeof header);
    for (size_t i = sizeof header; i < sizeof request; ++i)
        request[i] = static_cast<unsigned char>(i);
    header.checksum = checksum(request, sizeof request);
    std::memcpy(request, &header, sizeof header);

    using Clock = std::chrono::steady_clock;
    const QDeadlineTimer deadline(timeoutMs);
    const auto sent = Clock::now();
    if (::sendto(socket.fd(), request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0)
        return std::nullopt;

    unsigned char packet[1500];
    while (!deadline.hasExpired() && !(m_abandoned && m_abandoned())) {
        pollfd waiting{socket.fd(), POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(qBound<qint64>(0, deadline.remainingTime(), kStepMs)));
        if (ready < 0 && errno != EINTR)
            return std::nullopt;
        if (ready <= 0)
            continue;
        if (waiting.revents & POLLERR)
            return std::nullopt;
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = ::recvfrom(socket.fd(), packet, sizeof packet, MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return std::nullopt;
        }
        const Reply reply = classify(packet, size_t(got), socket.isRaw(), id, sequence);
        if (reply == Reply::Refusal)
            return std::nullopt;
        if (reply == Reply::Answer && from.sin_addr.s_addr == target.sin_addr.s_addr) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - sent);
            return asPingPrints(elapsed.count());
        }
    }
    return std::nullopt;
}
