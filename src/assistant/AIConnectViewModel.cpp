#include "AIConnectViewModel.h"

#include "AISettingsStore.h"
#include "APIKeyStore.h"

#include <variant>

const QString AIConnectViewModel::connectionTestPrompt = QStringLiteral("Reply with exactly: Quillmarsh AI connection OK.");
const QString AIConnectViewModel::missingKeyNotice = QStringLiteral("Add an API key before sending a message.");
const QString AIConnectViewModel::keyNotSavedNotice = QStringLiteral("The API key could not be saved.");
const QString AIConnectViewModel::emptyReplyText = QStringLiteral("The response was empty.");

AIConnectViewModel::AIConnectViewModel(AISettingsStore& settingsStore, APIKeyStore& keyStore,
                                       std::unique_ptr<AIProviderClient> client, QObject* parent)
    : QObject(parent), m_settingsStore(settingsStore), m_keyStore(keyStore), m_client(std::move(client)),
      m_settings(AIConnectSettings::defaults(m_provider))
{
    m_settings = m_settingsStore.load(m_provider);
    refreshConnection();
}

AIConnectViewModel::~AIConnectViewModel()
{
    for (const auto& cancel : std::as_const(m_inFlight))
        if (cancel)
            cancel();
}

void AIConnectViewModel::setProvider(AIProvider provider)
{
    if (provider == m_provider)
        return;
    m_provider = provider;
    emit providerChanged();
    cancelSending();
    setSettings(m_settingsStore.load(m_provider));
    refreshConnection();
}

void AIConnectViewModel::setSettings(const AIConnectSettings& settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    emit settingsChanged();
    emit changed();
}

void AIConnectViewModel::removeAttachment(const QUuid& id)
{
    if (m_attachments.removeIf([&](const AIContextAttachment& a) { return a.id == id; }) > 0)
        emit changed();
}

ChatMessage AIConnectViewModel::connectedMessage() const
{
    return ChatMessage::make(ChatRole::assistant,
                             AIProviders::rawValue(m_provider) + QStringLiteral(" is connected. Model: ") + m_settings.modelID
                                 + QStringLiteral(". You can chat normally, attach local files, or pull context from docs "
                                                  "and GitHub links."));
}

void AIConnectViewModel::refreshConnection()
{
    m_isConnected = m_keyStore.load(m_provider).has_value();
    m_errorMessage.clear();
    m_lastUsage.reset();
    m_lastAnswer = LastAnswer::none;
    m_attachments.clear();
    if (m_isConnected && m_messages.isEmpty())
        m_messages = {connectedMessage()};
    emit changed();
}

bool AIConnectViewModel::connectWithKey(const QString& key)
{
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty())
        return false;
    if (!m_keyStore.save(trimmed, m_provider)) {
        m_errorMessage = keyNotSavedNotice;
        emit changed();
        return false;
    }
    m_messages = {connectedMessage()};
    refreshConnection();
    return true;
}

void AIConnectViewModel::send(const QString& text, bool isTest)
{
    const auto key = m_keyStore.load(m_provider);
    if (!key) {
        m_errorMessage = missingKeyNotice;
        m_isConnected = false;
        emit changed();
        return;
    }
    const QList<AIContextAttachment> turnAttachments = isTest ? QList<AIContextAttachment>() : m_attachments;
    QString visibleText = text;
    if (!turnAttachments.isEmpty())
        visibleText += QStringLiteral("\n\n[Attached context: %1 item(s)]").arg(turnAttachments.size());
    const ChatMessage visible = ChatMessage::make(ChatRole::user, visibleText);
    ChatMessage outgoing = visible;
    outgoing.content = composePrompt(text, turnAttachments);

    QList<ChatMessage> toSend = isTest ? QList<ChatMessage>() : m_messages;
    toSend.append(outgoing);
    m_messages.append(visible);
    m_attachments.clear();
    m_isSending = true;
    m_errorMessage.clear();

    // The ticket is held before the call, so an answer is accepted whenever it comes, and dropped
    // once cancelSending removed it.
    const quint64 ticket = ++m_nextTicket;
    m_inFlight.insert(ticket, {});
    auto cancel = m_client->send(toSend, m_provider, *key, m_settings, [this, ticket, isTest](const AIChatOutcome& outcome) {
        if (m_inFlight.remove(ticket) > 0)
            handleOutcome(outcome, isTest);
    });
    if (m_inFlight.contains(ticket))
        m_inFlight[ticket] = std::move(cancel);
    emit changed();
}

void AIConnectViewModel::handleOutcome(const AIChatOutcome& outcome, bool isTest)
{
    m_isSending = false;
    QString content;
    if (outcome.succeeded) {
        m_lastUsage = outcome.usage;
        m_lastAnswer = LastAnswer::replied;
        content = outcome.reply.isEmpty() ? emptyReplyText : outcome.reply;
    } else {
        m_lastAnswer = isTest ? LastAnswer::testFailed : LastAnswer::requestFailed;
        content = outcome.error ? outcome.error->errorDescription()
                                : AIServiceError::providerUnavailable().errorDescription();
    }
    m_messages.append(ChatMessage::make(ChatRole::assistant, content));
    emit changed();
}

void AIConnectViewModel::cancelSending()
{
    const auto inFlight = std::exchange(m_inFlight, {});
    for (const auto& cancel : inFlight)
        if (cancel)
            cancel();
    m_isSending = false;
    emit changed();
}

void AIConnectViewModel::attachFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    m_errorMessage.clear();
    ++m_importsRunning;
    emit changed();
    loadNextFile(paths.mid(0, maxFilesPerBatch), {});
}

void AIConnectViewModel::loadNextFile(QStringList remaining, QList<AIContextAttachment> retained)
{
    if (remaining.isEmpty()) {
        for (const auto& attachment : std::as_const(retained))
            appendUnattached(attachment);
        finishImport();
        return;
    }
    const QString path = remaining.takeFirst();
    m_client->loadFileAttachment(path, [this, remaining, retained](const AttachmentResult& result) mutable {
        if (const auto* attachment = std::get_if<AIContextAttachment>(&result)) {
            const bool seen = std::any_of(retained.cbegin(), retained.cend(),
                                          [&](const AIContextAttachment& a) { return a.source == attachment->source; });
            if (!seen)
                retained.append(*attachment);
        } else {
            m_errorMessage = std::get<AIServiceError>(result).errorDescription();
            emit changed();
        }
        loadNextFile(std::move(remaining), std::move(retained));
    });
}

void AIConnectViewModel::attachLink(const QString& link)
{
    const QString trimmed = link.trimmed();
    if (trimmed.isEmpty())
        return;
    m_errorMessage.clear();
    ++m_importsRunning;
    emit changed();
    m_client->fetchLinkAttachment(trimmed, [this](const AttachmentResult& result) {
        if (const auto* attachment = std::get_if<AIContextAttachment>(&result))
            appendUnattached(*attachment);
        else
            m_errorMessage = std::get<AIServiceError>(result).errorDescription();
        finishImport();
    });
}

void AIConnectViewModel::appendUnattached(const AIContextAttachment& attachment)
{
    const bool attached = std::any_of(m_attachments.cbegin(), m_attachments.cend(),
                                      [&](const AIContextAttachment& a) { return a.source == attachment.source; });
    if (!attached)
        m_attachments.append(attachment);
}

void AIConnectViewModel::finishImport()
{
    --m_importsRunning;
    emit changed();
}

void AIConnectViewModel::clearChat()
{
    m_messages = {connectedMessage()};
    m_attachments.clear();
    m_lastUsage.reset();
    m_errorMessage.clear();
    emit changed();
}

void AIConnectViewModel::disconnectProvider()
{
    cancelSending();
    m_keyStore.remove(m_provider);
    m_messages.clear();
    m_attachments.clear();
    m_isConnected = false;
    m_lastUsage.reset();
    m_lastAnswer = LastAnswer::none;
    m_errorMessage.clear();
    emit changed();
}

QString AIConnectViewModel::composePrompt(const QString& text, const QList<AIContextAttachment>& attachments)
{
    if (attachments.isEmpty())
        return text;
    QStringList blocks;
    for (const auto& a : attachments)
        blocks.append(QStringLiteral("[Context ") + AIContextKinds::rawValue(a.kind).toUpper() + QStringLiteral("]\nTitle: ")
                      + a.title + QStringLiteral("\nSource: ") + a.source + QStringLiteral("\nContent:\n") + a.content);
    return QStringLiteral("User request:\n") + text + QStringLiteral("\n\nAttached context from Quillmarsh:\n")
           + blocks.join(QStringLiteral("\n\n"))
           + QStringLiteral("\n\nUse the attached context where relevant, but tell the user clearly if the context does "
                            "not support a claim.");
}
