#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <tuple>

// A plain button that draws its own label: a line of text in a colour, padded, on a rounded fill.
// Disabled, it is drawn faded.
class PlainButton : public QAbstractButton {
    Q_OBJECT
public:
    PlainButton(const QString& text, const QFont& font, const QColor& textColor, const QColor& fill,
                QSize padding, qreal cornerRadius, QWidget* parent = nullptr);

    void setLabel(const QString& text, const QColor& textColor);
    QColor textColor() const { return m_textColor; }
    QColor fill() const { return m_fill; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_textColor;
    QColor m_fill;
    QSize m_padding;
    qreal m_cornerRadius;
    KeyedPaintCache<std::tuple<QString, QFont, QColor, QColor, qreal, bool, bool>> m_cache;
};
