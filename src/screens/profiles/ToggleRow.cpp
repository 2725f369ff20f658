#include "ToggleRow.h"

#include "style/Color.h"
#include "style/SwitchToggle.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

ToggleRow::ToggleRow(const QString& icon, const QString& label, bool value, QWidget* parent)
    : QWidget(parent), m_toggle(new SwitchToggle(0.8, this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new SymbolView(icon, 14, Color::neonCyan(), this), 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel(label, 13, QFont::Normal, Color::white95(), this), 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(m_toggle, 0, Qt::AlignVCenter);
    m_toggle->setChecked(value);
    connect(m_toggle, &SwitchToggle::clicked, this, &ToggleRow::valueChanged);
}

bool ToggleRow::value() const
{
    return m_toggle->isChecked();
}

void ToggleRow::setValue(bool value)
{
    m_toggle->setChecked(value);
}
