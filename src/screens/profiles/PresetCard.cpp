#include "PresetCard.h"

#include "style/Color.h"
#include "style/ContentButton.h"
#include "style/ElidedLabel.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/Symbols.h"
#include "style/TextLabel.h"

#include <QBoxLayout>
#include <QPainter>

namespace {

constexpr int kGearSymbol = 10;
constexpr int kGearPadding = 6;
constexpr int kGearInset = 4;

// The gear: a small symbol on a faint circle.
class GearButton : public SymbolButton {
public:
    explicit GearButton(QWidget* parent)
        : SymbolButton("gearshape.fill", kGearSymbol + 2 * kGearPadding, Color::white50(), parent)
    {
        setToolTip(QStringLiteral("Customize this profile"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter target(this);
        m_circle.draw(target, *this, symbol() + QChar(0) + color().name(QColor::HexArgb), [this](QPainter& painter) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Color::white10b());
            painter.drawEllipse(QRectF(rect()));
            Symbols::paint(painter, symbol(),
                           QRectF(rect()).adjusted(kGearPadding, kGearPadding, -kGearPadding, -kGearPadding),
                           color());
        });
    }

private:
    PaintCache m_circle;
};

} // namespace

QString PresetCard::frameLimitText(qint64 frameLimit)
{
    return frameLimit >= 1 ? QString::number(frameLimit) + QStringLiteral(" FPS")
                           : QStringLiteral("No limit");
}

PresetCard::PresetCard(const GameProfile& profile, bool isActive, QWidget* parent)
    : QWidget(parent), m_profileID(profile.id), m_card(new ContentButton(Qt::Vertical, this)),
      m_gear(new GearButton(this))
{
    setObjectName("preset:" + profile.id);
    const QColor fill = isActive ? Color::withOpacity(Color::neonCyan(), 0.1) : Color::white10b();
    // The texts read on the tile's own fill, lighter than the card around it.
    const QColor ink = Color::onCard(isActive ? Color::neonCyan() : Color::white70(), fill);
    m_card->setObjectName("presetCard");
    m_card->setProperty("active", isActive);
    m_card->setBackground(fill, 12, isActive ? Color::withOpacity(Color::neonCyan(), 0.5) : QColor(Qt::transparent));
    QBoxLayout* label = m_card->label();
    label->setContentsMargins(8, 14, 8, 14);
    label->setSpacing(8);
    auto* icon = new SymbolView(profile.iconName, 22, ink, m_card);
    icon->setObjectName("presetIcon");
    label->addWidget(icon, 0, Qt::AlignHCenter);
    auto* name = new ElidedLabel(profile.name, 12, QFont::Medium, ink, m_card);
    name->setObjectName("presetName");
    label->addWidget(name, 0, Qt::AlignHCenter);
    label->addWidget(
        new TextLabel(frameLimitText(profile.frameLimit), 10, QFont::Normal, Color::onCard(Color::white50(), fill), m_card), 0,
        Qt::AlignHCenter);
    m_card->setText(profile.name);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_card);
    m_gear->setObjectName("presetGear");
    m_gear->raise();
    connect(m_card, &QAbstractButton::clicked, this, [this] { emit applyRequested(m_profileID); });
    connect(m_gear, &SymbolButton::clicked, this, [this] { emit editRequested(m_profileID); });
}

void PresetCard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_gear->move(width() - kGearInset - m_gear->width(), kGearInset);
}
