#include "ScreenWidth.h"

#include <QEvent>
#include <QLayout>
#include <QScrollArea>

void ScreenWidth::limit(QWidget* screen)
{
    auto* area = qobject_cast<QScrollArea*>(screen);
    // A screen framing one scrolling page (with overlays of its own beside it) is that page.
    if (!area && screen->layout() && screen->layout()->count() == 1)
        area = qobject_cast<QScrollArea*>(screen->layout()->itemAt(0)->widget());
    if (area && area->widget() && area->widgetResizable()) {
        area->widget()->setMaximumWidth(maxCardWidth + 2 * margin);
        area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    } else if (screen->layout()) {
        screen->installEventFilter(new ScreenWidth(screen));
    }
}

bool ScreenWidth::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        auto* screen = static_cast<QWidget*>(watched);
        QLayout* layout = screen->layout();
        const QMargins margins = layout->contentsMargins();
        const int side = std::max(margin, (screen->width() - maxCardWidth) / 2);
        if (margins.left() != side || margins.right() != side)
            layout->setContentsMargins(side, margins.top(), side, margins.bottom());
    }
    return false;
}
