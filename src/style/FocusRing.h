#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// The accent outline around the control that has the keyboard focus. The controls draw themselves
// and know nothing of focus; the ring lies just outside the control, so it never covers what the
// control draws. It is a child of the control's window, above everything else there, so no
// container around the control cuts it; only a scrolling page cuts it where the page cuts the
// control itself. KeyboardFocus decides when and where it is shown.
class FocusRing : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal penWidth = 2;
    // How far the ring lies outside the control.
    static constexpr int offset = 3;

    // Whether `widget` is a control the ring is drawn round when it has the keyboard focus. Text
    // fields are left alone, as their caret already shows where typing goes.
    static bool marks(const QWidget* widget);
    // The corner radius of what `control` draws, which the ring's corners follow from `offset`
    // away; unless set, that of a rounded control, at most 8. A control whose text reaches its
    // edges sets 0, so the ring's bends keep clear of the letters.
    static void setCornerRadius(QWidget* control, qreal radius);

    // A ring round `target`, in `target`'s window; it goes when `target` does, and is hidden from
    // then on, as a layout pass may move the widgets round it before the ring itself is deleted.
    explicit FocusRing(QWidget* target);

    // Null once the control is gone.
    QWidget* target() const { return m_target; }
    // Where the ring is drawn, in its window's coordinates: the control's bounds grown by `offset`.
    QRect outline() const;

signals:
    // The control was moved or resized by a layout (a card above it grew, the window changed its
    // size), rather than by the scrolling of a page.
    void laidOut();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the control's place in the window and its visibility, and stays above the rest.
    void follow();
    // The part of the window the control's scrolling pages show, grown by the ring's room.
    QRect shownArea() const;

    QPointer<QWidget> m_target;
    // The control and the widgets between it and the window, whose moves move the control.
    QList<QPointer<QWidget>> m_chain;
    QRect m_clip;
};
