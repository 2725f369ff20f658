#pragma once

#include "NineSlice.h"

#include <QVBoxLayout>
#include <QWidget>

// A glass card: its contents inset by `padding` on every edge, over a rounded rectangle of
// `cornerRadius` filled with a faint white on a translucent veil, outlined by a 1-pixel faint white.
// Contents go into body(), a vertical stack.
class GlassModifier : public QWidget {
    Q_OBJECT
public:
    GlassModifier(qreal cornerRadius, qreal padding, QWidget* parent = nullptr);

    QVBoxLayout* body() const { return m_body; }
    qreal cornerRadius() const { return m_cornerRadius; }
    qreal padding() const { return m_padding; }

    // The card's picture for a widget whose rectangle is `bounds`.
    static void paintShape(QPainter& painter, const QRectF& bounds, qreal cornerRadius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
    qreal m_padding;
    QVBoxLayout* m_body;
    NineSlice m_cache;
};
