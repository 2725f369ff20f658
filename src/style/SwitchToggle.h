#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QColor>
#include <tuple>

// A switch in the platform's style, tinted while on.
class SwitchToggle : public QAbstractButton {
    Q_OBJECT
public:
    // `scale` shrinks or grows the standard 38 x 22 switch.
    explicit SwitchToggle(qreal scale = 1.0, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The track's colour while on; the accent unless set.
    void setTint(const QColor& tint);
    QColor tint() const { return m_tint; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintSwitch(QPainter& painter) const;

    qreal m_scale;
    QColor m_tint;
    KeyedPaintCache<std::tuple<QColor, bool, bool>> m_cache;
};
