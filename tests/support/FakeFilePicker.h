#pragma once

#include "FilePicker.h"

// Answers every request with the files the test chose (none: the user cancelled) and records the
// confirm titles it was shown with.
class FakeFilePicker final : public FilePicker {
public:
    QStringList chooseFiles(QWidget*, const QString& confirmTitle) override
    {
        titles.append(confirmTitle);
        return chosen;
    }
    QStringList chosen;
    QStringList titles;
};
