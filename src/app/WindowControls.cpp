#include "WindowControls.h"

#include "style/Color.h"
#include "style/SymbolButton.h"

#include <QEvent>
#include <QHBoxLayout>

WindowControls::WindowControls(QWidget* parent) : QWidget(parent)
{
    setObjectName("windowControls");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 0, 12, 0);
    row->setSpacing(6);
    auto* minimize = button("minus", "minimizeButton", "Minimise");
    connect(minimize, &QAbstractButton::clicked, this, [this] { window()->showMinimized(); });
    m_maximize = button("square", "maximizeButton", "Maximise");
    connect(m_maximize, &QAbstractButton::clicked, this, [this] { toggleMaximized(window()); });
    auto* close = button("xmark", "closeButton", "Close");
    connect(close, &QAbstractButton::clicked, this, [this] { window()->close(); });
    for (SymbolButton* control : {minimize, m_maximize, close})
        row->addWidget(control, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setMinimumHeight(bandHeight);
}

SymbolButton* WindowControls::button(const QString& symbol, const QString& objectName, const QString& tip)
{
    auto* control = new SymbolButton(symbol, buttonSize, Color::white70(), this);
    control->setObjectName(objectName);
    control->setToolTip(tip);
    control->setAccessibleName(tip);
    return control;
}

void WindowControls::toggleMaximized(QWidget* window)
{
    if (window->isMaximized())
        window->showNormal();
    else
        window->showMaximized();
}

void WindowControls::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window is known only once this sits in it.
    if (m_watched != window()) {
        if (m_watched)
            m_watched->removeEventFilter(this);
        m_watched = window();
        m_watched->installEventFilter(this);
    }
    showWindowState();
}

bool WindowControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::WindowStateChange)
        showWindowState();
    return QWidget::eventFilter(watched, event);
}

void WindowControls::showWindowState()
{
    const bool maximized = window()->isMaximized();
    const QString tip = maximized ? QStringLiteral("Restore") : QStringLiteral("Maximise");
    m_maximize->setSymbol(maximized ? "square.on.square" : "square", m_maximize->color());
    m_maximize->setToolTip(tip);
    m_maximize->setAccessibleName(tip);
}
