#include "ScreenStrip.h"

#include "ScreenTabButton.h"
#include "style/Color.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

ScreenStrip::ScreenStrip(AppScreen selected, QWidget* parent) : QScrollArea(parent), m_selected(selected)
{
    setObjectName("screenStrip");
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
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
            ensureWidgetVisible(button, 16, 0);
    }
}

void ScreenStrip::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    // The row is laid out anew for the new width first; only then is the entry's place known.
    widget()->layout()->activate();
    showSelected();
}

void ScreenStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    QColor veil = Color::ultraThinMaterial();
    veil.setAlphaF(veil.alphaF() * 0.5f);
    painter.fillRect(viewport()->rect(), veil);
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
    return QScrollArea::eventFilter(watched, event);
}
