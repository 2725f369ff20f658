#include "QuickStatCard.h"

#include "Readout.h"
#include "style/Color.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QVBoxLayout>

QuickStatCard::QuickStatCard(const QString& title, const QString& icon, const QColor& iconColor, QWidget* parent)
    : RoundedPanel(12, Color::white05(), parent), m_value(new TextLabel(QString(), 14, QFont::Bold, Color::white95(), this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    Readout::holdSize(*m_value, "8888.8 GB", Qt::AlignHCenter);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 16, 0, 16);
    stack->setSpacing(8);
    stack->addWidget(new SymbolView(icon, 18, iconColor, this), 0, Qt::AlignHCenter);
    stack->addWidget(m_value, 0, Qt::AlignHCenter);
    stack->addWidget(new TextLabel(title, 10, QFont::Normal, Color::white50(), this), 0, Qt::AlignHCenter);
}

void QuickStatCard::setValue(const QString& value)
{
    m_value->setText(value);
}

QString QuickStatCard::value() const
{
    return m_value->text();
}
