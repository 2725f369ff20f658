#include "SymbolTextRow.h"

#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

SymbolTextRow::SymbolTextRow(const QString& symbol, int symbolSize, const QString& text, int textSize,
                             const QColor& color, int spacing, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    row->addWidget(new SymbolView(symbol, symbolSize, color, this), 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel(text, textSize, QFont::Normal, color, this), 0, Qt::AlignVCenter);
    row->addStretch(1);
}
