#include "ContextAddress.h"

#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>

namespace {

const QString kGitHubWeb = QStringLiteral("github.com");
const QString kGitHubRaw = QStringLiteral("raw.githubusercontent.com");
const QString kGitHubContentDomain = QStringLiteral("githubusercontent.com");

// The host as written in an absolute address, before any parser rewrites a numeric form.
QString writtenHost(const QString& text)
{
    static const QRegularExpression authority(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:[/\\\\]*([^/?#\\\\]*)"));
    QString host = authority.match(text).captured(1);
    host = host.mid(host.lastIndexOf(u'@') + 1);
    if (host.startsWith(u'['))
        return host.left(host.indexOf(u']') + 1);
    return host.left(host.indexOf(u':') < 0 ? host.size() : host.indexOf(u':'));
}

bool isNumericLabel(const QString& label)
{
    static const QRegularExpression number(QStringLiteral("^(0x[0-9a-f]*|[0-9]+)$"));
    return number.match(label).hasMatch();
}

bool isPlainDecimalOctet(const QString& label)
{
    static const QRegularExpression octet(QStringLiteral("^(0|[1-9][0-9]{0,2})$"));
    return octet.match(label).hasMatch() && label.toInt() <= 255;
}

// The local-use NAT64 prefix 64:ff9b:1::/48 is divided as each network likes, and the length of
// its translator's prefix (no shorter than the block) places the IPv4 address: the last 32 bits
// after a /96; after a /64, /56 or /48 it is split around bits 64 to 71. Translators ignore those
// bits and the suffix after the address, so whatever they hold, the address is judged in every
// place it may sit and refused when it is refused in any of them. A reading in 0.0.0.0/8 is where
// another length's zeros fall, and no translator forwards to it.
bool localNat64CarriesRefused(const Q_IPV6ADDR& v6)
{
    const auto at = [&v6](std::initializer_list<int> offsets) {
        quint32 address = 0;
        for (int offset : offsets)
            address = address << 8 | v6[offset];
        return address;
    };
    const auto refused = [](quint32 address) { return address >> 24 != 0 && ContextAddress::isRefusedIPv4(address); };
    return refused(at({12, 13, 14, 15})) || refused(at({9, 10, 11, 12})) || refused(at({7, 9, 10, 11}))
           || refused(at({6, 7, 9, 10}));
}

// Scheme and host rules shared by a typed link and every address it redirects to.
// `text` is the address as written, which is judged too: a parser may have turned a numeric
// host form into a plain one.
bool permitted(const QUrl& url, const QString& text, const LinkPolicy& policy)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    QString written = writtenHost(text);
    if (written.startsWith(u'['))
        written = written.mid(1, written.size() - 2);
    if (policy.trusts(url) && written.compare(url.host(), Qt::CaseInsensitive) == 0)
        return true;
    if (url.scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) != 0)
        return false;
    return !ContextAddress::isPrivateHost(url.host()) && !ContextAddress::isPrivateHost(written);
}

} // namespace

bool ContextAddress::isRefusedAddress(const QHostAddress& address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        return isRefusedIPv4(v4);
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return true;
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    const auto ipv4At = [&v6](int offset) {
        return quint32(v6[offset]) << 24 | quint32(v6[offset + 1]) << 16 | quint32(v6[offset + 2]) << 8 | v6[offset + 3];
    };
    const bool zeroPrefix = std::all_of(v6.c, v6.c + 12, [](quint8 byte) { return byte == 0; });
    const bool nat64 = v6[0] == 0x00 && v6[1] == 0x64 && v6[2] == 0xff && v6[3] == 0x9b
                       && std::all_of(v6.c + 4, v6.c + 12, [](quint8 byte) { return byte == 0; });
    const bool localNat64 = v6[0] == 0x00 && v6[1] == 0x64 && v6[2] == 0xff && v6[3] == 0x9b && v6[4] == 0x00 && v6[5] == 0x01;
    const bool translated = std::all_of(v6.c, v6.c + 8, [](quint8 byte) { return byte == 0; }) && v6[8] == 0xff
                            && v6[9] == 0xff && v6[10] == 0 && v6[11] == 0;
    const bool sixToFour = v6[0] == 0x20 && v6[1] == 0x02;
    const bool teredo = v6[0] == 0x20 && v6[1] == 0x01 && v6[2] == 0x00 && v6[3] == 0x00;
    return zeroPrefix                                     // ::, ::1 and the old IPv4-compatible forms
           || (v6[0] & 0xfe) == 0xfc                      // unique local fc00::/7
           || (v6[0] == 0xfe && (v6[1] & 0x80) == 0x80) // link-local fe80::/10, site-local fec0::/10
           || v6[0] == 0xff                               // multicast ff00::/8
           // Forms that reach an IPv4 address written inside them: IPv4-translated ::ffff:0:0/96 and
           // NAT64 64:ff9b::/96 (the last 32 bits), the local-use 64:ff9b:1::/48, 6to4 2002::/16
           // (bits 16 to 47) and Teredo 2001::/32, whose server (bits 32 to 63) and client (the
           // last 32 bits, inverted) are both judged.
           || ((translated || nat64) && isRefusedIPv4(ipv4At(12))) || (localNat64 && localNat64CarriesRefused(v6))
           || (sixToFour && isRefusedIPv4(ipv4At(2)))
           || (teredo && (isRefusedIPv4(ipv4At(4)) || isRefusedIPv4(~ipv4At(12))));
}

bool ContextAddress::isRefusedIPv4(quint32 address)
{
    const quint32 a = address >> 24;
    const quint32 b = (address >> 16) & 0xff;
    return a == 0 || a == 10 || a == 127 || (a == 100 && b >= 64 && b <= 127) || (a == 169 && b == 254)
           || (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168) || a >= 224;
}

bool ContextAddress::isPrivateHost(const QString& host)
{
    QString name = host.toLower();
    while (name.startsWith(u'['))
        name.remove(0, 1);
    while (name.endsWith(u']'))
        name.chop(1);
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name.isEmpty() || name == u"localhost" || name.endsWith(u".localhost") || name.endsWith(u".local")
        || name.endsWith(u".internal"))
        return true;

    if (name.contains(u':')) {
        const QHostAddress address(name);
        return address.isNull() || address.protocol() != QAbstractSocket::IPv6Protocol || isRefusedAddress(address);
    }
    // A last label that is a number makes the whole host a number: only four plain decimal parts
    // are read as an address, every other numeric form is refused rather than guessed at.
    const QStringList labels = name.split(u'.');
    if (!isNumericLabel(labels.last()))
        return false;
    if (labels.size() != 4 || !std::all_of(labels.begin(), labels.end(), isPlainDecimalOctet))
        return true;
    return isRefusedAddress(QHostAddress(name));
}

bool ContextAddress::isGitHubHost(const QString& host)
{
    return host.contains(kGitHubWeb) || host.contains(kGitHubContentDomain);
}

std::optional<QUrl> ContextAddress::permittedHop(const QString& text, const QUrl& base, const LinkPolicy& policy)
{
    const QUrl url = base.resolved(QUrl(text));
    QString written = base.toString();
    if (text.startsWith(QStringLiteral("//")))
        written = base.scheme() + u':' + text;
    else if (!QUrl(text).isRelative())
        written = text;
    if (!permitted(url, written, policy))
        return std::nullopt;
    return url;
}

std::optional<QUrl> ContextAddress::normalizedContextURL(const QString& text, const LinkPolicy& policy)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!permitted(url, trimmed, policy))
        return std::nullopt;
    if (url.host().toLower() != kGitHubWeb)
        return url;

    const QStringList parts = url.path().split(u'/', Qt::SkipEmptyParts);
    if (parts.size() < 5 || parts[2] != u"blob")
        return url;
    QUrl raw;
    raw.setScheme(QStringLiteral("https"));
    raw.setHost(kGitHubRaw);
    raw.setPath(u'/' + (parts.mid(0, 2) + parts.mid(3)).join(u'/'));
    return raw.isValid() ? std::optional(raw) : std::nullopt;
}
