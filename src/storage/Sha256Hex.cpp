#include "Sha256Hex.h"

#include <QCryptographicHash>

QString sha256Hex(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}
