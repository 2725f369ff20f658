#pragma once

#include "PaintCache.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <tuple>

class ActivityIndicator;

// A plain button whose label (an optional symbol, then a text, both in one colour) stands on a faint
// white fill in a rounded rectangle outlined faintly in the label's colour. The label row is centred
// in the button's width. While busy a turning indicator takes the symbol's place.
class OutlineButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int labelSpacing = 10;

    OutlineButton(const QString& text, const QFont& font, const QColor& color, int verticalPadding, qreal cornerRadius,
                  QWidget* parent = nullptr);

    void setSymbol(const QString& name, int size);
    QString symbol() const { return m_symbol; }
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }
    QColor color() const { return m_color; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The left edge of the label row and the width of its leading item.
    qreal labelLeft() const;
    qreal leadingWidth() const;
    void placeIndicator();

    QFont m_font;
    QColor m_color;
    int m_verticalPadding;
    qreal m_cornerRadius;
    QString m_symbol;
    int m_symbolSize = 0;
    bool m_busy = false;
    ActivityIndicator* m_indicator;
    KeyedPaintCache<std::tuple<QString, QString, int, bool, bool, bool>> m_cache;
};
