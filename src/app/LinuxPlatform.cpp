#include "LinuxPlatform.h"

#include "DesktopFilePicker.h"
#include "DesktopURLOpener.h"
#include "Defaults.h"
#include "Paths.h"
#include "StoredFiles.h"
#include "TrayStatusBar.h"
#include "linux/DefaultRoutePath.h"
#include "linux/DesktopTrayWatch.h"
#include "linux/LazyBusConnection.h"
#include "linux/LinuxAppleScriptRunner.h"
#include "linux/LinuxDisplayModes.h"
#include "linux/LinuxFileRevealer.h"
#include "linux/LinuxGraphicsDevice.h"
#include "linux/LinuxHardwareSensors.h"
#include "linux/LinuxHostStatistics.h"
#include "linux/LinuxInstalledApplications.h"
#include "linux/LinuxInterfaceCounters.h"
#include "linux/LinuxLatencyProbe.h"
#include "linux/LinuxNetworkPathMonitor.h"
#include "linux/LinuxPowerSupplies.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxProcessRunner.h"
#include "linux/LinuxStoragePlaces.h"
#include "linux/LinuxSystemFacts.h"
#include "linux/LinuxTrash.h"
#include "linux/LinuxTuningBackends.h"
#include "linux/LinuxWiFiNetwork.h"
#include "linux/UPowerDevices.h"
#include "linux/LinuxWorkspace.h"
#include "linux/MangoHudOverlay.h"
#include "linux/StatusNotifierWatch.h"
#include "linux/SteamLibraries.h"
#include "linux/XEmbedTrayWatch.h"
#include "storage/FileManagerHelper.h"
#include "storage/SecureLocalStore.h"
#include "telemetry/PingProbe.h"
#include "telemetry/SharedLatencyProbe.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/InstalledGameScanner.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#include <unistd.h>

LinuxPlatform::LinuxPlatform()
{
    auto runner = std::make_shared<LinuxProcessRunner>();
    auto processControl = std::make_shared<LinuxProcessControl>();
    // Each bus is connected when first used, not here on the way to the first frame, and only ever
    // used from a thread of its own.
    const LazyBusConnection systemBus = LazyBusConnection::system();
    const LazyBusConnection sessionBus = LazyBusConnection::session();
    m_services.processRunner = runner;
    m_services.defaults = &Defaults::standard();
    m_services.secureStore = &SecureLocalStore::shared();
    m_services.host = std::make_shared<LinuxHostStatistics>();
    m_services.graphics = std::make_shared<LinuxGraphicsDevice>();
    m_services.powerSupplies = std::make_shared<LinuxPowerSupplies>(
        QStringLiteral("/sys"), std::make_shared<UPowerDevices>(systemBus));
    m_services.sensors = std::make_shared<LinuxHardwareSensors>();
    m_services.processControl = processControl;
    // The workspace borrows process control; the shared pointer it is stored beside keeps it alive
    // as long as the workspace is.
    m_services.workspace = std::shared_ptr<LinuxWorkspace>(
        new LinuxWorkspace(*processControl, LinuxWorkspace::Options{}),
        [processControl](LinuxWorkspace* workspace) { delete workspace; });
    m_services.scripts = std::shared_ptr<LinuxAppleScriptRunner>(
        new LinuxAppleScriptRunner(*runner), [runner](LinuxAppleScriptRunner* scripts) { delete scripts; });
    m_services.interfaceCounters = std::make_shared<LinuxInterfaceCounters>();
    m_services.pathMonitor = std::make_shared<LinuxNetworkPathMonitor>(
        LinuxNetworkPathMonitor::Options{.networkManagerBus = systemBus});
    m_services.hasNetworkPath = [] {
        return DefaultRoutePath::read(QStringLiteral("/proc"), QStringLiteral("/sys/class/net")).satisfied;
    };
    m_services.wifiNetwork = std::make_shared<LinuxWiFiNetwork>(systemBus, runner);
    m_services.latency = std::make_shared<SharedLatencyProbe>(std::make_shared<LinuxLatencyProbe>(
        std::make_shared<PingProbe>(runner), [runner] { return runner->isEnding(); }));
    m_services.systemFacts = std::make_shared<LinuxSystemFacts>();
    m_services.storagePlaces = std::make_shared<LinuxStoragePlaces>(
        Paths::home(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    // Qt docks its tray icon in an XEmbed tray only through its own X connection.
    auto xembedTray = QGuiApplication::platformName() == QLatin1String("xcb")
        ? std::make_shared<XEmbedTrayWatch>(qgetenv("DISPLAY"))
        : nullptr;
    m_services.statusBar = std::make_shared<TrayStatusBar>(
        std::make_shared<DesktopTrayWatch>(std::make_shared<StatusNotifierWatch>(sessionBus), std::move(xembedTray)));
    m_services.displayModes = std::make_shared<LinuxDisplayModes>(LinuxDisplayModes::sessionDisplayName());
    m_services.trash = std::make_shared<LinuxTrash>(
        LinuxTrash::Options{QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), ::geteuid()});
    m_services.fileRevealer = std::make_shared<LinuxFileRevealer>(sessionBus);
    m_services.urlOpener = std::make_shared<DesktopURLOpener>();
    m_services.filePicker = std::make_shared<DesktopFilePicker>();
    auto installed = std::make_shared<LinuxInstalledApplications>(
        LinuxInstalledApplications::standardApplicationFolders(), SteamLibraries::standardRoots(Paths::home()));
    m_services.installedApplications = installed;
    m_services.gameOverlay = std::make_shared<MangoHudOverlay>(MangoHudOverlay::Options{
        MangoHudOverlay::standardConfigFolder(), &MangoHudOverlay::mangoHudOnPath,
        [installed](const QStringList& bundleIdentifiers) {
            // One walk of the application folders serves every game asked about.
            const auto applications = installed->list();
            const auto profiles = GameProfilePresets::all();
            QHash<QString, QStringList> programs;
            for (const QString& bundleIdentifier : bundleIdentifiers)
                programs.insert(bundleIdentifier,
                                InstalledGameScanner::programsOf(bundleIdentifier, applications, profiles));
            return programs;
        },
        Paths::applicationSupport() + "/" + StoredFiles::overlayRecord});
    m_services.tuning = linuxTuningBackends(systemBus, sessionBus);
    m_services.homeDirectory = Paths::home();
    m_services.appSupportDirectory = FileManagerHelper::applicationSupportPath();
    m_services.configurationDirectory = Paths::configuration();
    m_services.autostartDirectory = Paths::autostart();
    m_services.applicationPath = QCoreApplication::applicationFilePath();
}
