#pragma once

#include "AIConnectSettings.h"
#include "AIProvider.h"

class Defaults;

// Keeps each provider's chat settings in the user defaults, as the JSON of AIConnectSettings.
// Reading never fails: an absent, unreadable or oversized record gives the provider's defaults. An
// unreadable one stays until the next save sets it aside; an oversized one is set aside at once, so
// that it is not read again at every start.
// Out-of-range values are brought into range without being written back.
class AISettingsStore final {
public:
    // A stored record larger than this is not decoded (three short texts and two numbers; the
    // prompt and notes are typed by hand).
    static constexpr qsizetype maxRecordBytes = 1024 * 1024;

    explicit AISettingsStore(Defaults& defaults);

    // Over the standard defaults, whose domain the clean uninstall removes.
    static AISettingsStore& shared();

    static QString storageKey(AIProvider provider);

    AIConnectSettings load(AIProvider provider) const;
    // Stores nothing when a record there that does not read as settings cannot be set aside.
    void save(const AIConnectSettings& settings, AIProvider provider);

private:
    Defaults& m_defaults;
};
