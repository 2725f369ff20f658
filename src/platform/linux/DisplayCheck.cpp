#include "DisplayCheck.h"

#include "XcbConnect.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// The value of `-name value` or `--name value` on the command line, as the GUI library reads it.
QString option(const QStringList& arguments, const QString& name)
{
    QString found;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (argument.startsWith(QLatin1String("--")))
            argument.remove(0, 1);
        if (argument == QLatin1Char('-') + name)
            found = arguments.at(++i);
    }
    return found;
}

const QString kAdvice = QStringLiteral(
    "Start Quillmarsh from the desktop session it should appear on, or point DISPLAY at a running X "
    "server; without a desktop, unset DISPLAY and WAYLAND_DISPLAY and use scripts/run, which starts a "
    "virtual display of its own.");

const QString kWaylandPassedOver = QStringLiteral("Quillmarsh: a Wayland session is announced, but %1, so the "
                                                  "window can only go to an X server.\n");

// Where the Wayland client library connects: WAYLAND_DISPLAY, wayland-0 when it is not set, in
// XDG_RUNTIME_DIR unless it is a path of its own. Empty when there is no such folder.
QString compositorSocket(const QProcessEnvironment& environment)
{
    const QString name = environment.value(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    if (name.startsWith(QLatin1Char('/')))
        return name;
    const QString folder = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

// A compositor that listens there takes the connection at once; one that is merely busy has it
// waiting in its queue.
bool takesConnections(const QString& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    if (path.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return false;
    const bool taken = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
    ::close(socket);
    return taken;
}

// Why the library will pass over Wayland and go on to X11; empty when Wayland can take the window.
QString waylandPassedOver(const QStringList& arguments, const QProcessEnvironment& environment)
{
    if (!DisplayCheck::platformPlugins(arguments, environment).contains(QLatin1String("wayland")))
        return kWaylandPassedOver.arg(
            QStringLiteral("Qt's Wayland platform plugin is not installed (on Debian, the package qt6-wayland)"));
    // A compositor that started this process handed it a connection of its own.
    if (environment.contains(QStringLiteral("WAYLAND_SOCKET")))
        return {};
    const QString socket = compositorSocket(environment);
    if (socket.isEmpty())
        return kWaylandPassedOver.arg(
            QStringLiteral("XDG_RUNTIME_DIR, the folder where its compositor is found, is not set"));
    if (!takesConnections(socket))
        return kWaylandPassedOver.arg(QStringLiteral("no Wayland compositor answers at %1").arg(socket));
    return {};
}

// The error the connection ends with, or nothing when it did not end in time: a stopped server
// takes the connection and leaves it unanswered for as long as it is stopped. The connection is made on a
// thread of its own, which is let go when the time is up; it ends with the process.
std::optional<int> connectionError(const QByteArray& display, std::chrono::milliseconds answerTime)
{
    auto result = std::make_shared<std::promise<int>>();
    std::future<int> answer = result->get_future();
    std::thread connecting([display, result] {
        // With a screen to fill in, the connection also fails when the display names a screen
        // its server does not have.
        int screen = 0;
        xcb_connection_t* connection = connectToXServer(display.constData(), &screen);
        const int error = xcb_connection_has_error(connection);
        xcb_disconnect(connection);
        result->set_value(error);
    });
    if (answer.wait_for(answerTime) == std::future_status::timeout) {
        connecting.detach();
        return std::nullopt;
    }
    connecting.join();
    return answer.get();
}

// Empty when the X display answers; otherwise what is wrong with it.
QString xProblem(const QString& display, std::chrono::milliseconds answerTime)
{
    const std::optional<int> error = connectionError(display.toLocal8Bit(), answerTime);
    if (!error)
        return QStringLiteral("Quillmarsh: the X display %1 did not answer within %2 seconds: its X server is "
                              "stopped or hangs, or cannot be reached. A stopped server goes on with fg in the "
                              "terminal that started it, or kill -CONT; a hung one needs starting again.\n")
            .arg(display, QString::number(double(answerTime.count()) / 1000));
    switch (*error) {
    case 0:
        return {};
    case XCB_CONN_CLOSED_PARSE_ERR:
        return QStringLiteral("Quillmarsh: \"%1\" is not the name of an X display (DISPLAY).\n").arg(display);
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return QStringLiteral("Quillmarsh: the X display %1 has no such screen: its server has fewer screens "
                              "than the number after the dot.\n")
            .arg(display);
    default:
        return QStringLiteral("Quillmarsh: the X display %1 does not answer: no X server runs there, or it "
                              "refused the connection (an X server another user started may need "
                              "XAUTHORITY).\n")
            .arg(display);
    }
}

} // namespace

DisplayCheck::Target DisplayCheck::target(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QString platform = option(arguments, QStringLiteral("platform"));
    if (platform.isEmpty())
        platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty()) {
        // From a list of candidates the library takes the next when one cannot start, so only X11
        // alone, with or without its parameters, has to answer here.
        if (platform.contains(QLatin1Char(';')))
            return Target::Other;
        return platform.section(QLatin1Char(':'), 0, 0) == QLatin1String("xcb") ? Target::X11 : Target::Other;
    }
    if (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
        || environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland"))
        return Target::Wayland;
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty()
        || !option(arguments, QStringLiteral("display")).isEmpty())
        return Target::X11;
    return Target::Nothing;
}

QStringList DisplayCheck::platformPlugins(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QStringList folders;
    QString platformFolder = option(arguments, QStringLiteral("platformpluginpath"));
    if (platformFolder.isEmpty())
        platformFolder = environment.value(QStringLiteral("QT_QPA_PLATFORM_PLUGIN_PATH"));
    if (!platformFolder.isEmpty())
        folders.append(platformFolder);
    QStringList pluginFolders
        = environment.value(QStringLiteral("QT_PLUGIN_PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts);
    pluginFolders << QLibraryInfo::path(QLibraryInfo::PluginsPath)
                  << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    for (const QString& folder : pluginFolders)
        folders.append(folder + QStringLiteral("/platforms"));

    // The keys come from each plugin's metadata, which is read without loading the plugin.
    QStringList keys;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            if (!QLibrary::isLibrary(file))
                continue;
            const QJsonObject metaData = QPluginLoader(dir.filePath(file)).metaData();
            if (!metaData.value(QLatin1String("IID"))
                     .toString()
                     .startsWith(QLatin1String("org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface")))
                continue;
            const QJsonArray fileKeys = metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
            for (const QJsonValue& key : fileKeys)
                keys.append(key.toString().toLower());
        }
    }
    keys.removeDuplicates();
    return keys;
}

QString DisplayCheck::problem(const QStringList& arguments, const QProcessEnvironment& environment,
                              std::chrono::milliseconds answerTime)
{
    // Said before what X answers, when the library goes on to X11 from Wayland.
    QString passedOver;
    switch (target(arguments, environment)) {
    case Target::Other:
        return {};
    case Target::Nothing:
        return QStringLiteral("Quillmarsh: there is no display to show its window on: neither DISPLAY nor "
                              "WAYLAND_DISPLAY is set.\n")
            + kAdvice;
    case Target::Wayland:
        passedOver = waylandPassedOver(arguments, environment);
        if (passedOver.isEmpty())
            return {};
        break;
    case Target::X11:
        break;
    }
    QString display = option(arguments, QStringLiteral("display"));
    if (display.isEmpty())
        display = environment.value(QStringLiteral("DISPLAY"));
    if (display.isEmpty()) {
        if (!passedOver.isEmpty())
            return passedOver + QStringLiteral("Quillmarsh: DISPLAY is not set either: there is no display to show "
                                               "its window on.\n")
                + kAdvice;
        return QStringLiteral("Quillmarsh: the X11 platform was asked for, but DISPLAY is not set.\n") + kAdvice;
    }
    const QString xAnswer = xProblem(display, answerTime);
    return xAnswer.isEmpty() ? QString() : passedOver + xAnswer + kAdvice;
}
