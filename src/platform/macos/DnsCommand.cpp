#include "DnsCommand.h"

namespace {

const QString kSetDnsServers = QStringLiteral("/usr/sbin/networksetup -setdnsservers ");

} // namespace

QString DnsCommand::shellQuoted(const QString& value)
{
    QString quoted = value;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString DnsCommand::setServers(const QString& service, const QStringList& servers)
{
    QStringList words{shellQuoted(service)};
    for (const QString& server : servers)
        words.append(shellQuoted(server));
    return kSetDnsServers + words.join(u' ');
}

QString DnsCommand::resetServers(const QString& service)
{
    return kSetDnsServers + shellQuoted(service) + QStringLiteral(" Empty");
}

QString DnsCommand::administratorScript(const QString& command)
{
    QString escaped = command;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return QStringLiteral("do shell script \"") + escaped + QStringLiteral("\" with administrator privileges");
}
