#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Asks the user for files to open, several at once, in a modal dialog over `parent` whose confirm
// button reads `confirmTitle`. The chosen paths in the dialog's order; empty when cancelled.
class FilePicker {
public:
    virtual ~FilePicker() = default;
    virtual QStringList chooseFiles(QWidget* parent, const QString& confirmTitle) = 0;
};
