#pragma once

#include <QColor>
#include <QWidget>

class QHBoxLayout;
class SymbolButton;
class SymbolView;

// The header row of a card: a symbol in a colour, the title semibold (14 pixels on the Dashboard),
// then flexible space. Further items go beside the title or at the trailing end.
class CardHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int symbolSize = 16;

    CardHeader(const QString& symbol, const QColor& symbolColor, const QString& title, QWidget* parent = nullptr,
               int titleSize = 14, int symbolPixels = symbolSize);

    SymbolView* symbol() const { return m_symbol; }
    void addBesideTitle(QWidget* item);
    void addTrailing(QWidget* item);
    // The plain "arrow.clockwise" button at the trailing end.
    SymbolButton* addRefreshButton(const QString& objectName);

private:
    QHBoxLayout* m_row;
    SymbolView* m_symbol;
    int m_besideTitle = 2;
};
