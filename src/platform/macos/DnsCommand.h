#pragma once

#include <QString>
#include <QStringList>

// The command that changes a network service's DNS servers, and the script that runs it with
// administrator privileges. Every value reaches the shell single-quoted.
class DnsCommand {
public:
    // 'value', with each ' inside written as '\''.
    static QString shellQuoted(const QString& value);
    // networksetup -setdnsservers with the service and the servers, each quoted.
    static QString setServers(const QString& service, const QStringList& servers);
    // networksetup -setdnsservers with the service and the word Empty: back to automatic servers.
    static QString resetServers(const QString& service);
    // do shell script "<command>" with administrator privileges, the command's backslashes and
    // double quotes escaped for the script's string.
    static QString administratorScript(const QString& command);
};
