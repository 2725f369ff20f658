#pragma once

#include "TuningBackends.h"
#include "assistant/AIProvider.h"
#include "screens/ScreenPlatform.h"

#include <QHash>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class AppleScriptRunner;
class Defaults;
class DisplayModes;
class FilePicker;
class FileRevealer;
class GameOverlay;
class GraphicsDevice;
class HardwareSensors;
class HostStatistics;
class InstalledApplications;
class InterfaceCounters;
class SharedLatencyProbe;
class NetworkPathMonitor;
class PowerSupplies;
class ProcessControl;
class ProcessRunner;
class SecureLocalStore;
class URLOpener;
class StoragePlaces;
class SystemFacts;
class Trash;
class StatusBar;
class WiFiNetwork;
class Workspace;

// The platform objects the root view borrows: the live Linux ones in the application, fakes in
// tests and in the screen renderer. Shared, because background work may still hold them while the
// window closes.
struct PlatformServices {
    std::shared_ptr<ProcessRunner> processRunner;
    Defaults* defaults = nullptr;
    SecureLocalStore* secureStore = nullptr;
    std::shared_ptr<HostStatistics> host;
    std::shared_ptr<GraphicsDevice> graphics;
    std::shared_ptr<PowerSupplies> powerSupplies;
    std::shared_ptr<HardwareSensors> sensors;
    std::shared_ptr<ProcessControl> processControl;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<AppleScriptRunner> scripts;
    std::shared_ptr<InterfaceCounters> interfaceCounters;
    std::shared_ptr<NetworkPathMonitor> pathMonitor;
    // Whether a usable network path exists right now; unset counts as yes.
    std::function<bool()> hasNetworkPath;
    std::shared_ptr<WiFiNetwork> wifiNetwork;
    // The monitors' latency probes; without it they run ping through the process runner.
    std::shared_ptr<SharedLatencyProbe> latency;
    std::shared_ptr<SystemFacts> systemFacts;
    std::shared_ptr<StoragePlaces> storagePlaces;
    std::shared_ptr<StatusBar> statusBar;
    std::shared_ptr<DisplayModes> displayModes;
    std::shared_ptr<Trash> trash;
    std::shared_ptr<FileRevealer> fileRevealer;
    std::shared_ptr<URLOpener> urlOpener;
    std::shared_ptr<FilePicker> filePicker;
    // The frame limit and forced HUD of games.
    std::shared_ptr<GameOverlay> gameOverlay;
    // Where installed games are found; without it the list stays empty.
    std::shared_ptr<InstalledApplications> installedApplications;
    // What keep-awake, the memory purge, the DNS cache flush and DNS switching reach.
    TuningBackends tuning;
    // Where AI Connect's chat requests go, by provider; a provider without an entry uses its public API.
    QHash<AIProvider, QUrl> aiProviderURLs;
    QString homeDirectory;
    QString appSupportDirectory;
    // The folder of the defaults file.
    QString configurationDirectory;
    // Where the launch-at-log-in entry goes.
    QString autostartDirectory;
    // The executable that entry starts.
    QString applicationPath;
    // When above 0, the refresh interval of the monitors a screen owns for itself; tests stretch
    // it so that only the reads they start happen.
    int screenMonitorIntervalMs = 0;

    ScreenPlatform screenPlatform() const
    {
        return {processRunner, sensors, powerSupplies, fileRevealer, screenMonitorIntervalMs};
    }
};
