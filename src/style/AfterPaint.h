#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Runs a function once a widget has been painted, after the event that painted it has ended, so
// that the frame it was part of is on screen. Work that is not on a first frame (monitors, their
// first reads and pings) waits for it this way. Each arm() gives one run; disarm() drops a run
// still to come.
class AfterPaint : public QObject {
public:
    AfterPaint(QWidget* watched, std::function<void()> run);

    void arm();
    void disarm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_run;
    bool m_armed = false;
    // A run queued after a paint goes ahead only if nothing disarmed or re-armed since.
    int m_generation = 0;
};
