#pragma once

#include "style/PaintCache.h"

#include <QAbstractButton>
#include <QBrush>

class ActivityIndicator;
class SymbolView;
class TextLabel;

// A plain button of the Cleaner screen: a symbol (or a spinner while busy) and a text on a rounded
// fill that the screen changes with its state.
class CleanerButton : public QAbstractButton {
    Q_OBJECT
public:
    CleanerButton(const QString& symbol, const QString& text, int pixelSize, const QColor& textColor, QSize padding,
                  qreal cornerRadius, QWidget* parent = nullptr);

    void setFill(const QBrush& fill);
    void setLabel(const QString& text);
    QString label() const;
    // Shows the spinner in place of the symbol.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SymbolView* m_symbol;
    ActivityIndicator* m_spinner;
    TextLabel* m_label;
    QBrush m_fill;
    qreal m_cornerRadius;
    bool m_busy = false;
    PaintCache m_cache;
};
