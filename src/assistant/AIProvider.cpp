#include "AIProvider.h"

#include <QHash>

namespace {

struct ProviderFacts {
    QString rawValue;
    QString keyPage;
    QString apiBase;
    QList<AIModelOption> models;
};

const ProviderFacts& facts(AIProvider provider)
{
    static const QHash<AIProvider, ProviderFacts> table{
        {AIProvider::openAI,
         {"OpenAI", "https://platform.openai.com/api-keys", "https://api.openai.com",
          {{"gpt-4o", "GPT-4o", "Balanced"},
           {"gpt-4o-mini", "GPT-4o mini", "Fast"},
           {"gpt-4.1", "GPT-4.1", "Smart"},
           {"gpt-4.1-mini", "GPT-4.1 mini", "Low cost"}}}},
        {AIProvider::anthropic,
         {"Claude", "https://console.anthropic.com/", "https://api.anthropic.com",
          {{"claude-sonnet-4-5-20250929", "Claude Sonnet 4.5", "Best default"},
           {"claude-haiku-4-5-20251001", "Claude Haiku 4.5", "Fast"},
           {"claude-opus-4-1-20250805", "Claude Opus 4.1", "Powerful"}}}},
        {AIProvider::gemini,
         {"Gemini", "https://aistudio.google.com/app/apikey", "https://generativelanguage.googleapis.com",
          {{"gemini-2.5-flash", "Gemini 2.5 Flash", "Best default"},
           {"gemini-2.5-flash-lite", "Gemini 2.5 Flash-Lite", "Fast"},
           {"gemini-2.5-pro", "Gemini 2.5 Pro", "Reasoning"}}}},
        {AIProvider::groq,
         {"Groq", "https://console.groq.com/keys", "https://api.groq.com",
          {{"llama-3.3-70b-versatile", "Llama 3.3 70B", "Reliable"},
           {"llama-3.1-8b-instant", "Llama 3.1 8B", "Very fast"},
           {"openai/gpt-oss-120b", "GPT-OSS 120B", "Reasoning"},
           {"openai/gpt-oss-20b", "GPT-OSS 20B", "Fast"},
           {"groq/compound", "Compound", "Tools"}}}},
        {AIProvider::mistral,
         {"Mistral", "https://console.mistral.ai/api-keys/", "https://api.mistral.ai",
          {{"mistral-small-latest", "Mistral Small", "Fast"},
           {"mistral-medium-latest", "Mistral Medium", "Balanced"},
           {"mistral-large-latest", "Mistral Large", "Powerful"},
           {"codestral-latest", "Codestral", "Code"}}}},
        {AIProvider::openRouter,
         {"OpenRouter", "https://openrouter.ai/settings/keys", "https://openrouter.ai",
          {{"openai/gpt-4o", "OpenAI GPT-4o", "Popular"},
           {"anthropic/claude-sonnet-4.5", "Claude Sonnet", "Popular"},
           {"google/gemini-2.5-flash", "Gemini Flash", "Fast"},
           {"meta-llama/llama-3.3-70b-instruct", "Llama 70B", "Open"}}}},
    };
    return *table.find(provider);
}

} // namespace

const QList<AIProvider>& AIProviders::allCases()
{
    static const QList<AIProvider> cases{AIProvider::openAI, AIProvider::anthropic, AIProvider::gemini,
                                         AIProvider::groq,   AIProvider::mistral,   AIProvider::openRouter};
    return cases;
}

QString AIProviders::rawValue(AIProvider provider)
{
    return facts(provider).rawValue;
}

std::optional<AIProvider> AIProviders::fromRawValue(const QString& raw)
{
    for (const AIProvider provider : allCases()) {
        if (rawValue(provider) == raw)
            return provider;
    }
    return std::nullopt;
}

const QList<AIModelOption>& AIProviders::modelOptions(AIProvider provider)
{
    return facts(provider).models;
}

QString AIProviders::defaultModelID(AIProvider provider)
{
    return modelOptions(provider).constFirst().id;
}

QUrl AIProviders::apiKeyURL(AIProvider provider)
{
    return QUrl(facts(provider).keyPage);
}

QUrl AIProviders::apiBaseURL(AIProvider provider)
{
    return QUrl(facts(provider).apiBase);
}
