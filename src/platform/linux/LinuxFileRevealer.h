#pragma once

#include "FileRevealer.h"

// Asks the file manager over the session bus to select the file; when no file manager answers
// there, opens the containing folder with xdg-open instead.
class LinuxFileRevealer final : public FileRevealer {
public:
    void reveal(const QString& path) override;
};
