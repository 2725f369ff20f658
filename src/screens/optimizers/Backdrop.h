#pragma once

#include "style/NineSlice.h"

#include <QWidget>

// A dimming layer over a card, in the card's rounded shape. It takes every click that lands on it
// and does nothing with it, so nothing underneath can be reached while it is shown.
class Backdrop : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal opacity = 0.5;

    Backdrop(qreal cornerRadius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    qreal m_cornerRadius;
    NineSlice m_cache;
};
