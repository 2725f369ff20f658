#include "TextLabel.h"

#include "Fonts.h"

TextLabel::TextLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color, QWidget* parent)
    : QLabel(text, parent)
{
    setFont(Fonts::ui(pixelSize, weight));
    setTextFormat(Qt::PlainText);
    setColor(color);
}

void TextLabel::setColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor TextLabel::color() const
{
    return palette().color(QPalette::WindowText);
}
