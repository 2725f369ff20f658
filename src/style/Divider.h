#pragma once

#include <QColor>
#include <QWidget>

// A horizontal line, one pixel high, across the width it is given.
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(const QColor& color, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};
