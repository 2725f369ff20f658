#include "LoopbackHttpServer.h"

#include <QTcpSocket>
#include <memory>
#include <optional>

namespace {

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
    const QUrl target(QString::fromLatin1(requestLine.value(1)));
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

} // namespace

LoopbackHttpServer::LoopbackHttpServer(QObject* parent) : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection())
            serve(socket);
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
        socket->write(QByteArray("HTTP/1.1 ") + QByteArray::number(response.status) + (response.status == 200 ? " OK" : " Error")
                      + "\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                      + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n" + response.body);
        socket->disconnectFromHost();
    });
}
