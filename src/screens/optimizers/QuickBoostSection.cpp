#include "QuickBoostSection.h"

#include "Backdrop.h"
#include "BoostResultPopup.h"
#include "screens/monitoring/CardHeader.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/OutlineButton.h"
#include "style/TextLabel.h"
#include "tuning/SystemOptimizer.h"

#include "MainThread.h"
#include "WorkQueues.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

namespace {

constexpr int kPopupInset = 40;
constexpr qreal kCornerRadius = 16;
constexpr int kAppearMs = 400;
constexpr int kLeaveMs = 200;

// Fades a layer between two opacities, then hands it to `done`. The effect is dropped afterwards,
// so a layer at rest is drawn directly.
void fade(QWidget* layer, qreal from, qreal to, int ms, QEasingCurve::Type curve, std::function<void(QWidget*)> done)
{
    auto* effect = new QGraphicsOpacityEffect(layer);
    effect->setOpacity(from);
    layer->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity", layer);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(ms);
    animation->setEasingCurve(curve);
    QObject::connect(animation, &QAbstractAnimation::finished, layer, [layer, done = std::move(done)] {
        layer->setGraphicsEffect(nullptr);
        done(layer);
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

QuickBoostSection::QuickBoostSection(SystemOptimizer& optimizer, QWidget* parent)
    : GlassModifier(kCornerRadius, 16, parent),
      m_optimizer(optimizer),
      m_button(new OutlineButton("Boost Now", Fonts::ui(13, QFont::DemiBold), Color::neonCyan(), 12, 10, this))
{
    body()->setSpacing(14);
    body()->addWidget(new CardHeader("bolt.shield.fill", Color::neonCyan(), "Quick Boost", this, 16, 18));
    auto* description = new TextLabel("Instantly free up memory, flush DNS cache, and stop unnecessary background "
                                      "processes with one tap.",
                                      12, QFont::Normal, Color::white70(), this);
    description->setWordWrap(true);
    body()->addWidget(description);

    m_button->setObjectName("boostButton");
    connect(m_button, &QAbstractButton::clicked, this, &QuickBoostSection::startBoost);
    body()->addWidget(m_button);
    // Keeps the rows at the top while the card is grown for the pop-up.
    body()->addStretch(1);
    refreshButton();
}

void QuickBoostSection::startBoost()
{
    if (m_isBoosting)
        return;
    m_isBoosting = true;
    refreshButton();
    // The boost goes on in the optimizer if the card goes; only its result is then dropped.
    WorkQueues::userInitiated().start([this, boost = m_optimizer.quickBoostTask(), life = m_life.watch()] {
        boost([this, life](const QuickBoostResult& result) {
            MainThread::post(life, [this, result] { showBoostResult(result); });
        });
    });
}

void QuickBoostSection::showBoostResult(const QuickBoostResult& result)
{
    m_result = result;
    m_isBoosting = false;
    refreshButton();
    delete m_backdrop;
    m_backdrop = new Backdrop(kCornerRadius, this);
    m_backdrop->setObjectName("boostBackdrop");
    m_popup = new BoostResultPopup(result, [this] { dismissResult(); }, m_backdrop);
    m_popup->setObjectName("boostResultPopup");
    // The card grows to hold the pop-up while it is shown, so no part of it is cut off.
    setMinimumHeight(m_popup->sizeHint().height() + 2 * int(padding()));
    placeOverlay();
    m_backdrop->show();
    m_backdrop->raise();
    // The pop-up covers the button; the focus waits on "Done" and comes back with the dismissal.
    if (m_button->hasFocus())
        m_popup->doneButton()->setFocus(Qt::OtherFocusReason);
    fade(m_backdrop, 0.0, 1.0, kAppearMs, QEasingCurve::OutCubic, [](QWidget*) {});
}

void QuickBoostSection::dismissResult()
{
    if (!m_backdrop)
        return;
    if (m_popup->isAncestorOf(QApplication::focusWidget()))
        m_button->setFocus(Qt::OtherFocusReason);
    // The leaving layer no longer takes clicks; the card shrinks back once it has faded.
    m_backdrop->setAttribute(Qt::WA_TransparentForMouseEvents);
    fade(m_backdrop, 1.0, 0.0, kLeaveMs, QEasingCurve::OutQuad, [this](QWidget* layer) {
        layer->deleteLater();
        if (!m_backdrop)
            setMinimumHeight(0);
    });
    m_backdrop = nullptr;
    m_popup = nullptr;
    m_result.reset();
}

void QuickBoostSection::refreshButton()
{
    m_button->setText(m_isBoosting ? QStringLiteral("Boosting...") : QStringLiteral("Boost Now"));
    m_button->setSymbol("bolt.shield.fill", 14);
    m_button->setBusy(m_isBoosting);
    m_button->setEnabled(!m_isBoosting);
}

void QuickBoostSection::placeOverlay()
{
    if (!m_backdrop)
        return;
    m_backdrop->setGeometry(rect());
    const int width = qMax(0, this->width() - 2 * kPopupInset);
    const int height = m_popup->sizeHint().height();
    m_popup->setGeometry((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void QuickBoostSection::resizeEvent(QResizeEvent* event)
{
    GlassModifier::resizeEvent(event);
    placeOverlay();
}
