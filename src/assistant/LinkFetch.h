#pragma once

#include "AIContextAttachment.h"
#include "LinkPolicy.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// One fetch of a context link. Every hop, redirects included, passes the policy's scheme and host
// rules; its host is resolved first and every address checked, and the connection goes to the
// checked address, so a name that changes its answer cannot lead elsewhere. Bodies over 2 MiB are
// refused from their declared length or as soon as that much has arrived; the first error the
// transfer reports ends the fetch. Answers once, then deletes itself.
class LinkFetch : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxBytes = 2 * 1024 * 1024;
    static constexpr int kMaxHops = 10;

    using Done = std::function<void(const AttachmentResult&)>;

    // `hasNetworkPath` (when set) tells a host that cannot be found or reached offline from one
    // that is only unreachable itself.
    LinkFetch(QNetworkAccessManager& network, LinkPolicy policy, int timeoutMs, std::function<bool()> hasNetworkPath,
              QObject* parent);

    // `url` has passed normalizedContextURL; it names the attachment whatever the redirects.
    void start(const QUrl& url, Done done);

private:
    void hop(const QUrl& url);
    void connectTo(const QUrl& url, const QHostAddress& address);
    void readHeaders();
    void readBody();
    void readEnd();
    void finish(const AttachmentResult& result);
    bool hasNetworkPath() const;
    void dropReply();

    QNetworkAccessManager& m_network;
    const LinkPolicy m_policy;
    const std::function<bool()> m_hasNetworkPath;
    QTimer m_limit;
    QUrl m_link;
    QUrl m_current;
    int m_hops = 0;
    bool m_timedOut = false;
    bool m_finished = false;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    Done m_done;
};
