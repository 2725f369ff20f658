#include "ScreenWidth.h"

#include <QEvent>
#include <QLayout>
#include <QScrollArea>

void ScreenWidth::limit(QWidget* screen)
{
    auto* area = qobject_cast<QScrollArea*>(screen);
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
