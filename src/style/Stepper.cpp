#include "Stepper.h"

#include "Color.h"
#include "SymbolTileButton.h"
#include "TextLabel.h"

#include <QHBoxLayout>
#include <algorithm>

Stepper::Stepper(int minimum, int maximum, int increment, Label label, QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_step(increment), m_value(minimum), m_label(std::move(label)),
      m_text(new TextLabel(QString(), 12, QFont::DemiBold, Color::white95(), this)),
      m_minus(new SymbolTileButton("minus", 12, Color::white95(), 22, 6, this)),
      m_plus(new SymbolTileButton("plus", 12, Color::white95(), 22, 6, this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_text);
    row->addWidget(m_minus);
    row->addWidget(m_plus);
    m_minus->setTile(Color::white10b());
    m_plus->setTile(Color::white10b());
    m_minus->setToolTip(QStringLiteral("Decrease"));
    m_plus->setToolTip(QStringLiteral("Increase"));
    connect(m_minus, &SymbolTileButton::clicked, this, [this] { step(-1); });
    connect(m_plus, &SymbolTileButton::clicked, this, [this] { step(1); });
    setValue(minimum);
}

QString Stepper::text() const
{
    return m_text->text();
}

void Stepper::setValue(int value)
{
    m_value = value;
    m_text->setText(m_label(value));
    m_minus->setEnabled(value > m_minimum);
    m_plus->setEnabled(value < m_maximum);
}

void Stepper::step(int direction)
{
    const int next = std::clamp(m_value + direction * m_step, m_minimum, m_maximum);
    if (next == m_value)
        return;
    setValue(next);
    emit stepped(next);
}
