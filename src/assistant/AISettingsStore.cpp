#include "AISettingsStore.h"

#include "Defaults.h"

#include <algorithm>

AISettingsStore::AISettingsStore(Defaults& defaults) : m_defaults(defaults) {}

AISettingsStore& AISettingsStore::shared()
{
    static AISettingsStore store(Defaults::standard());
    return store;
}

QString AISettingsStore::storageKey(AIProvider provider)
{
    return QStringLiteral("quillmarsh.aiConnect.settings.") + AIProviders::rawValue(provider);
}

AIConnectSettings AISettingsStore::load(AIProvider provider) const
{
    const QString key = storageKey(provider);
    auto stored = m_defaults.data(key);
    if (stored && stored->size() > maxRecordBytes) {
        stored.reset();
        m_defaults.setAside({key});
    }
    const auto decoded = stored ? AIConnectSettings::fromJson(*stored) : std::nullopt;
    if (!decoded)
        return AIConnectSettings::defaults(provider);

    AIConnectSettings settings = *decoded;
    // A model off the menu is a custom identifier the user typed; only a blank one is replaced.
    if (settings.modelID.trimmed().isEmpty())
        settings.modelID = AIProviders::defaultModelID(provider);
    settings.temperature = std::clamp(settings.temperature, 0.0, 2.0);
    settings.maxTokens = std::clamp(settings.maxTokens, 128, 8192);
    return settings;
}

void AISettingsStore::save(const AIConnectSettings& settings, AIProvider provider)
{
    const QString key = storageKey(provider);
    const auto stored = m_defaults.data(key);
    const bool readable = stored && stored->size() <= maxRecordBytes && AIConnectSettings::fromJson(*stored);
    if (m_defaults.contains(key) && !readable && !m_defaults.setAside({key}))
        return;
    m_defaults.setValue(key, settings.toJson());
}
