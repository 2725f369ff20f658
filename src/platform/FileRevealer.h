#pragma once

#include <QString>

// Shows a file in the desktop's file manager, selected in its folder. Called on the main thread;
// returns at once and reports nothing.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    virtual void reveal(const QString& path) = 0;
};
