#include "GameProfileFile.h"

#include "AtomicFile.h"
#include "LinkedFile.h"

#include <QFileInfo>

GameProfileFile::GameProfileFile(QString path) : m_path(std::move(path)) {}

std::optional<QList<GameProfile>> GameProfileFile::load() const
{
    const BoundedFile::Result file = LinkedFile::read(m_path, maxFileBytes);
    if (file.unusable())
        AtomicFile::moveAside(m_path);
    if (!file.read())
        return std::nullopt;
    return GameProfile::decodeList(file.contents);
}

bool GameProfileFile::save(const QList<GameProfile>& profiles) const
{
    const BoundedFile::Result file = LinkedFile::read(m_path, maxFileBytes);
    const bool replaceable =
        file.status == BoundedFile::Status::Missing || (file.read() && GameProfile::decodeList(file.contents));
    if (!replaceable && !AtomicFile::moveAside(m_path))
        return false;
    AtomicFile::makePrivateFolder(QFileInfo(m_path).path());
    return AtomicFile::writePrivate(m_path, GameProfile::encodeList(profiles));
}
