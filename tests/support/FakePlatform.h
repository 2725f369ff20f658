#pragma once

#include "FakeProcessRunner.h"
#include "app/PlatformServices.h"
#include "linux/JsonFileDefaults.h"
#include "storage/SecureLocalStore.h"

#include <QDir>

// The platform objects of one imagined user whose home, defaults file and Application Support
// folder all lie under `root`. Two instances on the same root are two launches of the application.
struct FakePlatform {
    explicit FakePlatform(const QString& folder)
        : root(folder), defaults(defaultsFile()), secureStore(defaults, appSupportDirectory() + "/.secure")
    {
        QDir().mkpath(homeDirectory());
    }

    QString homeDirectory() const { return root + "/home"; }
    QString appSupportDirectory() const { return root + "/data/Quillmarsh"; }
    QString defaultsFile() const { return root + "/config/Quillmarsh/defaults.json"; }

    PlatformServices services()
    {
        return {&runner, &defaults, &secureStore, homeDirectory(), appSupportDirectory(), "/opt/quillmarsh/quillmarsh"};
    }

    // What "Get Started" stores.
    void completeSetup() { secureStore.writeSecure(SecureLocalStore::setupCompleteKey, "true"); }

    const QString root;
    FakeProcessRunner runner;
    JsonFileDefaults defaults;
    SecureLocalStore secureStore;
};
