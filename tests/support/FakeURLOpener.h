#pragma once

#include "URLOpener.h"

#include <QList>

// Records the addresses it was asked to open.
class FakeURLOpener final : public URLOpener {
public:
    void open(const QUrl& url) override { opened.append(url); }
    QList<QUrl> opened;
};
