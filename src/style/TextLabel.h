#pragma once

#include <QFont>
#include <QLabel>

// A label in the interface font at a pixel size, weight and colour of the palette.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    TextLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color,
              QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const;
};
