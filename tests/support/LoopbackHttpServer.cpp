#include "LoopbackHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <optional>

namespace {

constexpr qint64 kStreamChunk = 64 * 1024;

// The request in `buffer` once it is complete.
std::optional<LoopbackHttpServer::Request> parse(const QByteArray& buffer)
{
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    LoopbackHttpServer::Request request;
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    const QUrl target = QUrl::fromEncoded(request.target);
    request.path = target.path();
    request.query = QUrlQuery(target);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() - headerEnd - 4 < length)
        return std::nullopt;
    request.body = buffer.mid(headerEnd + 4, length);
    return request;
}

bool hasHeader(const LoopbackHttpServer::Response& response, QByteArrayView name)
{
    for (const auto& [header, value] : response.headers) {
        if (header.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(QObject* parent) : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            serve(socket);
        }
    });
}

QUrl LoopbackHttpServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

LoopbackHttpServer::Response LoopbackHttpServer::speedService(const Request& request)
{
    if (request.method == "GET" && request.path == "/__down")
        return {200, QByteArray(request.query.queryItemValue("bytes").toLongLong(), 'x')};
    if (request.method == "POST" && request.path == "/__up")
        return {200, "ok"};
    return {404, "not found"};
}

void LoopbackHttpServer::serve(QTcpSocket* socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        const auto request = parse(*buffer);
        if (!request)
            return;
        buffer->clear();
        m_requests.append(*request);
        const Response response = m_handler(*request);
        if (response.silent)
            return;
        if (response.delayMs <= 0) {
            respond(socket, response);
            return;
        }
        QTimer::singleShot(response.delayMs, socket, [this, socket, response] { respond(socket, response); });
    });
}

void LoopbackHttpServer::respond(QTcpSocket* socket, const Response& response)
{
    if (response.close) {
        socket->disconnectFromHost();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + (response.status == 200 ? " OK" : " Error") + "\r\n";
    if (!hasHeader(response, "content-type"))
        head += "Content-Type: application/octet-stream\r\n";
    if (!hasHeader(response, "content-length") && response.streamBytes == 0)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    send(socket, head + "Connection: close\r\n\r\n" + response.body);
    if (response.streamBytes > 0)
        stream(socket, response.streamBytes);
    else
        socket->disconnectFromHost();
}

// One chunk a millisecond, so the client's reading keeps pace with what was sent and a client
// that gives up early stops the stream.
void LoopbackHttpServer::stream(QTcpSocket* socket, qint64 remaining)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (remaining <= 0) {
        socket->disconnectFromHost();
        return;
    }
    // Nothing more is handed over until the last chunk has left, so bytesSent() stays close to
    // what the client could have read.
    const qint64 size = socket->bytesToWrite() > 0 ? 0 : std::min(remaining, kStreamChunk);
    if (size > 0)
        send(socket, QByteArray(size, 'x'));
    QTimer::singleShot(1, socket, [this, socket, remaining, size] { stream(socket, remaining - size); });
}

void LoopbackHttpServer::send(QTcpSocket* socket, const QByteArray& bytes)
{
    m_bytesSent += bytes.size();
    socket->write(bytes);
}
