#pragma once

#include <QColor>
#include <QWidget>

// A symbol and a line of text side by side in one colour, then flexible space: the empty states
// and the small captions of the Dashboard's cards.
class SymbolTextRow : public QWidget {
    Q_OBJECT
public:
    SymbolTextRow(const QString& symbol, int symbolSize, const QString& text, int textSize, const QColor& color,
                  int spacing, QWidget* parent = nullptr);
};
