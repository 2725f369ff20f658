#pragma once

#include "style/RoundedPanel.h"
#include "style/Color.h"

class SymbolView;
class TextLabel;

// One reading of the Menu Bar screen's preview: a symbol and a value in the reading's colour over
// a small title, centred on an opaque rounded panel a little lighter than the card; cells side by
// side share their row's width.
class PreviewCell : public RoundedPanel {
    Q_OBJECT
public:
    PreviewCell(const QString& symbol, const QString& title, QWidget* parent = nullptr);

    void setReading(const QString& value, const QColor& color);
    QString value() const;
    QColor readingColor() const;

private:
    SymbolView* m_symbol;
    TextLabel* m_value;
    // The reading's status colour, which the symbol shows as it is and the text as a legible tint.
    QColor m_color = Color::white50();
};
