#pragma once

#include "PaintCache.h"

#include <QFont>
#include <QLabel>

// A label in the interface font at a pixel size, weight and colour of the palette. Plain text is
// laid out once per change and kept as a picture; selectable or rich text is left to QLabel.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    TextLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color,
              QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool drawnByQLabel() const;
    QString paintKey() const;

    PaintCache m_cache;
};
