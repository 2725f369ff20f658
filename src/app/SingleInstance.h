#pragma once

#include "InstanceLock.h"

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <chrono>
#include <optional>
#include <sys/types.h>
#include <utility>

// One running application per home. The first start holds the instance lock of the application's
// data folder and listens on a local socket; a later start finds the lock held, connects to that
// socket to have the first one show its window, and goes.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder` is made, owner-only, when missing. A later start waits up to `patience` for the
    // running instance to take its connection: that one may still be on its way to listening.
    explicit SingleInstance(QString folder, std::chrono::milliseconds patience = std::chrono::seconds(5),
                            QObject* parent = nullptr);
    // Takes its socket away, unless another instance's now stands at the path.
    ~SingleInstance() override;

    enum class Claim {
        // This is now the running instance.
        Running,
        // Another instance holds the lock and has been asked to show itself.
        HandedOver,
        // Another instance holds the lock but took no connection within the patience.
        NoAnswer,
        // Whether another instance runs cannot be told.
        Undecided,
    };
    Q_ENUM(Claim)
    Claim claim();
    // For NoAnswer and Undecided: why this start does not go on, and what the user can do; a
    // paragraph for a window.
    QString problem() const { return m_problem; }
    // Once claimed, opens the socket later starts connect to. Until then they keep trying (see
    // NoAnswer), so the running instance may first get its window on its way.
    void listen();
    QString lockPath() const { return m_lock.path(); }
    // In the folder; in the runtime folder under a name made from the folder's when that path would
    // be too long for a local socket.
    QString socketPath() const;

signals:
    // A later start asked for this instance's window.
    void activationRequested();

private:
    Claim handOver();
    // Binds a listening socket under a name of its own beside `path` and renames it into place;
    // the descriptor, or -1 with errno set.
    int bindInPlace(const QString& path);

    const QString m_folder;
    const std::chrono::milliseconds m_patience;
    InstanceLock m_lock;
    QString m_problem;
    QLocalServer m_server;
    // The socket file this instance put at socketPath(), while it listens.
    std::optional<std::pair<dev_t, ino_t>> m_socketFile;
};
