#pragma once

#include <QWidget>

// The accent outline around whichever control has the keyboard focus. The controls draw themselves
// and know nothing of focus; this one ring, a sibling laid just outside the focused control and above
// it, shows where Tab has arrived and where Space will press. It appears when focus arrives from the
// keyboard and stays away when it arrives from a click, as on the desktop's own controls. Text
// fields are left alone, as their caret already shows where typing goes, and so are scrolling
// pages, which a ring round the whole window would only clutter.
class FocusRing : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal penWidth = 2;
    // How far the ring lies outside the control, so it never covers what the control draws.
    static constexpr int offset = 3;

    // Watches focus across the application from now on; installing twice keeps one watcher.
    static void install();
    // Whether `widget` is a control the ring is drawn over when it has the keyboard focus.
    static bool marks(const QWidget* widget);

    // A ring around `target`, gone when `target` loses focus.
    explicit FocusRing(QWidget* target);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the control's place, size and visibility, and stays above it.
    void follow();

    QWidget* m_target;
};
