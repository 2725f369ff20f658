#pragma once

#include "DisplayModes.h"

#include <QString>

// The modes of one X display's main output through the RandR extension: the primary output, or
// the first connected output when none is primary. Each call opens a connection of its own and
// closes it before returning, so no connection is ever shared between threads, and every request's
// error comes back with its reply instead of through a process-wide handler. Refresh rates come
// from the dot clock and the mode's totals; X has no separate high-density modes, so `hiDPI` is
// always false.
class LinuxDisplayModes final : public DisplayModes {
public:
    // An empty name means there is no display: every query answers nothing, every switch fails.
    explicit LinuxDisplayModes(QString displayName);
    // The X display this session's programs use ($DISPLAY), empty when there is none.
    static QString sessionDisplayName();

    std::optional<QList<DisplayMode>> allModes(bool includeDuplicateLowResolution) override;
    std::optional<DisplayMode> currentMode() override;
    int setMode(const DisplayMode& mode) override;

    // Hertz from a dot clock in Hz and the horizontal and vertical totals; interlaced modes draw
    // two fields per frame, double-scanned ones each line twice. 0 when a total is 0.
    static double refreshRate(quint32 dotClock, quint16 hTotal, quint16 vTotal, quint32 modeFlags);

private:
    QString m_displayName;
};
