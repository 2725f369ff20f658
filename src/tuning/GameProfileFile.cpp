#include "GameProfileFile.h"

#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>

GameProfileFile::GameProfileFile(QString path) : m_path(std::move(path)) {}

std::optional<QList<GameProfile>> GameProfileFile::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return GameProfile::decodeList(file.readAll());
}

bool GameProfileFile::save(const QList<GameProfile>& profiles) const
{
    if (QFile::exists(m_path) && !load() && !AtomicFile::moveAside(m_path))
        return false;
    AtomicFile::makePrivateFolder(QFileInfo(m_path).path());
    return AtomicFile::writePrivate(m_path, GameProfile::encodeList(profiles));
}
