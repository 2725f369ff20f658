#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// Why no test server on 127.0.0.1 can be reached from this process, or an empty text when one can. In
// a network namespace whose loopback interface is down a server still binds there, but every
// connection fails at once with "Network unreachable".
inline QString loopbackUnreachableReason()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return server.errorString();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    // A slow machine only delays the answer: only a refusal of the connection itself counts.
    if (client.waitForConnected(10000) || client.error() == QAbstractSocket::SocketTimeoutError)
        return {};
    return client.errorString();
}

// Tests that talk to a server of their own on 127.0.0.1 start with this: with the loopback interface
// down every request would only time out, so the test is skipped with the reason instead.
#define QM_REQUIRE_LOOPBACK()                                                                                \
    do {                                                                                                      \
        if (const QString why = loopbackUnreachableReason(); !why.isEmpty())                                 \
            QSKIP(qPrintable("the loopback interface is down, so no test server on 127.0.0.1 can be reached: " \
                             + why));                                                                         \
    } while (false)
