#include "DesktopFilePicker.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace {

// The toolkit's own dialog (the one used where the desktop offers none) opens too narrow for its
// detail columns and cuts sizes, types and dates short; they take the width their text needs and
// the name column takes the rest.
constexpr QSize kLeastSize(880, 520);

void widenColumns(QFileDialog& dialog)
{
    auto* list = dialog.findChild<QTreeView*>("treeView");
    if (!list)
        return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    dialog.resize(dialog.size().expandedTo(kLeastSize));
}

} // namespace

QStringList DesktopFilePicker::chooseFiles(QWidget* parent, const QString& confirmTitle)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, confirmTitle);
    dialog.setWindowModality(Qt::WindowModal);
    // Not the folder the application was started from: the user's own files are under home.
    dialog.setDirectory(QDir::homePath());
    widenColumns(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
