#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>
#include <functional>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 inside the test process. Each connection carries one
// request (Content-Length bodies) and is closed after the answer. By default it plays the speed-test
// service: "GET /__down?bytes=N" answers N bytes, "POST /__up" answers 200; anything else 404.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
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
    };

    using Handler = std::function<Response(const Request&)>;

    explicit LoopbackHttpServer(QObject* parent = nullptr);

    QUrl baseUrl() const;
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    const QList<Request>& requests() const { return m_requests; }

    static Response speedService(const Request& request);

private:
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    Handler m_handler = &LoopbackHttpServer::speedService;
    QList<Request> m_requests;
};
