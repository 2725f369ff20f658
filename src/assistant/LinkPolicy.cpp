#include "LinkPolicy.h"

#include <QHostInfo>

bool LinkPolicy::trusts(const QUrl& url) const
{
    for (const QUrl& origin : trustedOrigins) {
        if (origin.scheme().compare(url.scheme(), Qt::CaseInsensitive) == 0
            && origin.host().compare(url.host(), Qt::CaseInsensitive) == 0 && origin.port() == url.port())
            return true;
    }
    return false;
}

void LinkPolicy::systemResolver(const QString& host, QObject* context,
                                std::function<void(const QList<QHostAddress>&)> done)
{
    QHostInfo::lookupHost(host, context, [done = std::move(done)](const QHostInfo& info) {
        done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}
