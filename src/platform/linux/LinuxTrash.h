#pragma once

#include "Trash.h"

#include <QDateTime>
#include <functional>
#include <sys/types.h>

// The freedesktop.org Trash. An item on the mount of the home Trash ($XDG_DATA_HOME/Trash) goes
// there; any other goes to the Trash at the top of its own mount: $topdir/.Trash/$uid when
// $topdir/.Trash is a real folder with the sticky bit, else $topdir/.Trash-$uid. A move first
// creates the item's info file exclusively, which claims its name against every other program
// trashing at the same time, then renames the item into files/ under that name; a rename that
// fails takes its info file back. A name too long to carry the info file's suffix is shortened.
class LinuxTrash final : public Trash {
public:
    struct Options {
        // Where the home Trash lies: $XDG_DATA_HOME, usually ~/.local/share.
        QString dataHome;
        uid_t user = 0;
        // The mounts, in the kernel's mountinfo format.
        QString mountTable = QStringLiteral("/proc/self/mountinfo");
        // The deletion time; written in local time.
        std::function<QDateTime()> clock = &QDateTime::currentDateTime;
    };

    // Names tried for one item before it is left where it is.
    static constexpr int kMaxNameAttempts = 1000;

    explicit LinuxTrash(Options options);

    bool moveToTrash(const QString& path) override;

private:
    const Options m_options;
};
