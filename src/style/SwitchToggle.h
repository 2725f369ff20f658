#pragma once

#include <QAbstractButton>

// A switch in the platform's style, tinted with the accent while on.
class SwitchToggle : public QAbstractButton {
    Q_OBJECT
public:
    // `scale` shrinks or grows the standard 38 x 22 switch.
    explicit SwitchToggle(qreal scale = 1.0, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_scale;
};
