#pragma once

#include "LinkPolicy.h"

#include <QHostAddress>
#include <QString>
#include <QUrl>
#include <optional>

// Which addresses a context link may name, and the form in which it is fetched.
namespace ContextAddress {

// The typed link as it will be fetched: https (or a trusted origin) on a host that is not
// private, a GitHub file page turned into its raw file. Nothing for any other text.
std::optional<QUrl> normalizedContextURL(const QString& text, const LinkPolicy& policy = LinkPolicy::application());
// Whether `text`, an absolute address or one relative to `base`, is one a link may lead to:
// the same scheme and host rules as a typed link, without the GitHub rewrite.
std::optional<QUrl> permittedHop(const QString& text, const QUrl& base, const LinkPolicy& policy);
// Judged on the host text alone, no name is resolved: local names, IP literals of the refused
// ranges, and hosts written as numbers in any form but four plain decimal parts.
bool isPrivateHost(const QString& host);
// Loopback, private, shared, link-local, site-local, unique-local, multicast, unspecified and
// reserved addresses, and the IPv6 forms that carry such an IPv4 address: IPv4-mapped,
// IPv4-translated, NAT64 (the well-known and the local-use prefix), 6to4 and Teredo.
bool isRefusedAddress(const QHostAddress& address);
// The IPv4 ranges refused above, for an address in host byte order.
bool isRefusedIPv4(quint32 address);
// Whether the host belongs to GitHub's web or raw-file domains.
bool isGitHubHost(const QString& host);

} // namespace ContextAddress
