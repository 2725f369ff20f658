#pragma once

#include "PaintCache.h"

#include <QFont>
#include <QWidget>

// One line of text in the interface font that never asks for more room than it is given: text
// wider than the label ends in an ellipsis.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    ElidedLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    // What the label shows at its current width.
    QString displayedText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
    // What the kept picture shows besides its size and pixel ratio.
    struct Look {
        QString text;
        QColor color;
        QFont font;
        friend bool operator==(const Look&, const Look&) = default;
    };

    KeyedPaintCache<Look> m_cache;
};
