#pragma once

#include "PaintCache.h"

#include <QBrush>
#include <QWidget>
#include <optional>
#include <tuple>

// One symbol, drawn in a colour or filled with a gradient that spans the symbol's square.
class SymbolView : public QWidget {
    Q_OBJECT
public:
    SymbolView(const QString& name, int size, const QColor& color, QWidget* parent = nullptr);

    void setSymbol(const QString& name, const QColor& color);
    // A gradient in object coordinates (0..1), stretched over the symbol's outline.
    void setGradient(const QGradient& gradient);

    QString symbol() const { return m_name; }
    QColor color() const { return m_color; }
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    QColor m_color;
    std::optional<QBrush> m_gradient;
    KeyedPaintCache<std::tuple<QString, QColor>> m_cache;
};
