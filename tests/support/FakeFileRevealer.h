#pragma once

#include "FileRevealer.h"

#include <QStringList>

// Records the files it was asked to show.
class FakeFileRevealer final : public FileRevealer {
public:
    void reveal(const QString& filePath) override { revealed.append(filePath); }

    QStringList revealed;
};
