#include "BoostResultPopup.h"

#include "BoostActionRow.h"
#include "screens/monitoring/Readout.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/OutlineButton.h"
#include "style/RoundedPanel.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr qreal kCornerRadius = 20;
constexpr qreal kMarkStartScale = 0.3;
// The regular material over the dimmed card: dark and nearly opaque, so the result reads clearly.
const QColor kMaterial(28, 30, 44, 250);

enum class Outcome { done, partlyDone, failed };

Outcome outcomeOf(const QuickBoostResult& result)
{
    const auto failed = std::count_if(result.actions.cbegin(), result.actions.cend(),
                                      [](const QuickBoostResult::QuickBoostAction& a) { return !a.success; });
    if (failed == 0)
        return Outcome::done;
    return failed == result.actions.size() ? Outcome::failed : Outcome::partlyDone;
}

// How the popup shows each outcome: its heading, its mark and the mark's colour.
struct OutcomeLook {
    const char* title;
    const char* symbol;
    const QColor& (*color)();
};

const OutcomeLook& lookOf(const QuickBoostResult& result)
{
    static const OutcomeLook looks[] = {
        {"Quick Boost Complete", "checkmark.circle.fill", &Color::neonCyan},
        {"Quick Boost Partly Complete", "exclamationmark.triangle.fill", &Color::systemOrange},
        {"Quick Boost Failed", "xmark.circle.fill", &Color::systemRed},
    };
    return looks[int(outcomeOf(result))];
}

} // namespace

QString BoostResultPopup::title() const
{
    return QString::fromLatin1(lookOf(m_result).title);
}

QString BoostResultPopup::symbol() const
{
    return QString::fromLatin1(lookOf(m_result).symbol);
}

QColor BoostResultPopup::markColor() const
{
    return lookOf(m_result).color();
}

BoostResultPopup::BoostResultPopup(const QuickBoostResult& result, std::function<void()> onDismiss, QWidget* parent)
    : QWidget(parent),
      m_result(result),
      m_onDismiss(std::move(onDismiss)),
      m_markHolder(new QWidget(this)),
      m_mark(new SymbolView(symbol(), markSize, markColor(), m_markHolder)),
      m_done(new OutlineButton("Done", Fonts::ui(13, QFont::DemiBold), Color::neonCyan(), 10, 8, this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(20);

    // The mark grows inside a holder of its full size, so the layout never moves.
    m_markHolder->setFixedSize(markSize, markSize);
    column->addWidget(m_markHolder, 0, Qt::AlignHCenter);

    auto* heading = new TextLabel(title(), 18, QFont::Bold, Color::white95(), this);
    column->addWidget(heading, 0, Qt::AlignHCenter);

    if (result.ramFreed > 0) {
        auto* freed = new TextLabel(Readout::format("%.2f GB Freed", result.ramFreed), 26, QFont::ExtraBold,
                                    Color::neonCyan(), this);
        freed->setObjectName("ramFreed");
        column->addWidget(freed, 0, Qt::AlignHCenter);
    }

    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    for (const QuickBoostResult::QuickBoostAction& action : result.actions) {
        auto* row = new BoostActionRow(action, this);
        row->setObjectName("boostAction");
        rows->addWidget(row);
        m_rows.append(row);
    }
    column->addLayout(rows);

    m_done->setObjectName("doneButton");
    connect(m_done, &QAbstractButton::clicked, this, [this] {
        if (m_onDismiss)
            m_onDismiss();
    });
    column->addWidget(m_done);

    m_entrance.setStartValue(0.0);
    m_entrance.setEndValue(1.0);
    m_entrance.setDuration(entranceMs);
    // A spring that overshoots a little before it settles.
    m_entrance.setEasingCurve(QEasingCurve(QEasingCurve::OutBack));
    connect(&m_entrance, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setEntrance(value.toReal()); });
    setEntrance(0.0);
}

void BoostResultPopup::setEntrance(qreal progress)
{
    const qreal scale = kMarkStartScale + (1.0 - kMarkStartScale) * progress;
    const int side = qMax(1, qRound(markSize * qMin(scale, 1.0)));
    m_mark->setFixedSize(side, side);
    m_mark->move((markSize - side) / 2, (markSize - side) / 2);
    for (BoostActionRow* row : std::as_const(m_rows))
        row->setEntrance(progress);
}

void BoostResultPopup::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_animate || event->spontaneous())
        return;
    m_animate = true;
    m_entrance.start();
}

void BoostResultPopup::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, size(), {}, kCornerRadius + 2, [](QPainter& painter, const QRectF& bounds) {
        RoundedPanel::paintShape(painter, bounds, kCornerRadius, kMaterial, Color::white10());
    });
}
