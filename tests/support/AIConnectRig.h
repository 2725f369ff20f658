#pragma once

#include "FakeAIProviderClient.h"
#include "FakeDefaults.h"
#include "assistant/AIConnectViewModel.h"
#include "assistant/AISettingsStore.h"
#include "assistant/APIKeyStore.h"

#include <QTemporaryDir>
#include <memory>

// AI Connect's stores in a scratch folder (settings in memory, keys in files) and a fake client.
// An empty key folder stands for a place where no key can be stored.
struct AIConnectStores {
    explicit AIConnectStores(bool keysStorable = true)
        : keys(keysStorable ? folder.path() + "/.ai" : QString(), [] { return QStringLiteral("test-machine"); })
    {
    }

    std::unique_ptr<AIConnectViewModel> makeModel(std::unique_ptr<AIProviderClient> client)
    {
        return std::make_unique<AIConnectViewModel>(settings, keys, std::move(client));
    }

    QTemporaryDir folder;
    FakeDefaults defaults;
    AISettingsStore settings{defaults};
    APIKeyStore keys;
};

struct AIConnectRig : AIConnectStores {
    explicit AIConnectRig(bool keysStorable = true, const std::optional<QString>& openAIKey = std::nullopt)
        : AIConnectStores(keysStorable)
    {
        if (openAIKey)
            keys.save(*openAIKey, AIProvider::openAI);
        auto fake = std::make_unique<FakeAIProviderClient>();
        client = fake.get();
        model = makeModel(std::move(fake));
    }

    FakeAIProviderClient* client = nullptr;
    std::unique_ptr<AIConnectViewModel> model;
};
