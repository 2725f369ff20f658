#pragma once

#include <QUrl>

// Opens a web page in the user's default browser. Called on the main thread; returns at once and
// reports nothing.
class URLOpener {
public:
    virtual ~URLOpener() = default;
    virtual void open(const QUrl& url) = 0;
};
