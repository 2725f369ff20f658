#include "ApplicationBundle.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

// Property lists describing one application are a few kilobytes; this bounds a hostile one.
constexpr qint64 kMaxInfoSize = 1 << 20;

} // namespace

std::optional<QString> ApplicationBundle::identifier(const QString& bundlePath)
{
    QFile info(bundlePath + QStringLiteral("/Contents/Info.plist"));
    if (!info.open(QIODevice::ReadOnly) || info.size() > kMaxInfoSize)
        return std::nullopt;
    QXmlStreamReader xml(&info);
    // Depth of the element being read: plist = 1, its dict = 2, that dict's entries = 3.
    int depth = 0;
    bool identifierKeyRead = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const bool isEntry = depth == 3;
        if (depth == 1 && xml.name() != QLatin1String("plist"))
            return std::nullopt;
        if (depth == 2 && xml.name() != QLatin1String("dict"))
            return std::nullopt;
        if (!isEntry)
            continue;
        const bool isKey = xml.name() == QLatin1String("key");
        const bool isString = xml.name() == QLatin1String("string");
        if (isKey || isString) {
            const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
            --depth;
            if (identifierKeyRead)
                return isString && !text.isEmpty() ? std::optional(text) : std::nullopt;
            identifierKeyRead = isKey && text == QLatin1String("CFBundleIdentifier");
            continue;
        }
        if (identifierKeyRead)
            return std::nullopt;
    }
    return std::nullopt;
}
