#include "FreezeCandidateRow.h"

#include "style/Color.h"
#include "style/ElidedLabel.h"
#include "style/RoundedPanel.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QBoxLayout>

QColor FreezeCandidateRow::riskColor(FreezeCandidate::Risk risk)
{
    return risk == FreezeCandidate::Risk::Safe ? Color::neonGreen() : Color::systemOrange();
}

FreezeCandidateRow::FreezeCandidateRow(const FreezeCandidate& candidate, bool isSelected, bool isFrozen,
                                       QWidget* parent)
    : ContentButton(Qt::Horizontal, parent), m_mark(new SymbolView("circle", 16, Color::white50(), this)),
      m_name(new ElidedLabel({}, 12, QFont::DemiBold, Color::white95(), this)),
      m_badgePanel(new RoundedPanel(5, Qt::transparent, this)),
      m_badge(new TextLabel({}, 10, QFont::Bold, Color::white95(), m_badgePanel)),
      m_reason(new ElidedLabel({}, 10, QFont::Normal, Color::white50(), this)),
      m_stateDot(new RoundedPanel(3, Color::white50(), this)),
      m_state(new TextLabel({}, 10, QFont::Medium, Color::white50(), this))
{
    setObjectName("freezeCandidateRow");
    setBackground(Color::white10b(), 10);
    QBoxLayout* row = label();
    row->setContentsMargins(11, 11, 11, 11);
    row->setSpacing(10);
    row->addWidget(m_mark, 0, Qt::AlignVCenter);

    auto* badgeInset = new QHBoxLayout(m_badgePanel);
    badgeInset->setContentsMargins(6, 2, 6, 2);
    badgeInset->addWidget(m_badge);
    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    title->addWidget(m_name);
    title->addWidget(m_badgePanel, 0, Qt::AlignVCenter);
    title->addStretch(1);
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addLayout(title);
    column->addWidget(m_reason);
    row->addLayout(column, 1);

    m_stateDot->setFixedSize(6, 6);
    auto* state = new QHBoxLayout;
    state->setSpacing(5);
    state->addWidget(m_stateDot, 0, Qt::AlignVCenter);
    state->addWidget(m_state, 0, Qt::AlignVCenter);
    row->addLayout(state);

    connect(this, &QAbstractButton::clicked, this, [this] { emit toggleRequested(m_candidate); });
    setCandidate(candidate, isSelected, isFrozen);
}

void FreezeCandidateRow::setCandidate(const FreezeCandidate& candidate, bool isSelected, bool isFrozen)
{
    m_candidate = candidate;
    m_isSelected = isSelected;
    m_isFrozen = isFrozen;
    const QColor risk = riskColor(candidate.risk);
    m_mark->setSymbol(isSelected ? "checkmark.circle.fill" : "circle", isSelected ? risk : Color::white50());
    m_name->setText(candidate.name);
    m_badge->setText(FreezeCandidate::riskText(candidate.risk));
    m_badge->setColor(risk);
    m_badgePanel->setColor(Color::withOpacity(risk, 0.12));
    m_reason->setText(candidate.reason);
    const QColor& state = isFrozen ? Color::neonCyan() : Color::white50();
    m_stateDot->setColor(state);
    m_state->setText(isFrozen ? QStringLiteral("Frozen") : QStringLiteral("Ready"));
    m_state->setColor(state);
    setText(candidate.name);
}
