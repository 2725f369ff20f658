#include "MainWindow.h"
#include "WorkQueues.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    QApplication::setApplicationVersion(QM_VERSION);

    MainWindow window;
    window.show();
    const int status = QApplication::exec();
    WorkQueues::drain();
    return status;
}
