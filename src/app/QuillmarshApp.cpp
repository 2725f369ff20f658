#include "QuillmarshApp.h"

#include "AppDelegate.h"
#include "LinuxPlatform.h"
#include "MainWindow.h"
#include "WorkQueues.h"
#include "style/AppStyle.h"

#include <QApplication>
#include <QTimer>

int QuillmarshApp::main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    QApplication::setApplicationVersion(QM_VERSION);
    AppStyle::install();

    LinuxPlatform platform;
    const PlatformServices services = platform.services();
    AppDelegate delegate(*services.defaults);
    int status = 0;
    {
        MainWindow window(services);
        window.resize(window.minimumSize());
        window.show();
        QTimer::singleShot(0, &window, [&] { delegate.applicationDidFinishLaunching(window); });
        status = QApplication::exec();
    }
    WorkQueues::drain();
    return status;
}
