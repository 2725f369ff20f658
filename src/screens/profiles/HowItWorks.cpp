#include "HowItWorks.h"

#include "style/Color.h"
#include "style/GlassModifier.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

QWidget* HowItWorks::header(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new SymbolView("info.circle", 16, Color::neonCyan(), row), 0, Qt::AlignVCenter);
    layout->addWidget(new TextLabel("How It Works", 14, QFont::DemiBold, Color::white95(), row), 0,
                      Qt::AlignVCenter);
    layout->addStretch(1);
    return row;
}

QWidget* HowItWorks::bullet(const QString& text, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new TextLabel("-", 12, QFont::Normal, Color::neonCyan(), row), 0, Qt::AlignTop);
    auto* label = new TextLabel(text, 11, QFont::Normal, Color::white70(), row);
    label->setWordWrap(true);
    layout->addWidget(label, 1, Qt::AlignTop);
    return row;
}

QWidget* HowItWorks::card(const QStringList& bullets, QWidget* parent)
{
    auto* card = new GlassModifier(16, 16, parent);
    card->setObjectName("howItWorksCard");
    card->body()->setSpacing(10);
    card->body()->addWidget(header(card));
    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    for (const QString& text : bullets)
        column->addWidget(bullet(text, card));
    card->body()->addLayout(column);
    return card;
}
