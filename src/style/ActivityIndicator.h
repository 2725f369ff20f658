#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

// An indeterminate progress indicator: a ring of spokes whose bright end turns. It turns only
// while it is on screen.
class ActivityIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int spokes = 8;
    static constexpr int stepIntervalMs = 100;

    ActivityIndicator(int size, const QColor& color, QWidget* parent = nullptr);

    bool isSpinning() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int m_size;
    QColor m_color;
    int m_step = 0;
    QTimer m_timer;
};
