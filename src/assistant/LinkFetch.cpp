#include "LinkFetch.h"

#include "AIReplyReader.h"
#include "AIServiceError.h"
#include "ContextAddress.h"
#include "ContextText.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

namespace {

AIServiceError notFetched()
{
    return AIServiceError::attachmentReadFailed(QStringLiteral("The link could not be fetched."));
}

AIServiceError unreadable()
{
    return AIServiceError::attachmentReadFailed(QStringLiteral("The page could not be read."));
}

AIServiceError tooLarge()
{
    return AIServiceError::attachmentReadFailed(QStringLiteral("The link is too large to use as context."));
}

// A declared length over the limit; a header that is not a plain decimal number is ignored.
bool declaresTooMuch(const QByteArray& header)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    const QString text = QString::fromLatin1(header.trimmed());
    if (!decimal.match(text).hasMatch() || text.startsWith(u'-'))
        return false;
    bool fits = false;
    const qulonglong length = QStringView(text).mid(text.startsWith(u'+') ? 1 : 0).toULongLong(&fits);
    return !fits || length > qulonglong(LinkFetch::kMaxBytes);
}

} // namespace

LinkFetch::LinkFetch(QNetworkAccessManager& network, LinkPolicy policy, int timeoutMs,
                     std::function<bool()> hasNetworkPath, QObject* parent)
    : QObject(parent), m_network(network), m_policy(std::move(policy)), m_hasNetworkPath(std::move(hasNetworkPath))
{
    m_limit.setSingleShot(true);
    m_limit.setInterval(timeoutMs);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        finish(AIServiceError::timeout());
    });
}

void LinkFetch::start(const QUrl& url, Done done)
{
    m_done = std::move(done);
    m_link = url;
    m_limit.start();
    hop(url);
}

void LinkFetch::hop(const QUrl& url)
{
    if (++m_hops > kMaxHops) {
        finish(notFetched());
        return;
    }
    m_current = url;
    m_policy.resolve(url.host(), this, [this, url](const QList<QHostAddress>& addresses) {
        if (m_finished)
            return;
        if (addresses.isEmpty()) {
            finish(hasNetworkPath() ? notFetched() : AIServiceError::noConnection());
            return;
        }
        if (!m_policy.trusts(url)
            && std::any_of(addresses.begin(), addresses.end(), &ContextAddress::isRefusedAddress)) {
            finish(AIServiceError::invalidContextURL());
            return;
        }
        connectTo(url, addresses.first());
    });
}

void LinkFetch::connectTo(const QUrl& url, const QHostAddress& address)
{
    QHostAddress plain = address;
    plain.setScopeId({});
    QUrl pinned = url;
    pinned.setHost(plain.toString());
    QNetworkRequest request(pinned);
    request.setRawHeader("Host", url.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toUtf8());
    if (QHostAddress(url.host()).isNull())
        request.setPeerVerifyName(url.host());
    request.setRawHeader("User-Agent", "Quillmarsh/1.0");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The Host header above names the site; HTTP/2 would name the address instead.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);

    m_body.clear();
    m_reply = m_network.get(request);
    // Qt stops reading from the connection while this much waits unread, so little more than the
    // limit ever arrives.
    m_reply->setReadBufferSize(256 * 1024);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &LinkFetch::readHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, &LinkFetch::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &LinkFetch::readEnd);
    // Some failures, a body that cannot be decompressed among them, never finish the reply. An
    // error status comes after its page, so the first error is the end either way.
    connect(m_reply, &QNetworkReply::errorOccurred, this, &LinkFetch::readEnd);
}

void LinkFetch::readHeaders()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    const int code = status.toInt();
    const QByteArray location = m_reply->rawHeader("Location");
    if (code >= 300 && code <= 399 && !location.isEmpty()) {
        const auto next = ContextAddress::permittedHop(QString::fromUtf8(location), m_current, m_policy);
        dropReply();
        if (!next) {
            finish(AIServiceError::invalidContextURL());
            return;
        }
        hop(*next);
        return;
    }
    if (code >= 200 && code <= 299 && declaresTooMuch(m_reply->rawHeader("Content-Length")))
        finish(tooLarge());
}

void LinkFetch::readBody()
{
    m_body += m_reply->readAll();
    if (m_body.size() > kMaxBytes)
        finish(tooLarge());
}

void LinkFetch::readEnd()
{
    m_body += m_reply->readAll();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = m_reply->error();
    const QString mimeType = m_reply->header(QNetworkRequest::ContentTypeHeader).toString().section(u';', 0, 0).trimmed();
    dropReply();

    if (!status.isValid()) {
        finish(error == QNetworkReply::NoError
                   ? AIServiceError::attachmentReadFailed(QStringLiteral("The link returned an invalid response."))
                   : AIReplyReader::connectionError(error, m_timedOut, hasNetworkPath()).value_or(notFetched()));
        return;
    }
    const int code = status.toInt();
    if (code < 200 || code > 299) {
        // An error page is shown whole, bounded like any context text.
        const auto message = AIReplyReader::providerErrorMessage(m_body);
        finish(AIServiceError::attachmentReadFailed(message ? ContextText::clipped(*message)
                                                            : QStringLiteral("HTTP %1").arg(code)));
        return;
    }
    if (error != QNetworkReply::NoError) {
        finish(AIReplyReader::connectionError(error, m_timedOut, hasNetworkPath()).value_or(unreadable()));
        return;
    }
    if (m_body.size() > kMaxBytes) {
        finish(tooLarge());
        return;
    }
    const QString text = ContextText::readableText(m_body, mimeType).trimmed();
    if (text.isEmpty()) {
        finish(AIServiceError::attachmentReadFailed(QStringLiteral("No readable text was found at that link.")));
        return;
    }
    const AIContextKind kind = ContextAddress::isGitHubHost(m_link.host()) ? AIContextKind::github : AIContextKind::web;
    finish(ContextText::attachment(kind, m_link.host(), m_link.toString(QUrl::FullyEncoded), ContextText::normalized(text)));
}

bool LinkFetch::hasNetworkPath() const
{
    return !m_hasNetworkPath || m_hasNetworkPath();
}

void LinkFetch::dropReply()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    // Not aborted from within one of its own signals, which Qt does not expect.
    QMetaObject::invokeMethod(
        m_reply,
        [reply = m_reply.data()] {
            reply->abort();
            reply->deleteLater();
        },
        Qt::QueuedConnection);
    m_reply = nullptr;
}

void LinkFetch::finish(const AttachmentResult& result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_limit.stop();
    dropReply();
    m_done(result);
    deleteLater();
}
