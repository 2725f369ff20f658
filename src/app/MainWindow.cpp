#include "MainWindow.h"

MainWindow::MainWindow(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("Quillmarsh");
    setMinimumSize(1000, 650);
}
