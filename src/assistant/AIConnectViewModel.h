#pragma once

#include "AIConnectSettings.h"
#include "AIContextAttachment.h"
#include "AIProvider.h"
#include "AIProviderClient.h"
#include "ChatMessage.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

class AISettingsStore;
class APIKeyStore;

// The state and behaviour behind the AI Connect screen: the chosen provider and its settings,
// whether its key is stored, the transcript, the context waiting for the next message and the
// requests in flight. Keeps nothing on disk itself; every failure ends as text, in errorMessage()
// or as an assistant message. Main thread only.
class AIConnectViewModel : public QObject {
    Q_OBJECT
public:
    static const QString connectionTestPrompt;
    static const QString missingKeyNotice;
    static const QString keyNotSavedNotice;
    static const QString emptyReplyText;
    static constexpr int maxFilesPerBatch = 4;

    // How the provider answered the latest request that came back. Only the status line reads it;
    // the key stays stored and the screen stays connected whatever it is.
    enum class LastAnswer { none, replied, testFailed, requestFailed };

    AIConnectViewModel(AISettingsStore& settingsStore, APIKeyStore& keyStore, std::unique_ptr<AIProviderClient> client,
                       QObject* parent = nullptr);
    ~AIConnectViewModel() override;

    AIProvider provider() const { return m_provider; }
    // Switching cancels what is in flight, loads the new provider's settings (without saving them)
    // and re-reads its key; the transcript stays.
    void setProvider(AIProvider provider);
    const AIConnectSettings& settings() const { return m_settings; }
    // Announces settingsChanged; saving is the screen's, so loaded settings are never written back.
    void setSettings(const AIConnectSettings& settings);
    const QList<ChatMessage>& messages() const { return m_messages; }
    const QList<AIContextAttachment>& attachments() const { return m_attachments; }
    // Every attachment with this id goes; the rest keep their order.
    void removeAttachment(const QUuid& id);
    bool isConnected() const { return m_isConnected; }
    bool isSending() const { return m_isSending; }
    bool isImportingContext() const { return m_importsRunning > 0; }
    const QString& errorMessage() const { return m_errorMessage; }
    const std::optional<QString>& lastUsage() const { return m_lastUsage; }
    // Forgotten when the key is re-read (a connect, a provider switch) and on disconnect.
    LastAnswer lastAnswer() const { return m_lastAnswer; }
    AISettingsStore& settingsStore() const { return m_settingsStore; }

    // Re-reads whether the provider's key opens; clears the notice, the usage line and the attachments.
    void refreshConnection();
    // Stores the trimmed key and greets with the connected message. A blank key changes nothing; a
    // key that could not be stored is reported and leaves the transcript as it was. True when stored.
    // (Named apart from QObject::connect, which a member `connect` would hide.)
    bool connectWithKey(const QString& key);
    // A test turn sends only `text`, without history or attachments (the attachments still go).
    void send(const QString& text, bool isTest);
    // Aborts every request in flight; their replies are never appended.
    void cancelSending();
    // Loads the first four files at most, in order, skipping any whose source is already attached.
    void attachFiles(const QStringList& paths);
    void attachLink(const QString& link);
    void clearChat();
    // Cancels what is in flight and deletes the current provider's key; provider and settings stay.
    void disconnectProvider();

    ChatMessage connectedMessage() const;
    static QString composePrompt(const QString& text, const QList<AIContextAttachment>& attachments);

signals:
    // Any published field changed.
    void changed();
    void providerChanged();
    void settingsChanged();

private:
    void handleOutcome(const AIChatOutcome& outcome, bool isTest);
    void loadNextFile(QStringList remaining, QList<AIContextAttachment> retained);
    void appendUnattached(const AIContextAttachment& attachment);
    void finishImport();

    AISettingsStore& m_settingsStore;
    APIKeyStore& m_keyStore;
    std::unique_ptr<AIProviderClient> m_client;

    AIProvider m_provider = AIProvider::openAI;
    AIConnectSettings m_settings;
    QList<ChatMessage> m_messages;
    QList<AIContextAttachment> m_attachments;
    bool m_isConnected = false;
    bool m_isSending = false;
    int m_importsRunning = 0;
    QString m_errorMessage;
    std::optional<QString> m_lastUsage;
    LastAnswer m_lastAnswer = LastAnswer::none;
    // The cancel function of each send in flight, by ticket.
    QHash<quint64, AIProviderClient::Cancel> m_inFlight;
    quint64 m_nextTicket = 0;
};
