#pragma once

#include "GameProfile.h"

#include <QList>
#include <QString>
#include <optional>

// The profiles file: one JSON array of every profile, in list order.
class GameProfileFile {
public:
    // Far beyond any list of profiles typed by hand; a larger file is not read.
    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

    explicit GameProfileFile(QString path);

    // The profiles the file holds; nothing when it is missing, cannot be read or does not decode
    // (an incomplete or mistyped profile spoils the whole file). A file that does not decode stays
    // as it is; one that cannot be taken as the file at all (a pipe, a device, a folder, one above
    // the bound or that cannot be opened) is set aside, so that it is neither waited on nor read
    // again at every start.
    std::optional<QList<GameProfile>> load() const;
    // Replaces the file's contents in one step. A file that is there but does not decode is first
    // set aside under a new name and kept; when that fails, nothing is written. False when nothing
    // was written.
    bool save(const QList<GameProfile>& profiles) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
