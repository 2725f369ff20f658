#pragma once

#include "FakeAppleScriptRunner.h"
#include "FakeDisplayModes.h"
#include "FakeFilePicker.h"
#include "FakeFileRevealer.h"
#include "FakeGraphicsDevice.h"
#include "FakeHardwareSensors.h"
#include "FakeHostStatistics.h"
#include "FakeInterfaceCounters.h"
#include "FakeNetworkPathMonitor.h"
#include "FakePowerSupplies.h"
#include "FakeProcessControl.h"
#include "FakeProcessRunner.h"
#include "FakeURLOpener.h"
#include "FakeWiFiNetwork.h"
#include "FakeStoragePlaces.h"
#include "FakeSystemFacts.h"
#include "FakeStatusBar.h"
#include "FakeWorkspace.h"
#include "WorkQueues.h"
#include "app/PlatformServices.h"
#include "macos/MetalDefaults.h"
#include "InstalledApplications.h"
#include "linux/JsonFileDefaults.h"
#include "linux/LinuxTrash.h"
#include "macos/MacToolBackends.h"
#include "storage/SecureLocalStore.h"

#include <QDir>
#include <unistd.h>

// The platform objects of one imagined user whose home, defaults file and Application Support
// folder all lie under `root`. Two instances on the same root are two launches of the application.
struct FakePlatform {
    explicit FakePlatform(const QString& folder)
        : root(folder), defaults(defaultsFile()), secureStore(defaults, appSupportDirectory() + "/.secure")
    {
        QDir().mkpath(homeDirectory());
    }
    // Work the services queued may still be using these objects, as in the application, which waits
    // for it before its platform goes.
    ~FakePlatform() { WorkQueues::drain(); }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    QString homeDirectory() const { return root + "/home"; }
    QString appSupportDirectory() const { return root + "/data/Quillmarsh"; }
    QString defaultsFile() const { return root + "/config/Quillmarsh/defaults.json"; }
    QString autostartDirectory() const { return root + "/config/autostart"; }

    PlatformServices services()
    {
        PlatformServices s;
        s.processRunner = runner;
        s.defaults = &defaults;
        s.secureStore = &secureStore;
        s.host = host;
        s.graphics = graphics;
        s.powerSupplies = powerSupplies;
        s.sensors = sensors;
        s.processControl = processControl;
        s.workspace = workspace;
        s.scripts = scripts;
        s.interfaceCounters = interfaceCounters;
        s.pathMonitor = pathMonitor;
        s.wifiNetwork = wifiNetwork;
        s.systemFacts = systemFacts;
        s.storagePlaces = storagePlaces;
        s.statusBar = statusBar;
        s.displayModes = displayModes;
        s.trash = trash;
        s.fileRevealer = fileRevealer;
        s.urlOpener = urlOpener;
        s.filePicker = filePicker;
        s.gameOverlay = gameOverlay;
        s.installedApplications = installedApplications;
        s.tuning = tuning;
        s.aiProviderURLs = aiProviderURLs;
        s.homeDirectory = homeDirectory();
        s.appSupportDirectory = appSupportDirectory();
        s.configurationDirectory = QFileInfo(defaultsFile()).path();
        s.autostartDirectory = autostartDirectory();
        s.applicationPath = "/opt/quillmarsh/quillmarsh";
        return s;
    }

    // What "Get Started" stores.
    void completeSetup() { secureStore.writeSecure(SecureLocalStore::setupCompleteKey, "true"); }

    const QString root;
    std::shared_ptr<FakeProcessRunner> runner = std::make_shared<FakeProcessRunner>();
    JsonFileDefaults defaults;
    SecureLocalStore secureStore;
    std::shared_ptr<FakeHostStatistics> host = std::make_shared<FakeHostStatistics>();
    std::shared_ptr<FakeGraphicsDevice> graphics = std::make_shared<FakeGraphicsDevice>();
    std::shared_ptr<FakePowerSupplies> powerSupplies = std::make_shared<FakePowerSupplies>();
    std::shared_ptr<FakeHardwareSensors> sensors = std::make_shared<FakeHardwareSensors>();
    std::shared_ptr<FakeProcessControl> processControl = std::make_shared<FakeProcessControl>();
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<FakeAppleScriptRunner> scripts = std::make_shared<FakeAppleScriptRunner>();
    std::shared_ptr<FakeInterfaceCounters> interfaceCounters = std::make_shared<FakeInterfaceCounters>();
    std::shared_ptr<FakeNetworkPathMonitor> pathMonitor = std::make_shared<FakeNetworkPathMonitor>();
    std::shared_ptr<FakeWiFiNetwork> wifiNetwork = std::make_shared<FakeWiFiNetwork>();
    std::shared_ptr<FakeSystemFacts> systemFacts = std::make_shared<FakeSystemFacts>();
    std::shared_ptr<FakeStoragePlaces> storagePlaces = std::make_shared<FakeStoragePlaces>(homeDirectory());
    std::shared_ptr<FakeStatusBar> statusBar = std::make_shared<FakeStatusBar>();
    std::shared_ptr<FakeDisplayModes> displayModes = std::make_shared<FakeDisplayModes>();
    std::shared_ptr<LinuxTrash> trash = std::make_shared<LinuxTrash>(LinuxTrash::Options{root + "/data", ::geteuid()});
    std::shared_ptr<FakeFileRevealer> fileRevealer = std::make_shared<FakeFileRevealer>();
    std::shared_ptr<FakeURLOpener> urlOpener = std::make_shared<FakeURLOpener>();
    std::shared_ptr<FakeFilePicker> filePicker = std::make_shared<FakeFilePicker>();
    // The Mac's defaults tool over the fake runner, so that what it was asked shows in the runner.
    std::shared_ptr<GameOverlay> gameOverlay{new MetalDefaults(*runner), [runner = runner](GameOverlay* overlay) {
                                                 delete overlay;
                                             }};
    std::shared_ptr<InstalledApplications> installedApplications;
    // The tuning actions run their tools through the fake runner.
    TuningBackends tuning = macToolBackends(*runner, *scripts);
    QHash<AIProvider, QUrl> aiProviderURLs;
};
