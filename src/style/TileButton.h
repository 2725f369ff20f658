#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QList>

// A plain button drawn as a tile: a centred column of symbols and one-line texts, each in its own
// size and colour, on a faint white rounded rectangle with an optional outline. The column is
// padded above and below; a text too long for the tile is cut with an ellipsis. A disabled tile is
// drawn faded.
class TileButton : public QAbstractButton {
    Q_OBJECT
public:
    // A symbol when `symbol` is set, a text otherwise.
    struct Item {
        QString symbol;
        int symbolSize = 0;
        QString text;
        QFont font;
        QColor color;

        static Item ofSymbol(const QString& name, int size, const QColor& color) { return {name, size, {}, {}, color}; }
        static Item ofText(const QString& text, const QFont& font, const QColor& color) { return {{}, 0, text, font, color}; }

        friend bool operator==(const Item&, const Item&) = default;
    };

    TileButton(int spacing, int verticalPadding, qreal cornerRadius, QWidget* parent = nullptr);

    void setItems(const QList<Item>& items);
    const QList<Item>& items() const { return m_items; }
    // An invalid colour draws no outline.
    void setOutline(const QColor& color);
    QColor outline() const { return m_outline; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal itemHeight(const Item& item) const;
    void paintTile(QPainter& painter) const;

    int m_spacing;
    int m_verticalPadding;
    qreal m_cornerRadius;
    QList<Item> m_items;
    QColor m_outline;
    PaintCache m_cache;
};
