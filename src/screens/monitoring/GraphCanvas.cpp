#include "GraphCanvas.h"

#include <QPainter>

GraphCanvas::GraphCanvas(int height, QWidget* parent) : QWidget(parent)
{
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GraphCanvas::setGraph(const QList<Series>& series, double maxValue)
{
    if (series == m_series && maxValue == m_maxValue)
        return;
    m_series = series;
    m_maxValue = maxValue;
    update();
}

void GraphCanvas::paintEvent(QPaintEvent*)
{
    m_picture.show(m_series, m_maxValue, size(), devicePixelRatioF());
    QPainter(this).drawImage(0, 0, m_picture.image());
}
