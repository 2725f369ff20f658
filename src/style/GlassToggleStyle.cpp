#include "GlassToggleStyle.h"

#include "Color.h"
#include "SymbolButton.h"

#include <QHBoxLayout>

GlassToggleStyle::GlassToggleStyle(QWidget* label, QWidget* parent)
    : QWidget(parent), m_button(new SymbolButton("circle", 20, Color::white50(), this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(m_button, 0, Qt::AlignVCenter);
    connect(m_button, &QAbstractButton::clicked, this, [this] {
        m_on = !m_on;
        refresh();
        emit toggled(m_on);
    });
    refresh();
}

void GlassToggleStyle::setOn(bool on)
{
    m_on = on;
    refresh();
}

void GlassToggleStyle::refresh()
{
    if (m_on)
        m_button->setSymbol("checkmark.circle.fill", Color::neonCyan());
    else
        m_button->setSymbol("circle", Color::white50());
    m_button->setToolTip(m_on ? QStringLiteral("Turn off") : QStringLiteral("Turn on"));
}
