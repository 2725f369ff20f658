#include "CardHeader.h"

#include "style/Color.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

CardHeader::CardHeader(const QString& symbol, const QColor& symbolColor, const QString& title, QWidget* parent,
                       int titleSize, int symbolPixels)
    : QWidget(parent), m_row(new QHBoxLayout(this)), m_symbol(new SymbolView(symbol, symbolPixels, symbolColor, this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(8);
    m_row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    m_row->addWidget(new TextLabel(title, titleSize, QFont::DemiBold, Color::white95(), this), 0, Qt::AlignVCenter);
    m_row->addStretch(1);
}

void CardHeader::addBesideTitle(QWidget* item)
{
    m_row->insertWidget(m_besideTitle++, item, 0, Qt::AlignVCenter);
}

void CardHeader::addTrailing(QWidget* item)
{
    m_row->addWidget(item, 0, Qt::AlignVCenter);
}

SymbolButton* CardHeader::addRefreshButton(const QString& objectName)
{
    auto* button = new SymbolButton("arrow.clockwise", 12, Color::white70(), this);
    button->setObjectName(objectName);
    button->setToolTip(QStringLiteral("Refresh"));
    addTrailing(button);
    return button;
}
