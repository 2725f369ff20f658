#include "GraphCanvas.h"

#include <QPainter>
#include <QWindow>

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
    // Hidden, it is painted whole when shown. Shown, only what the new data changed is painted
    // again: a graph moving on along a level line repaints a band, an unchanged picture nothing.
    if (!isVisible())
        return;
    // Out of sight (a minimised window), the picture waits for the paint that shows it again.
    const QWindow* shownIn = window()->windowHandle();
    if (!shownIn || !shownIn->isExposed()) {
        update();
        return;
    }
    const qreal dpr = devicePixelRatioF();
    m_picture.show(m_series, m_maxValue, size(), dpr);
    const QRectF changed = m_picture.changed().toRectF();
    if (!changed.isEmpty())
        update(QRectF(changed.topLeft() / dpr, changed.size() / dpr).toAlignedRect());
}

void GraphCanvas::paintEvent(QPaintEvent*)
{
    m_picture.show(m_series, m_maxValue, size(), devicePixelRatioF());
    // A clear picture would change no pixel, yet cost a blend of every one.
    if (!m_picture.isBlank())
        QPainter(this).drawImage(0, 0, m_picture.image());
}
