#include "DesktopURLOpener.h"

#include <QDesktopServices>

void DesktopURLOpener::open(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}
