#include "WelcomeScreen.h"

#include "style/Color.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/GradientText.h"
#include "style/SymbolView.h"

#include <QShowEvent>
#include <QVBoxLayout>

WelcomeScreen::WelcomeScreen(QWidget* parent) : QWidget(parent)
{
    setObjectName("welcomeScreen");
    auto* symbol = new SymbolView("gamecontroller.fill", 80, Color::neonCyan(), this);
    symbol->setObjectName("welcomeSymbol");
    symbol->setGradient(Color::accentGradient());

    auto* title = new GradientText("Welcome to QUILLMARSH", Fonts::ui(28, QFont::Bold), this);
    title->setObjectName("welcomeTitle");

    m_getStarted = new GradientButton("Get Started", Fonts::ui(16, QFont::DemiBold), QSize(32, 16), 12, this);
    m_getStarted->setObjectName("getStartedButton");
    connect(m_getStarted, &QAbstractButton::clicked, this, &WelcomeScreen::getStarted);

    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(24);
    stack->addStretch(1);
    stack->addWidget(symbol, 0, Qt::AlignHCenter);
    stack->addWidget(title, 0, Qt::AlignHCenter);
    stack->addWidget(m_getStarted, 0, Qt::AlignHCenter);
    stack->addStretch(1);
}

void WelcomeScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_getStarted->setFocus(Qt::OtherFocusReason);
}
