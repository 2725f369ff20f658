#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <tuple>

// A plain button that shows only a symbol in a colour.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    SymbolButton(const QString& name, int size, const QColor& color, QWidget* parent = nullptr);

    void setSymbol(const QString& name, const QColor& color);
    QString symbol() const { return m_name; }
    QColor color() const { return m_color; }
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    QColor m_color;
    KeyedPaintCache<std::tuple<QString, QColor, bool>> m_cache;
};
