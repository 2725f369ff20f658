#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// Three dots that swell and shrink one after another, on a bubble at the left edge, while an
// answer is on its way. It animates only while it is on screen.
class TypingBubble : public QWidget {
    Q_OBJECT
public:
    static constexpr int dots = 3;
    static constexpr int pulseMs = 550;
    static constexpr int staggerMs = 120;

    explicit TypingBubble(QWidget* parent = nullptr);

    // How far a dot has swollen, from 0.55 to 1, `elapsedMs` after the pulse began.
    static qreal dotScale(int index, qint64 elapsedMs);
    bool isPulsing() const { return m_timer.isActive(); }
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
};
