#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What `iw dev IF link` prints about the station's link: whether it is associated, the network's
// name (iw writes bytes other than printable ASCII as \xNN), the channel frequency and the
// current transmit rate with its flags.
struct IwLink {
    bool connected = false;
    std::optional<QByteArray> ssid;
    std::optional<double> frequencyMHz;
    QString txBitrate;

    static IwLink parse(const QString& output);
    // The standard the transmit rate's flags show: EHT 802.11be, HE 802.11ax, VHT 802.11ac, HT
    // (a bare MCS) 802.11n, otherwise 802.11a at 5 GHz and above and 802.11g below; nothing when
    // not associated or the band is unknown.
    std::optional<QString> standard() const;
    // iw's escaped name as the bytes it stands for.
    static QByteArray unescape(const QString& escaped);
};
