#pragma once

#include "NineSlice.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>

class QBoxLayout;

// A plain button whose label is made of ordinary widgets laid out in label(): the whole area is
// one click target, and the label's widgets never take the mouse themselves. It may stand on a
// rounded rectangle of its own, filled and outlined.
class ContentButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ContentButton(Qt::Orientation direction = Qt::Horizontal, QWidget* parent = nullptr);
    // An optional symbol and a text, both in one font size, weight and colour.
    ContentButton(const QString& symbol, const QString& text, int pixelSize, QFont::Weight weight,
                  const QColor& color, QWidget* parent = nullptr);

    QBoxLayout* label() const { return m_label; }
    void setBackground(const QColor& fill, qreal cornerRadius, const QColor& stroke = Qt::transparent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    QBoxLayout* m_label;
    QColor m_fill = Qt::transparent;
    QColor m_stroke = Qt::transparent;
    qreal m_cornerRadius = 0;
    NineSlice m_cache;
};
