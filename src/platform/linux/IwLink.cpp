#include "IwLink.h"

#include <QStringList>

IwLink IwLink::parse(const QString& output)
{
    IwLink link;
    const QStringList lines = output.split(u'\n');
    link.connected = !lines.isEmpty() && lines.first().startsWith(QLatin1String("Connected to "));
    if (!link.connected)
        return link;
    for (const QString& line : lines.mid(1)) {
        // Fields are indented by one tab; the name keeps its own leading and trailing spaces.
        const QString field = line.startsWith(u'\t') ? line.mid(1) : line.trimmed();
        if (field.startsWith(QLatin1String("SSID: "))) {
            link.ssid = unescape(field.mid(6));
        } else if (field.startsWith(QLatin1String("freq: "))) {
            bool ok = false;
            const double frequency = field.mid(6).trimmed().toDouble(&ok);
            if (ok)
                link.frequencyMHz = frequency;
        } else if (field.startsWith(QLatin1String("tx bitrate: "))) {
            link.txBitrate = field.mid(12).trimmed();
        }
    }
    return link;
}

std::optional<QString> IwLink::standard() const
{
    if (!connected)
        return std::nullopt;
    const QStringList flags = txBitrate.split(u' ', Qt::SkipEmptyParts);
    if (flags.contains(QLatin1String("EHT-MCS")))
        return QStringLiteral("802.11be");
    if (flags.contains(QLatin1String("HE-MCS")))
        return QStringLiteral("802.11ax");
    if (flags.contains(QLatin1String("VHT-MCS")))
        return QStringLiteral("802.11ac");
    if (flags.contains(QLatin1String("MCS")))
        return QStringLiteral("802.11n");
    if (!frequencyMHz)
        return std::nullopt;
    return *frequencyMHz >= 5000 ? QStringLiteral("802.11a") : QStringLiteral("802.11g");
}

QByteArray IwLink::unescape(const QString& escaped)
{
    const QByteArray text = escaped.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bool ok = false;
            const int value = text.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                bytes.append(char(value));
                i += 3;
                continue;
            }
        }
        bytes.append(text[i]);
    }
    return bytes;
}
