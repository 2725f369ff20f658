#include "FrameLimiterView.h"

#include "PresetCell.h"
#include "screens/monitoring/CardHeader.h"
#include "style/Color.h"
#include "style/FieldLine.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/GradientButton.h"
#include "style/RoundedPanel.h"
#include "style/TextLabel.h"

#include "MainThread.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>

namespace {

constexpr qint64 kLowestFPS = 1;
constexpr qint64 kHighestFPS = 1000;

GlassModifier* card(const QString& objectName, QWidget* parent)
{
    auto* glass = new GlassModifier(16, 16, parent);
    glass->setObjectName(objectName);
    glass->body()->setSpacing(12);
    return glass;
}

QString rgba(const QColor& color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF());
}

QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}

} // namespace

FrameLimiterView::FrameLimiterView(SystemOptimizer& optimizer, QWidget* parent)
    : ScreenColumn(parent), m_optimizer(optimizer), m_statusColor(Color::white70())
{
    addCards({currentLimitCard(), presetsCard(), customLimitCard(), aboutCard()});

    connect(&m_optimizer, &SystemOptimizer::changed, this, &FrameLimiterView::refreshLimit);
    refreshLimit();
    setStatus({}, m_statusColor);
}

QWidget* FrameLimiterView::currentLimitCard()
{
    auto* glass = card("currentLimitCard", this);
    auto* header = new CardHeader("speedometer", Color::neonCyan(), "Frame Limiter", glass, 16);
    m_badge = new RoundedPanel(6, withAlpha(Color::neonGreen(), 0.15f), header);
    m_badge->setObjectName("activeBadge");
    auto* badgeText = new QHBoxLayout(m_badge);
    badgeText->setContentsMargins(10, 4, 10, 4);
    badgeText->addWidget(new TextLabel("Active", 11, QFont::Medium, Color::neonGreen(), m_badge));
    header->addTrailing(m_badge);
    glass->body()->addWidget(header);

    auto* value = new QHBoxLayout;
    value->addWidget(new TextLabel("Current Limit", 12, QFont::Normal, Color::white70(), glass));
    value->addStretch(1);
    m_currentLimit = new TextLabel(QString(), 14, QFont::Bold, Color::white50(), glass);
    m_currentLimit->setObjectName("currentLimit");
    value->addWidget(m_currentLimit);
    glass->body()->addLayout(value);

    m_removeButton = new QPushButton("Remove Limit", glass);
    m_removeButton->setObjectName("removeLimitButton");
    m_removeButton->setFont(Fonts::ui(12, QFont::Medium));
    m_removeButton->setCursor(Qt::PointingHandCursor);
    m_removeButton->setFlat(true);
    m_removeButton->setStyleSheet("QPushButton { border: none; background: transparent; padding: 0; color: " +
                                  rgba(Color::onCard(withAlpha(Color::systemRed(), 0.8f))) + "; }");
    connect(m_removeButton, &QPushButton::clicked, this, &FrameLimiterView::removeLimit);
    glass->body()->addWidget(m_removeButton, 0, Qt::AlignLeft);
    return glass;
}

QWidget* FrameLimiterView::presetsCard()
{
    auto* glass = card("presetsCard", this);
    glass->body()->addWidget(new CardHeader("number.square", Color::neonPurple(), "Presets", glass, 16));
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    grid->setHorizontalSpacing(10);
    for (qsizetype i = 0; i <= presets.size(); ++i) {
        const bool isOff = i == presets.size();
        auto* cell = new PresetCell(isOff ? QStringLiteral("Off") : QString::number(presets[i]), glass);
        cell->setObjectName(isOff ? QStringLiteral("preset:Off") : "preset:" + QString::number(presets[i]));
        if (isOff) {
            m_offCell = cell;
            connect(cell, &QAbstractButton::clicked, this, &FrameLimiterView::removeLimit);
        } else {
            m_presetCells.append(cell);
            connect(cell, &QAbstractButton::clicked, this, [this, value = presets[i]] { applyPreset(value); });
        }
        grid->addWidget(cell, int(i / 4), int(i % 4));
    }
    for (int c = 0; c < 4; ++c)
        grid->setColumnStretch(c, 1);
    glass->body()->addLayout(grid);
    return glass;
}

QWidget* FrameLimiterView::customLimitCard()
{
    auto* glass = card("customLimitCard", this);
    glass->body()->addWidget(new CardHeader("slider.horizontal.3", Color::neonCyan(), "Custom Limit", glass));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    m_customField = new FieldLine(glass);
    m_customField->setObjectName("customFPSField");
    m_customField->setPlaceholderText("Enter FPS (e.g. 100)");
    m_customField->setFont(Fonts::ui(14));
    m_customField->setStyleSheet("QLineEdit { border: none; border-radius: 8px; padding: 10px 12px; background: " +
                                 rgba(Color::white10b()) + "; color: " + rgba(Color::white95()) + "; }");
    connect(m_customField, &QLineEdit::returnPressed, this, &FrameLimiterView::applyCustomLimit);
    row->addWidget(m_customField, 1);
    m_applyButton = new GradientButton("Apply", Fonts::ui(12, QFont::DemiBold), QSize(16, 10), 8, glass);
    m_applyButton->setObjectName("applyButton");
    m_applyButton->setEnabled(false);
    connect(m_customField, &QLineEdit::textChanged, m_applyButton,
            [this](const QString& text) { m_applyButton->setEnabled(!text.isEmpty()); });
    connect(m_applyButton, &QAbstractButton::clicked, this, &FrameLimiterView::applyCustomLimit);
    row->addWidget(m_applyButton);
    glass->body()->addLayout(row);

    // Under the row the card stands next to the presets, so the outcome of any button is in view.
    m_statusLine = new TextLabel(QString(), 11, QFont::Normal, m_statusColor, glass);
    m_statusLine->setObjectName("statusLine");
    m_statusLine->setWordWrap(true);
    glass->body()->addWidget(m_statusLine);
    return glass;
}

QWidget* FrameLimiterView::aboutCard()
{
    auto* glass = card("aboutCard", this);
    glass->body()->addWidget(new CardHeader("info.circle", Color::neonCyan(), "About Frame Limiting", glass));
    for (const char* line :
         {"Works via MangoHud's fps_limit setting in your MangoHud.conf",
          "Applies to every game started with MangoHud (mangohud %command% in Steam)",
          "Only the fps_limit line changes; the rest of your MangoHud settings stay as they are",
          "Requires MangoHud (Debian package mangohud)", "Some games may internally override this limit",
          "Restart the game if the limit doesn't take effect immediately"}) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(new TextLabel("•", 12, QFont::Normal, Color::neonCyan(), glass), 0, Qt::AlignTop);
        auto* text = new TextLabel(QString::fromUtf8(line), 11, QFont::Normal, Color::white70(), glass);
        text->setWordWrap(true);
        text->setMaximumHeight(3 * text->fontMetrics().lineSpacing());
        row->addWidget(text, 1, Qt::AlignTop);
        glass->body()->addLayout(row);
    }
    return glass;
}

std::optional<qint64> FrameLimiterView::parseFPS(const QString& text)
{
    // \A and \z: "$" would also match before a final line break, which is not stripped.
    static const QRegularExpression surroundingBlanks(QStringLiteral("\\A[ \\t]+|[ \\t]+\\z"));
    static const QRegularExpression wholeNumber(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    const QString trimmed = QString(text).remove(surroundingBlanks);
    if (!wholeNumber.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    if (!ok || value < kLowestFPS || value > kHighestFPS)
        return std::nullopt;
    return value;
}

SystemOptimizer::StatusCompletion FrameLimiterView::outcomeHandler(bool clearsField)
{
    return [this, life = m_life.watch(), clearsField](bool success, const QString& message) {
        MainThread::post(life, [this, success, message, clearsField] { showOutcome(success, message, clearsField); });
    };
}

void FrameLimiterView::applyPreset(qint64 value)
{
    m_optimizer.setFrameLimit(value, outcomeHandler(false));
}

void FrameLimiterView::removeLimit()
{
    m_optimizer.removeFrameLimit(outcomeHandler(false));
}

void FrameLimiterView::applyCustomLimit()
{
    if (m_customField->text().isEmpty())
        return;
    const std::optional<qint64> value = parseFPS(m_customField->text());
    if (!value) {
        setStatus(invalidMessage, Color::onCard(Color::systemRed()));
        return;
    }
    m_optimizer.setFrameLimit(*value, outcomeHandler(true));
}

void FrameLimiterView::showOutcome(bool success, const QString& message, bool clearsField)
{
    setStatus(message, success ? Color::neonGreen() : Color::onCard(Color::systemRed()));
    if (success && clearsField)
        m_customField->clear();
}

void FrameLimiterView::setStatus(const QString& message, const QColor& color)
{
    m_statusMessage = message;
    m_statusColor = color;
    m_statusLine->setText(message);
    m_statusLine->setColor(color);
    m_statusLine->setVisible(!message.isEmpty());
}

void FrameLimiterView::refreshLimit()
{
    const bool active = m_optimizer.frameLimitActive();
    const qint64 value = m_optimizer.frameLimitValue();
    m_badge->setVisible(active);
    m_removeButton->setVisible(active);
    m_currentLimit->setText(active ? QString::number(value) + " FPS" : QStringLiteral("Unlimited"));
    m_currentLimit->setColor(active ? Color::neonCyan() : Color::white50());
    for (qsizetype i = 0; i < m_presetCells.size(); ++i)
        m_presetCells[i]->setActive(active && presets[i] == value);
    m_offCell->setActive(!active);
}

void FrameLimiterView::showEvent(QShowEvent* event)
{
    ScreenColumn::showEvent(event);
    if (!event->spontaneous())
        m_optimizer.refreshFrameLimit();
}
