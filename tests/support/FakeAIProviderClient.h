#pragma once

#include "assistant/AIProviderClient.h"

#include <QHash>
#include <QTimer>
#include <QUuid>

// Records every chat turn and answers when the test says so; answers attachment loads from tables
// (an unknown path or link fails to read), on the next turn of the event loop.
class FakeAIProviderClient final : public AIProviderClient {
public:
    struct Call {
        QList<ChatMessage> history;
        AIProvider provider = AIProvider::openAI;
        QString apiKey;
        AIConnectSettings settings;
        ChatCallback done;
        bool cancelled = false;
    };

    Cancel send(const QList<ChatMessage>& history, AIProvider provider, const QString& apiKey,
                const AIConnectSettings& settings, ChatCallback done) override
    {
        calls.append({history, provider, apiKey, settings, std::move(done)});
        const qsizetype index = calls.size() - 1;
        return [this, index] { calls[index].cancelled = true; };
    }

    void loadFileAttachment(const QString& path, AttachmentCallback done) override
    {
        loadedFiles.append(path);
        answerLater(files.value(path, AIServiceError::attachmentReadFailed(path)), std::move(done));
    }

    void fetchLinkAttachment(const QString& link, AttachmentCallback done) override
    {
        fetchedLinks.append(link);
        answerLater(links.value(link, AIServiceError::invalidContextURL()), std::move(done));
    }

    // Answers call `index` even when it was cancelled: a reply that arrives too late.
    void answer(qsizetype index, const AIChatOutcome& outcome) { calls[index].done(outcome); }

    static AIContextAttachment attachment(AIContextKind kind, const QString& title, const QString& source,
                                          const QString& content = "text")
    {
        return {QUuid::createUuid(), kind, title, source, content.left(140), content};
    }
    // A file attachment named after the path's last part, as the file loader names it.
    void addFile(const QString& path, const QString& content = "text")
    {
        files.insert(path, attachment(AIContextKind::file, path.section('/', -1), path.section('/', -1), content));
    }

    QList<Call> calls;
    QHash<QString, AttachmentResult> files;
    QHash<QString, AttachmentResult> links;
    QStringList loadedFiles;
    QStringList fetchedLinks;

private:
    static void answerLater(AttachmentResult result, AttachmentCallback done)
    {
        QTimer::singleShot(0, [result = std::move(result), done = std::move(done)] { done(result); });
    }
};
