#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QBrush>
#include <QColor>

// A square button: a symbol centred on a rounded tile of a colour or gradient.
class SymbolTileButton : public QAbstractButton {
    Q_OBJECT
public:
    SymbolTileButton(const QString& symbol, int symbolSize, const QColor& symbolColor, int tileSize, qreal cornerRadius,
                     QWidget* parent = nullptr);

    void setTile(const QBrush& brush);
    const QBrush& tile() const { return m_tile; }
    QSize sizeHint() const override { return {m_tileSize, m_tileSize}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    int m_symbolSize;
    QColor m_symbolColor;
    int m_tileSize;
    qreal m_cornerRadius;
    QBrush m_tile;
    PaintCache m_cache;
};
