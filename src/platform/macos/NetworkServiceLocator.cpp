#include "NetworkServiceLocator.h"

#include "ProcessRunner.h"
#include "StrictUtf8.h"

#include <QRegularExpression>

namespace {

const QString kRoute = QStringLiteral("/usr/sbin/route");
const QString kNetworkSetup = QStringLiteral("/usr/sbin/networksetup");
const QString kInterface = QStringLiteral("interface:");
const QString kDevice = QStringLiteral("Device: ");
const QString kHardwarePort = QStringLiteral("Hardware Port: ");
const QString kDeviceAfterPort = QStringLiteral(", Device:");

QStringList lines(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    return text.split(lineBreak);
}

// Interface names are made of letters, digits and a few joiners; anything else ends one.
bool endsName(const QString& line, qsizetype at)
{
    if (at >= line.size())
        return true;
    const QChar c = line.at(at);
    return !(c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u'@' || c == u':');
}

bool namesDevice(const QString& line, const QString& device)
{
    const QString needle = kDevice + device;
    for (qsizetype at = line.indexOf(needle); at >= 0; at = line.indexOf(needle, at + 1)) {
        if (endsName(line, at + needle.size()))
            return true;
    }
    return false;
}

std::optional<QString> decodedOutput(const ProcessResult& result)
{
    if (!result.started())
        return std::nullopt;
    return strictUtf8(result.standardOutput);
}

} // namespace

NetworkServiceLocator::NetworkServiceLocator(ProcessRunner& runner) : m_runner(runner) {}

std::optional<QString> NetworkServiceLocator::activeNetworkInterface()
{
    const auto output = decodedOutput(m_runner.run(kRoute, {"-n", "get", "default"}));
    return output ? interfaceFromRouteOutput(*output) : std::nullopt;
}

std::optional<QString> NetworkServiceLocator::networkServiceForDevice(const QString& device)
{
    const auto output = decodedOutput(m_runner.run(kNetworkSetup, {"-listnetworkserviceorder"}));
    return output ? serviceFromServiceList(*output, device) : std::nullopt;
}

std::optional<QString> NetworkServiceLocator::activeNetworkService()
{
    const auto device = activeNetworkInterface();
    return device ? networkServiceForDevice(*device) : std::nullopt;
}

std::optional<QString> NetworkServiceLocator::interfaceFromRouteOutput(const QString& output)
{
    for (const QString& raw : lines(output)) {
        QString line = raw.trimmed();
        if (line.startsWith(kInterface))
            return line.remove(kInterface).trimmed();
    }
    return std::nullopt;
}

std::optional<QString> NetworkServiceLocator::serviceFromServiceList(const QString& output, const QString& device)
{
    QString service;
    for (const QString& raw : lines(output)) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'(') && line.contains(QStringLiteral(") ")) && !line.contains(kHardwarePort.trimmed())) {
            const QString name = line.mid(line.indexOf(u')') + 1).trimmed();
            if (!name.isEmpty()) {
                service = name;
                continue;
            }
        }
        if (!namesDevice(line, device))
            continue;
        if (!service.isEmpty())
            return service;
        const qsizetype port = line.indexOf(kHardwarePort);
        const qsizetype deviceStart = line.indexOf(kDeviceAfterPort);
        if (port >= 0 && deviceStart >= port + kHardwarePort.size()) {
            const QString name = line.mid(port + kHardwarePort.size(), deviceStart - port - kHardwarePort.size()).trimmed();
            if (!name.isEmpty())
                return name;
        }
    }
    return std::nullopt;
}
