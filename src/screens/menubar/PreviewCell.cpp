#include "PreviewCell.h"

#include "screens/monitoring/Readout.h"
#include "style/Color.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QVBoxLayout>

namespace {

// The cell's fill: a faint white over the card, made opaque, so that the backdrop's glows, which
// shine through the card, do not pale the texts on it.
QColor cellFill()
{
    return Color::over(Color::white10b(), Color::cardSurface());
}

// Texts read on the cell's own fill, lighter than the card around it.
QColor onCell(const QColor& color)
{
    return Color::readableOn(color, cellFill());
}

} // namespace

PreviewCell::PreviewCell(const QString& symbol, const QString& title, QWidget* parent)
    : RoundedPanel(12, cellFill(), parent),
      m_symbol(new SymbolView(symbol, 16, Color::white50(), this)),
      m_value(new TextLabel(QString(), 15, QFont::Bold, onCell(Color::white50()), this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    Readout::holdSize(*m_value, "88888 RPM", Qt::AlignHCenter);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 14, 0, 14);
    stack->setSpacing(6);
    stack->addWidget(m_symbol, 0, Qt::AlignHCenter);
    stack->addWidget(new TextLabel(title, 10, QFont::Normal, onCell(Color::white50()), this), 0, Qt::AlignHCenter);
    stack->addWidget(m_value, 0, Qt::AlignHCenter);
}

void PreviewCell::setReading(const QString& value, const QColor& color)
{
    m_value->setText(value);
    if (m_color == color)
        return;
    m_color = color;
    m_value->setColor(onCell(color));
    m_symbol->setSymbol(m_symbol->symbol(), color);
}

QString PreviewCell::value() const
{
    return m_value->text();
}

QColor PreviewCell::readingColor() const
{
    return m_color;
}
