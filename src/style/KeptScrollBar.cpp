#include "KeptScrollBar.h"

#include <QGuiApplication>
#include <QStyleOptionSlider>

KeptScrollBar::KeptScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
}

void KeptScrollBar::paintEvent(QPaintEvent* event)
{
    if (underMouse() || isSliderDown() || QGuiApplication::mouseButtons() != Qt::NoButton) {
        QScrollBar::paintEvent(event);
        return;
    }
    // What the bar paints with no part of it hovered or pressed.
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    const Look key{option.minimum,          option.maximum,     option.pageStep,
                   option.sliderPosition,   option.sliderValue, int(option.state),
                   int(option.orientation), option.upsideDown,  palette().cacheKey()};
    QPainter target(this);
    m_cache.draw(target, *this, key, [this, &option](QPainter& painter) {
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    });
}
