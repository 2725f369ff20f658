#include "AppDelegate.h"

#include "Defaults.h"

#include <QWidget>

void AppDelegate::applicationDidFinishLaunching(QWidget& window)
{
    m_defaults.setValue(quitAlwaysKeepsWindowsKey, false);
    window.raise();
    window.activateWindow();
}
