#include "LinuxPlatform.h"

#include "Defaults.h"
#include "Paths.h"
#include "storage/FileManagerHelper.h"
#include "storage/SecureLocalStore.h"

#include <QCoreApplication>

LinuxPlatform::LinuxPlatform() = default;

PlatformServices LinuxPlatform::services()
{
    return {&m_processRunner,
            &Defaults::standard(),
            &SecureLocalStore::shared(),
            Paths::home(),
            FileManagerHelper::applicationSupportPath(),
            QCoreApplication::applicationFilePath()};
}
