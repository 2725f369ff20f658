#include "LinuxInterfaceCounters.h"

#include "KernelFile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
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

LinuxInterfaceCounters::LinuxInterfaceCounters(QString netRoot, AddressReader readAddresses)
    : m_netRoot(std::move(netRoot)), m_readAddresses(std::move(readAddresses))
{
}

InterfaceCounters::Listing LinuxInterfaceCounters::list()
{
    Listing listing;
    const auto names = folderNames(m_netRoot);
    if (const int* error = std::get_if<int>(&names)) {
        listing.failure = Listing::Failure::InterfaceList;
        listing.errorNumber = *error;
        return listing;
    }
    const LinkAddresses addresses = m_readAddresses();
    if (!addresses.ok()) {
        listing.failure = Listing::Failure::InterfaceFlags;
        listing.errorNumber = addresses.errorNumber;
        return listing;
    }

    struct Indexed {
        qint64 index;
        Entry entry;
    };
    QList<Indexed> found;
    for (const QString& name : std::get<QStringList>(names)) {
        const auto flags = addresses.flagsOf(name);
        if (!flags || !LinkAddresses::qualifies(*flags))
            continue;
        const QString folder = m_netRoot + '/' + name;
        const auto received = readCounter(folder + "/statistics/rx_bytes");
        const auto sent = readCounter(folder + "/statistics/tx_bytes");
        if (!received || !sent)
            continue;
        found.append({KernelFile::readInteger(folder + "/ifindex").value_or(0), {name, *received, *sent}});
    }
    std::stable_sort(found.begin(), found.end(), [](const Indexed& a, const Indexed& b) {
        return a.index != b.index ? a.index < b.index : a.entry.name < b.entry.name;
    });
    for (const Indexed& item : found)
        listing.entries.append(item.entry);
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
