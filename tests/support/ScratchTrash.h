#pragma once

#include "linux/LinuxTrash.h"

#include <QStandardPaths>
#include <memory>
#include <unistd.h>

// The Trash of the test process's data folder, which the test environment points at a scratch folder.
inline std::shared_ptr<LinuxTrash> scratchTrash()
{
    return std::make_shared<LinuxTrash>(
        LinuxTrash::Options{QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), ::geteuid()});
}
