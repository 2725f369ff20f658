#pragma once

#include "FileRevealer.h"

#include <QStringList>

// Records the paths it was asked to show.
class FakeFileRevealer final : public FileRevealer {
public:
    void reveal(const QString& path) override { revealed.append(path); }
    QStringList revealed;
};
