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
    // Everything the kept picture depends on besides the size and pixel ratio.
    struct Look {
        QString text;
        QFont font;
        qint64 palette = 0;
        int alignment = 0;
        bool wordWrap = false;
        bool enabled = true;
        int role = 0;
        int margin = 0;
        QRect area;
        friend bool operator==(const Look&, const Look&) = default;
    };

    bool drawnByQLabel() const;
    Look look() const;

    KeyedPaintCache<Look> m_cache;
};
