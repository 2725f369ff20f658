#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <tuple>

// A plain button that is only its text, in a font and colour, padded above and below and as wide
// as the text. A disabled one is drawn faded.
class TextButton : public QAbstractButton {
    Q_OBJECT
public:
    TextButton(const QString& text, const QFont& font, const QColor& color, int verticalPadding,
               QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont m_font;
    QColor m_color;
    int m_verticalPadding;
    KeyedPaintCache<std::tuple<QString, QFont, QColor, bool, bool>> m_cache;
};
