#include "FieldLook.h"

#include "Color.h"
#include "Fonts.h"

#include <QWidget>

void FieldLook::apply(QWidget& field, int fontSize, int cornerRadius, int horizontalPadding, int verticalPadding)
{
    field.setFont(Fonts::ui(fontSize));
    field.setStyleSheet(QStringLiteral("%1 { background: %2; color: %3; border: none; border-radius: %4px;"
                                       " padding: %5px %6px; }")
                            .arg(QString::fromLatin1(field.metaObject()->className()),
                                 Color::white10b().name(QColor::HexArgb), Color::white95().name(QColor::HexArgb))
                            .arg(cornerRadius)
                            .arg(verticalPadding)
                            .arg(horizontalPadding));
    QPalette palette = field.palette();
    palette.setColor(QPalette::PlaceholderText, Color::white50());
    field.setPalette(palette);
}
