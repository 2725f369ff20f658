#include "AIProviderService.h"

#include "AIChatWire.h"
#include "AIReplyReader.h"
#include "ContextAddress.h"
#include "FileAttachmentReader.h"
#include "LinkFetch.h"
#include "MainThread.h"
#include "WorkQueues.h"
#include "PerceivedText.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

namespace {

// A provider may quote the key back (or the address that carried it); it never reaches a message.
QString withoutKey(QString text, const QString& apiKey)
{
    if (apiKey.isEmpty())
        return text;
    const QString hidden = QStringLiteral("[API key]");
    text.replace(apiKey, hidden);
    text.replace(QString::fromLatin1(QUrl::toPercentEncoding(apiKey)), hidden, Qt::CaseInsensitive);
    return text;
}

} // namespace

AIProviderService::AIProviderService(QObject* parent) : AIProviderService(Options(), parent) {}

AIProviderService::AIProviderService(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
}

AIProviderService::~AIProviderService() = default;

QNetworkAccessManager& AIProviderService::network()
{
    if (!m_network) {
        m_network = std::make_unique<QNetworkAccessManager>();
        m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return *m_network;
}

QUrl AIProviderService::baseURL(AIProvider provider) const
{
    return m_options.baseURLs.value(provider, AIProviders::apiBaseURL(provider));
}

AIProviderService::Cancel AIProviderService::send(const QList<ChatMessage>& history, AIProvider provider,
                                                  const QString& apiKey, const AIConnectSettings& settings,
                                                  ChatCallback done)
{
    auto prepared = AIChatWire::prepare(provider, baseURL(provider), history, apiKey, settings);
    if (const auto* error = std::get_if<AIServiceError>(&prepared)) {
        auto pending = std::make_shared<bool>(true);
        QTimer::singleShot(0, this, [pending, error = *error, done] {
            if (*pending)
                done(AIChatOutcome::failure(error));
        });
        return [pending] { *pending = false; };
    }

    auto& [request, body] = std::get<AIChatWire::Prepared>(prepared);
    // A redirect is reported, never followed: the key must not travel to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = network().post(request, body);
    auto timedOut = std::make_shared<bool>(false);
    auto* limit = new QTimer(reply);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, reply, [reply, timedOut] {
        *timedOut = true;
        reply->abort();
    });
    limit->start(m_options.chatTimeoutMs);

    connect(reply, &QNetworkReply::finished, this, [reply, timedOut, provider, apiKey, done,
                                                    hasPath = m_options.hasNetworkPath] {
        reply->deleteLater();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (*timedOut || !status.isValid()) {
            done(AIChatOutcome::failure(reply->error() == QNetworkReply::NoError && !*timedOut
                                            ? AIServiceError::invalidResponse()
                                            : AIReplyReader::connectionError(reply->error(), *timedOut, !hasPath || hasPath())
                                                  .value_or(AIServiceError::providerUnavailable())));
            return;
        }
        const QByteArray bytes = reply->readAll();
        auto message = AIReplyReader::providerErrorMessage(bytes);
        if (message)
            message = PerceivedText::capped(withoutKey(*message, apiKey), maxProviderTextCharacters);
        if (auto error = AIReplyReader::statusError(status.toInt(), message)) {
            done(AIChatOutcome::failure(*error));
            return;
        }
        done(AIReplyReader::readReply(provider, bytes));
    });

    QPointer<QNetworkReply> guarded(reply);
    return [guarded] {
        if (!guarded)
            return;
        guarded->disconnect();
        guarded->abort();
        guarded->deleteLater();
    };
}

void AIProviderService::loadFileAttachment(const QString& path, AttachmentCallback done)
{
    WorkQueues::userInitiated().start([path, done = std::move(done), life = m_life.watch()] {
        MainThread::post(life, [result = FileAttachmentReader::read(path), done] { done(result); });
    });
}

void AIProviderService::fetchLinkAttachment(const QString& link, AttachmentCallback done)
{
    const auto url = ContextAddress::normalizedContextURL(link, m_options.linkPolicy);
    if (!url) {
        QTimer::singleShot(0, this, [done] { done(AIServiceError::invalidContextURL()); });
        return;
    }
    auto* fetch = new LinkFetch(network(), m_options.linkPolicy, m_options.linkTimeoutMs, m_options.hasNetworkPath, this);
    fetch->start(*url, std::move(done));
}
