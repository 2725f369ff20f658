#pragma once

#include <QtGlobal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// The file system and mount an item lies on: bind mounts of one file system share the device but
// not the mount id.
struct Mount {
    dev_t device = 0;
    quint64 mountId = 0;
    bool hasMountId = false;

    static Mount of(const struct statx& info)
    {
        return {makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_mnt_id, (info.stx_mask & STATX_MNT_ID) != 0};
    }
    bool operator==(const Mount& other) const
    {
        return device == other.device && (!hasMountId || !other.hasMountId || mountId == other.mountId);
    }
};
