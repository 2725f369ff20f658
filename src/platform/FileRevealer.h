#pragma once

#include <QString>

// Shows a file to the user in the desktop's file manager, selected in its folder.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;

    // Returns at once; a file manager that cannot be reached is not reported.
    virtual void reveal(const QString& filePath) = 0;
};
