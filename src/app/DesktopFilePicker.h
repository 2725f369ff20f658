#pragma once

#include "FilePicker.h"

// The toolkit's open dialog, in the home folder: existing files only, no type filter.
class DesktopFilePicker final : public FilePicker {
public:
    QStringList chooseFiles(QWidget* parent, const QString& confirmTitle) override;
};
