#include "DesktopFilePicker.h"

#include <QFileDialog>

QStringList DesktopFilePicker::chooseFiles(QWidget* parent, const QString& confirmTitle)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, confirmTitle);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
