#include "ScreenStrip.h"

#include "ScreenTabButton.h"
#include "style/Color.h"
#include "style/SymbolButton.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr int kArrowSize = 20;
constexpr int kArrowMargin = 6;
// Room kept between an entry brought into view and the end of the row.
constexpr int kEntryMargin = 16;

} // namespace

ScreenStrip::ScreenStrip(AppScreen selected, QWidget* parent)
    : ClearScrollArea(parent),
      m_back(new SymbolButton("chevron.left", kArrowSize, Color::white70(), this)),
      m_forward(new SymbolButton("chevron.right", kArrowSize, Color::white70(), this)),
      m_selected(selected)
{
    setObjectName("screenStrip");
    // Its entries are the tab stops; the row around them is not one.
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->installEventFilter(this);

    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->setSpacing(4);
    for (const AppScreen screen : AppScreens::allCases()) {
        auto* button = new ScreenTabButton(screen, row);
        button->setSelected(screen == selected);
        connect(button, &QAbstractButton::clicked, this, [this, screen] {
            if (screen == m_selected)
                return;
            setSelected(screen);
            emit screenSelected(screen);
        });
        // Wheel turns over an entry are taken here directly, not left to find their way up.
        button->installEventFilter(this);
        layout->addWidget(button, 0, Qt::AlignVCenter);
        m_buttons.append(button);
    }
    layout->addStretch(1);
    setWidget(row);
    // Set after setWidget(), which turns it on: the backdrop shows through.
    row->setAutoFillBackground(false);
    setFixedHeight(row->sizeHint().height());

    // The entries themselves are reached with Tab; the arrows are for the pointer.
    m_back->setObjectName("stripBack");
    m_back->setToolTip("Scroll left");
    m_forward->setObjectName("stripForward");
    m_forward->setToolTip("Scroll right");
    for (SymbolButton* arrow : {m_back, m_forward}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->hide();
    }
    connect(m_back, &QAbstractButton::clicked, this, &ScreenStrip::scrollBack);
    connect(m_forward, &QAbstractButton::clicked, this, &ScreenStrip::scrollForward);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &ScreenStrip::updateArrows);
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, &ScreenStrip::updateArrows);
}

QStringList ScreenStrip::titles() const
{
    QStringList list;
    for (const ScreenTabButton* button : m_buttons)
        list.append(button->text());
    return list;
}

void ScreenStrip::setSelected(AppScreen screen)
{
    m_selected = screen;
    for (ScreenTabButton* button : m_buttons)
        button->setSelected(button->screen() == screen);
    showSelected();
}

void ScreenStrip::showSelected()
{
    for (ScreenTabButton* button : m_buttons) {
        if (button->screen() == m_selected)
            ensureWidgetVisible(button, kEntryMargin, 0);
    }
}

bool ScreenStrip::overflows() const
{
    return widget()->sizeHint().width() > width();
}

void ScreenStrip::updateOverflow()
{
    const bool overflow = overflows();
    const int margin = overflow ? kArrowSize + 2 * kArrowMargin : 0;
    setViewportMargins(margin, 0, margin, 0);
    const int y = (height() - kArrowSize) / 2;
    m_back->move(kArrowMargin, y);
    m_forward->move(width() - kArrowMargin - kArrowSize, y);
    m_back->setVisible(overflow);
    m_forward->setVisible(overflow);
    updateArrows();
}

void ScreenStrip::updateArrows()
{
    const QScrollBar* bar = horizontalScrollBar();
    m_back->setEnabled(bar->value() > bar->minimum());
    m_forward->setEnabled(bar->value() < bar->maximum());
    for (SymbolButton* arrow : {m_back, m_forward})
        arrow->setSymbol(arrow->symbol(), arrow->isEnabled() ? Color::white70() : Color::white20());
}

void ScreenStrip::scrollBack()
{
    // A page back: the nearest entry hidden on the left becomes the last one in view.
    const int left = horizontalScrollBar()->value();
    for (auto it = m_buttons.crbegin(); it != m_buttons.crend(); ++it) {
        if ((*it)->x() < left) {
            horizontalScrollBar()->setValue((*it)->geometry().right() + 1 + kEntryMargin - viewport()->width());
            return;
        }
    }
}

void ScreenStrip::scrollForward()
{
    // A page on: the nearest entry hidden on the right becomes the first one in view.
    const int right = horizontalScrollBar()->value() + viewport()->width();
    for (ScreenTabButton* button : m_buttons) {
        if (button->geometry().right() >= right) {
            horizontalScrollBar()->setValue(button->x() - kEntryMargin);
            return;
        }
    }
}

void ScreenStrip::resizeEvent(QResizeEvent* event)
{
    ClearScrollArea::resizeEvent(event);
    updateOverflow();
    // The row is laid out anew for the new width first; only then is the entry's place known.
    widget()->layout()->activate();
    showSelected();
}

bool ScreenStrip::eventFilter(QObject* watched, QEvent* event)
{
    // A plain mouse wheel scrolls the row sideways.
    if (event->type() == QEvent::Wheel && (watched == viewport() || watched->parent() == widget())) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - step / 2);
        return true;
    }
    return ClearScrollArea::eventFilter(watched, event);
}
