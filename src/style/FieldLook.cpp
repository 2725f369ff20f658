#include "FieldLook.h"

#include "Color.h"
#include "Fonts.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

void FieldLook::apply(QWidget& field, int fontSize, int cornerRadius, int horizontalPadding, int verticalPadding)
{
    applyColours(field, fontSize);
    field.setStyleSheet(QStringLiteral("%1 { background: %2; color: %3; border: none; border-radius: %4px;"
                                       " padding: %5px %6px; }")
                            .arg(QString::fromLatin1(field.metaObject()->className()),
                                 Color::white10b().name(QColor::HexArgb), Color::white95().name(QColor::HexArgb))
                            .arg(cornerRadius)
                            .arg(verticalPadding)
                            .arg(horizontalPadding));
}

void FieldLook::applyColours(QWidget& field, int fontSize)
{
    field.setFont(Fonts::ui(fontSize));
    QPalette palette = field.palette();
    palette.setColor(QPalette::Text, Color::white95());
    // The text's colour at half its opacity, as a style sheet's text colour makes it.
    QColor placeholder = Color::white95();
    placeholder.setAlpha(placeholder.alpha() / 2);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    field.setPalette(palette);
}

void FieldLook::paintFill(QPainter& painter, const QRectF& bounds, int cornerRadius)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.fillPath(shape, Color::white10b());
}
