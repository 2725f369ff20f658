#include "FocusSight.h"

#include "style/Color.h"
#include "style/FocusRing.h"
#include "style/KeyboardFocus.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QWidget>

namespace {

bool isRingColour(QRgb pixel)
{
    const QColor ring = Color::neonCyan();
    return qAbs(qRed(pixel) - ring.red()) <= 40 && qAbs(qGreen(pixel) - ring.green()) <= 40
           && qAbs(qBlue(pixel) - ring.blue()) <= 40;
}

} // namespace

QString FocusSight::problem(QWidget& window, QWidget* stop)
{
    if (!stop || !stop->isVisible())
        return "hidden";
    const QRect bounds(stop->mapTo(&window, QPoint(0, 0)), stop->size());
    if (!window.rect().contains(bounds))
        return "outside the window";
    for (QWidget* link = stop->parentWidget(); link && link != &window; link = link->parentWidget()) {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(link->parentWidget());
        if (area && area->viewport() == link && !QRect(link->mapTo(&window, QPoint(0, 0)), link->size()).contains(bounds))
            return "scrolled out of view";
    }
    if (!FocusRing::marks(stop))
        return stop->hasFocus() ? QString() : "no focus";
    const FocusRing* ring = KeyboardFocus::ring();
    if (!ring || ring->target() != stop || !ring->isVisible())
        return "no ring";
    const QList<bool> shown = edgesShown(window, ring->outline());
    const char* const edges[] = {"left", "right", "top", "bottom"};
    for (int i = 0; i < 4; ++i) {
        if (!shown[i])
            return QString("ring cut on the %1 edge").arg(edges[i]);
    }
    return {};
}

QList<bool> FocusSight::edgesShown(QWidget& window, const QRect& outline)
{
    const QImage picture = window.grab(outline).toImage();
    const int w = picture.width(), h = picture.height();
    return {isRingColour(picture.pixel(1, h / 2)), isRingColour(picture.pixel(w - 2, h / 2)),
            isRingColour(picture.pixel(w / 2, 1)), isRingColour(picture.pixel(w / 2, h - 2))};
}

QString FocusSight::nameOf(const QWidget* widget)
{
    return QString("%1 \"%2\"").arg(widget->metaObject()->className(), widget->objectName());
}
