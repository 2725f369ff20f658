#pragma once

#include <QString>

// The user's Trash, from which the desktop's file manager can put an item back. Nothing is ever
// deleted or copied: an item either moves into a Trash on its own file system or stays where it
// was. Safe to call from several worker threads at once.
class Trash {
public:
    virtual ~Trash() = default;
    // `path` is absolute. True when the item now lies in a Trash; false when it was left as it was.
    virtual bool moveToTrash(const QString& path) = 0;
};
