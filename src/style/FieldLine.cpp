#include "FieldLine.h"

#include <QPainter>
#include <QTimer>

FieldLine::Look FieldLine::look() const
{
    return {displayText(),
            placeholderText(),
            selectedText(),
            font(),
            styleSheet(),
            palette().cacheKey(),
            int(alignment()),
            cursorPosition(),
            isEnabled(),
            isReadOnly(),
            testAttribute(Qt::WA_UnderMouse),
            layoutDirection(),
            textMargins(),
            size(),
            devicePixelRatioF()};
}

void FieldLine::paintEvent(QPaintEvent* event)
{
    if (m_taking) {
        QLineEdit::paintEvent(event);
        return;
    }
    if (hasFocus()) {
        // Editing may scroll the text inside the field: the picture is taken again afterwards.
        m_picture = {};
        QLineEdit::paintEvent(event);
        return;
    }
    if (m_picture.isNull() || look() != m_look) {
        QLineEdit::paintEvent(event);
        if (!m_pending) {
            m_pending = true;
            QTimer::singleShot(0, this, &FieldLine::takePicture);
        }
        return;
    }
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void FieldLine::takePicture()
{
    m_pending = false;
    if (hasFocus() || size().isEmpty()) {
        m_picture = {};
        return;
    }
    const qreal dpr = devicePixelRatioF();
    QPixmap picture(size() * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    m_taking = true;
    render(&picture, {}, QRegion(rect()), RenderFlags());
    m_taking = false;
    m_picture = picture;
    m_look = look();
}
