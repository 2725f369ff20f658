#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QFont>
#include <tuple>

// A button whose label (an optional symbol and a text) stands on the accent gradient, in a
// rounded rectangle, with the given padding around the label.
class GradientButton : public QAbstractButton {
    Q_OBJECT
public:
    GradientButton(const QString& text, const QFont& font, QSize padding, qreal cornerRadius,
                   QWidget* parent = nullptr);

    void setSymbol(const QString& name) { m_symbol = name; updateGeometry(); }
    // Without the gradient the label stands on the faint white.
    void setGradientShown(bool shown);
    bool isGradientShown() const { return m_gradientShown; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal symbolSize() const;
    void paintLabel(QPainter& painter) const;

    QFont m_font;
    QSize m_padding;
    qreal m_cornerRadius;
    QString m_symbol;
    bool m_gradientShown = true;
    KeyedPaintCache<std::tuple<QString, QString, bool, bool, bool>> m_cache;
};
