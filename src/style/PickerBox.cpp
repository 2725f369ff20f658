#include "PickerBox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

PickerBox::PickerBox(QWidget* parent) : QComboBox(parent) {}

void PickerBox::paintEvent(QPaintEvent* event)
{
    if (isEditable()) {
        QComboBox::paintEvent(event);
        return;
    }
    // What QComboBox paints: the frame and arrow, then the current item or the placeholder.
    QStyleOptionComboBox option;
    initStyleOption(&option);
    if (currentIndex() < 0 && !placeholderText().isEmpty()) {
        option.palette.setBrush(QPalette::ButtonText, option.palette.placeholderText());
        option.currentText = placeholderText();
    }
    const Look key{option.currentText,
                   option.currentIcon.cacheKey(),
                   int(option.state),
                   int(option.activeSubControls),
                   int(option.direction),
                   option.frame,
                   palette().cacheKey(),
                   font()};
    QPainter target(this);
    m_cache.draw(target, *this, key, [this, &option](QPainter& painter) {
        painter.setPen(palette().color(QPalette::Text));
        style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, this);
        style()->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, this);
    });
}
