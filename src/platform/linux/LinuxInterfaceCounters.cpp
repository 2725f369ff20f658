#include "LinuxInterfaceCounters.h"

#include "KernelFile.h"
#include "LinkChangeWatch.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <variant>

namespace {

// Counters are unsigned 64-bit, beyond what a signed reading holds.
std::optional<quint64> readCounter(const QString& path)
{
    const auto text = KernelFile::readValue(path);
    bool ok = false;
    const quint64 value = text ? text->toULongLong(&ok) : 0;
    return ok ? std::optional(value) : std::nullopt;
}

// Names of the entries of a folder, or the error number when it cannot be listed.
std::variant<QStringList, int> folderNames(const QString& path)
{
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return errno;
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

} // namespace

LinuxInterfaceCounters::LinuxInterfaceCounters()
    : LinuxInterfaceCounters(QStringLiteral("/sys/class/net"), &LinkAddresses::read,
                             [watch = std::make_shared<LinkChangeWatch>()] { return watch->changed(); })
{
}

LinuxInterfaceCounters::LinuxInterfaceCounters(QString netRoot, AddressReader readAddresses, ChangeCheck mayHaveChanged)
    : m_netRoot(std::move(netRoot)), m_readAddresses(std::move(readAddresses)),
      m_mayHaveChanged(std::move(mayHaveChanged))
{
}

std::optional<QStringList> LinuxInterfaceCounters::readQualifying(Listing& failure) const
{
    const auto names = folderNames(m_netRoot);
    if (const int* error = std::get_if<int>(&names)) {
        failure.failure = Listing::Failure::InterfaceList;
        failure.errorNumber = *error;
        return std::nullopt;
    }
    const LinkAddresses addresses = m_readAddresses();
    if (!addresses.ok()) {
        failure.failure = Listing::Failure::InterfaceFlags;
        failure.errorNumber = addresses.errorNumber;
        return std::nullopt;
    }
    QList<std::pair<qint64, QString>> found;
    for (const QString& name : std::get<QStringList>(names)) {
        const auto flags = addresses.flagsOf(name);
        if (flags && LinkAddresses::qualifies(*flags))
            found.append({KernelFile::readInteger(m_netRoot + '/' + name + "/ifindex").value_or(0), name});
    }
    std::sort(found.begin(), found.end());
    QStringList qualifying;
    for (const auto& item : std::as_const(found))
        qualifying.append(item.second);
    return qualifying;
}

InterfaceCounters::Listing LinuxInterfaceCounters::list()
{
    QMutexLocker lock(&m_mutex);
    const bool mayHaveChanged = !m_mayHaveChanged || m_mayHaveChanged();
    if (mayHaveChanged || !m_qualifying) {
        Listing failed;
        m_qualifying = readQualifying(failed);
        if (!m_qualifying)
            return failed;
    }
    Listing listing;
    for (const QString& name : std::as_const(*m_qualifying)) {
        const QString folder = m_netRoot + '/' + name;
        const auto received = readCounter(folder + "/statistics/rx_bytes");
        const auto sent = readCounter(folder + "/statistics/tx_bytes");
        if (received && sent)
            listing.entries.append({name, *received, *sent});
    }
    return listing;
}

std::optional<InterfaceCounters::Totals> LinuxInterfaceCounters::fallbackTotals()
{
    const LinkAddresses addresses = m_readAddresses();
    if (!addresses.ok() || addresses.links.isEmpty())
        return std::nullopt;
    Totals totals;
    for (const LinkAddresses::Link& link : addresses.links) {
        if (!LinkAddresses::qualifies(link.flags) || !link.received || !link.sent)
            continue;
        totals.received += *link.received;
        totals.sent += *link.sent;
        if (*link.received != 0 || *link.sent != 0)
            totals.hasValidData = true;
    }
    return totals;
}
