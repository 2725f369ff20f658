#include "OptimizerButton.h"

#include "style/Color.h"
#include "style/Fonts.h"

OptimizerButton::OptimizerButton(const QString& icon, const QString& title, std::function<void()> action,
                                 QWidget* parent)
    : TileButton(8, 16, 12, parent), m_icon(icon), m_title(title)
{
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
    refresh();
}

void OptimizerButton::setActive(bool active)
{
    m_isActive = active;
    refresh();
}

void OptimizerButton::refresh()
{
    const QColor& color = m_isActive ? Color::neonGreen() : Color::white70();
    setItems({Item::ofSymbol(m_icon, 20, color), Item::ofText(m_title, Fonts::ui(12, QFont::Medium), color)});
    QColor outline = Color::neonGreen();
    outline.setAlphaF(0.5f);
    setOutline(m_isActive ? outline : QColor());
}
