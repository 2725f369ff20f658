#pragma once

#include "FileRevealer.h"

#include <QStringList>

// Asks the session's file manager to show the file selected, through the freedesktop
// org.freedesktop.FileManager1.ShowItems call on the session bus; where no file manager answers
// that call, the file's folder is opened with the desktop's default handler instead.
// Call it on the main thread.
class LinuxFileRevealer final : public FileRevealer {
public:
    void reveal(const QString& filePath) override;

    // The argument of ShowItems: the file as one absolute file URI.
    static QStringList itemUris(const QString& filePath);
};
