#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>
#include <functional>
#include <utility>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 inside the test process. Each connection carries one
// request (Content-Length bodies) and is closed after the answer. It records every connection and
// request and answers from a handler; by default it plays the speed-test service: "GET
// /__down?bytes=N" answers N bytes, "POST /__up" answers 200; anything else 404.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        // The request target as sent, query included.
        QByteArray target;
        QString path;
        QUrlQuery query;
        // Header names in lower case.
        QHash<QByteArray, QByteArray> headers;
        QByteArray body;
    };

    struct Response {
        int status = 200;
        QByteArray body;
        // Never answer; the connection stays open until the client gives up.
        bool silent = false;
        // Sent after the status line; a Content-Type or Content-Length given here replaces the
        // server's own.
        QList<std::pair<QByteArray, QByteArray>> headers = {};
        // The answer starts this long after the request arrived.
        int delayMs = 0;
        // Close the connection without answering.
        bool close = false;
        // After the body, this many more bytes follow in small paced chunks; without a
        // Content-Length of the script's own the body then ends when the connection closes.
        qint64 streamBytes = 0;
    };

    using Handler = std::function<Response(const Request&)>;

    explicit LoopbackHttpServer(QObject* parent = nullptr);

    QUrl baseUrl() const;
    quint16 port() const { return m_server.serverPort(); }
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Answers every request with the same response.
    void answer(const Response& response)
    {
        m_handler = [response](const Request&) { return response; };
    }
    const QList<Request>& requests() const { return m_requests; }
    // Connections accepted, whether or not a request followed.
    int connections() const { return m_connections; }
    // Response bytes (headers included) handed to the connection so far.
    qint64 bytesSent() const { return m_bytesSent; }

    static Response speedService(const Request& request);

private:
    void serve(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Response& response);
    void stream(QTcpSocket* socket, qint64 remaining);
    void send(QTcpSocket* socket, const QByteArray& bytes);

    QTcpServer m_server;
    Handler m_handler = &LoopbackHttpServer::speedService;
    QList<Request> m_requests;
    int m_connections = 0;
    qint64 m_bytesSent = 0;
};
