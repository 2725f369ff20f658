#pragma once

#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QWidget>

// What a widget painted, kept while its size and `key` (whatever else the picture depends on)
// stay the same. The animated backdrop underneath repaints the widgets over it several times a
// second; with the picture kept, each of those repaints is one blend instead of paths, gradients
// and text laid out anew. A key that is a plain struct compared member by member costs no
// allocation on those repaints.
template <typename Key>
class KeyedPaintCache {
public:
    template <typename Paint>
    void draw(QPainter& target, const QWidget& widget, const Key& key, Paint paint)
    {
        const qreal dpr = widget.devicePixelRatioF();
        if (m_pixmap.isNull() || key != m_key || widget.size() != m_size || !qFuzzyCompare(dpr, m_pixmap.devicePixelRatio())) {
            m_pixmap = QPixmap(widget.size() * dpr);
            m_pixmap.setDevicePixelRatio(dpr);
            m_pixmap.fill(Qt::transparent);
            QPainter painter(&m_pixmap);
            painter.setFont(widget.font());
            paint(painter);
            m_key = key;
            m_size = widget.size();
        }
        target.drawPixmap(0, 0, m_pixmap);
    }

private:
    QPixmap m_pixmap;
    Key m_key;
    QSize m_size;
};

using PaintCache = KeyedPaintCache<QString>;
