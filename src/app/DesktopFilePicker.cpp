#include "DesktopFilePicker.h"

#include <QDir>
#include <QFileDialog>

QStringList DesktopFilePicker::chooseFiles(QWidget* parent, const QString& confirmTitle)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, confirmTitle);
    dialog.setWindowModality(Qt::WindowModal);
    // Not the folder the application was started from: the user's own files are under home.
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
