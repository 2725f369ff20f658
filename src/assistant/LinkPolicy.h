#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

// What a context link may reach. The application's policy allows https addresses of public hosts
// only; tests add their own loopback server as a trusted origin and nothing else.
struct LinkPolicy {
    // Looks a host name up and answers on `context`'s thread with its addresses (none on failure).
    using Resolver = std::function<void(const QString& host, QObject* context,
                                        std::function<void(const QList<QHostAddress>&)> done)>;

    // Scheme, host and port that skip the https rule and the private-address checks.
    QList<QUrl> trustedOrigins;
    Resolver resolve = systemResolver;

    bool trusts(const QUrl& url) const;

    static LinkPolicy application() { return {}; }
    static void systemResolver(const QString& host, QObject* context,
                               std::function<void(const QList<QHostAddress>&)> done);
};
