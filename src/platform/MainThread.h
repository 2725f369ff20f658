#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <memory>
#include <utility>

// Hops from any thread to the application's main thread. The check of the owner's life token
// happens on the main thread, where owners are destroyed, so it cannot race with the destructor.
namespace MainThread {

inline bool isCurrent()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

template <typename Fn>
void post(std::weak_ptr<void> life, Fn fn)
{
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [life = std::move(life), fn = std::move(fn)]() mutable {
            if (life.lock())
                fn();
        },
        Qt::QueuedConnection);
}

template <typename Fn>
void post(Fn fn)
{
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace MainThread
