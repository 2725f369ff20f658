#pragma once

#include "AIChatOutcome.h"
#include "AIContextAttachment.h"
#include "AIConnectSettings.h"
#include "AIProvider.h"
#include "ChatMessage.h"

#include <QList>
#include <QString>
#include <functional>

// What AI Connect asks of a provider client: one chat turn, and the loading of context
// attachments. Callbacks arrive on the main thread, at most once, never inside the call itself.
class AIProviderClient {
public:
    using ChatCallback = std::function<void(const AIChatOutcome&)>;
    using Cancel = std::function<void()>;
    using AttachmentCallback = std::function<void(const AttachmentResult&)>;

    virtual ~AIProviderClient() = default;

    // The returned function cancels the call: the transfer stops and `done` is not called.
    virtual Cancel send(const QList<ChatMessage>& history, AIProvider provider, const QString& apiKey,
                        const AIConnectSettings& settings, ChatCallback done) = 0;
    // Reads a local text file off the main thread.
    virtual void loadFileAttachment(const QString& path, AttachmentCallback done) = 0;
    // Fetches the readable text of the web or GitHub page the typed link names.
    virtual void fetchLinkAttachment(const QString& link, AttachmentCallback done) = 0;
};
