#pragma once

#include <QObject>
#include <functional>

// Whether the desktop's status area (its tray) is there, as last heard, and whether the bus that
// leads to it answers. Whatever asks the tray itself waits on that bus, so it is done only right
// after the bus was heard to answer. Main thread only.
class StatusAreaWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~StatusAreaWatcher() override = default;

    // A tray host runs, as last heard; false until heard.
    virtual bool isHostPresent() const = 0;
    // The bus answered the last round trip asked of it, a few moments ago at most.
    virtual bool isAnswering() const = 0;
    // Runs `then` once, on the main thread, as soon as the bus has answered a round trip asked
    // from now on; never while it does not answer, and not once `context` is gone.
    virtual void afterNextAnswer(QObject* context, std::function<void()> then) = 0;
    // Called right before a tray icon is made: the desktop may run more than one kind of tray,
    // and the icons of a process all go to the kind the first one found.
    virtual void iconAboutToBeMade() {}
    // Whether taking a tray icon away waits on the bus. An icon docked in a tray that is not
    // reached through it is a window of the process's own, and goes at once.
    virtual bool iconsGoThroughTheBus() const { return true; }

    bool isAvailable() const { return isHostPresent() && isAnswering(); }

signals:
    // Either answer changed.
    void changed();
};
