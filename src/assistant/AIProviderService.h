#pragma once

#include "AIProviderClient.h"
#include "LifeToken.h"
#include "LinkPolicy.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// Sends one chat turn to the chosen provider and answers with its reply text and usage summary,
// or with the error every status and transport failure stands for; loads context attachments. It keeps no conversation: the
// history, key and settings come with every call. Runs on the main thread without blocking it;
// callbacks arrive there, once, unless the call was cancelled or the service is gone.
class AIProviderService : public QObject, public AIProviderClient {
    Q_OBJECT
public:
    struct Options {
        // Scheme, host and port of each provider's API; a provider without an entry uses its
        // public one.
        QHash<AIProvider, QUrl> baseURLs;
        // Whole-transfer limits.
        int chatTimeoutMs = 60'000;
        int linkTimeoutMs = 30'000;
        LinkPolicy linkPolicy = LinkPolicy::application();
        // Whether the system has a usable network path now; without it, a request that cannot
        // resolve or connect reports no connection. Unset counts as a path.
        std::function<bool()> hasNetworkPath;
    };

    // The longest provider text shown in an error message.
    static constexpr int maxProviderTextCharacters = 500;

    explicit AIProviderService(QObject* parent = nullptr);
    explicit AIProviderService(Options options, QObject* parent = nullptr);
    ~AIProviderService() override;

    Cancel send(const QList<ChatMessage>& history, AIProvider provider, const QString& apiKey,
                const AIConnectSettings& settings, ChatCallback done) override;
    void loadFileAttachment(const QString& path, AttachmentCallback done) override;
    void fetchLinkAttachment(const QString& link, AttachmentCallback done) override;

    QUrl baseURL(AIProvider provider) const;

private:
    // Made on the first request: a screen that only shows the settings never loads the network stack.
    QNetworkAccessManager& network();

    Options m_options;
    std::unique_ptr<QNetworkAccessManager> m_network;
    LifeToken m_life;
};
