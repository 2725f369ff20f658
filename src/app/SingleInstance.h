#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// One running application per home. The first start holds a lock file in the application's data
// folder and listens on a local socket; a later start finds the lock held, connects to that socket
// to have the first one show its window, and goes. A lock whose process no longer runs (an
// instance that was killed) or that names no process is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder` is made, owner-only, when missing.
    explicit SingleInstance(QString folder, QObject* parent = nullptr);

    enum class Claim {
        // This is now the running instance, or no lock can be kept in the folder at all.
        Running,
        // Another instance holds the lock and has been asked to show itself.
        HandedOver,
        // Another instance holds the lock but took no connection in ten tries (at most about a
        // second and a half).
        NoAnswer,
    };
    Q_ENUM(Claim)
    Claim claim();
    // Once claimed, opens the socket later starts connect to. Until then they keep trying (see
    // NoAnswer), so the running instance may first get its window on its way.
    void listen();
    QString lockPath() const { return m_folder + QStringLiteral("/instance.lock"); }
    // In the folder; in the runtime folder under a name made from the folder's when that path would
    // be too long for a local socket.
    QString socketPath() const;

signals:
    // A later start asked for this instance's window.
    void activationRequested();

private:
    bool handOver() const;

    const QString m_folder;
    QLockFile m_lock;
    QLocalServer m_server;
};
