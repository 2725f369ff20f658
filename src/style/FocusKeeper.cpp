#include "FocusKeeper.h"

#include "FocusOrder.h"
#include "KeyboardFocus.h"

#include <QStringList>
#include <QVariant>

namespace {

constexpr char kKey[] = "focusKeeperKey";
constexpr char kDiscarding[] = "focusKeeperDiscarding";
int restoring = 0;

} // namespace

// Counts a keeper from the rebuild's start until it has put the focus back, or was dropped with
// its screen.
struct FocusKeeper::Pending {
    Pending() { ++restoring; }
    ~Pending() { finish(); }
    void finish()
    {
        if (!finished)
            --restoring;
        finished = true;
    }
    bool finished = false;
};

void FocusKeeper::setKey(QWidget* control, const QString& key)
{
    control->setProperty(kKey, key);
}

void FocusKeeper::setDiscarding(QWidget* control)
{
    control->setProperty(kDiscarding, true);
}

bool FocusKeeper::canLandOn(const QWidget* widget)
{
    return widget->isEnabled() && !widget->property(kDiscarding).toBool();
}

bool FocusKeeper::isRestoring()
{
    return restoring > 0;
}

FocusKeeper::FocusKeeper(QWidget* screen) : m_screen(screen)
{
    // A control switched off by its own press holds on to the focus, though the toolkit moved it.
    QWidget* on = KeyboardFocus::held();
    if (!on || !screen->isAncestorOf(on))
        on = screen->window()->focusWidget();
    if (!on || !screen->isAncestorOf(on))
        return;
    m_on = on;
    for (const Stop& stop : shownStops(screen)) {
        if (stop.widget == on)
            m_at = m_stops.size();
        m_stops.append(stop.place);
    }
    if (m_at >= 0)
        m_pending = std::make_shared<Pending>();
}

FocusKeeper::~FocusKeeper()
{
    if (!m_pending || !m_screen)
        return;
    // Widgets added to a shown layout are shown by posted calls: this one comes after them.
    QMetaObject::invokeMethod(
        m_screen.data(),
        [screen = m_screen.data(), on = m_on, stops = m_stops, at = m_at, pending = m_pending] {
            pending->finish();
            if (on && on->isVisibleTo(screen))
                return;
            QWidget* to = successor(screen, stops, at);
            if (to && to != screen->window()->focusWidget())
                to->setFocus(Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
}

QList<FocusKeeper::Stop> FocusKeeper::shownStops(QWidget* screen)
{
    QList<Stop> stops;
    for (QWidget* widget : FocusOrder::of(screen)) {
        if (!widget->isVisibleTo(screen))
            continue;
        Place place{nameOf(widget, screen), 0};
        for (const Stop& earlier : std::as_const(stops))
            place.occurrence += earlier.place.name == place.name ? 1 : 0;
        stops.append({widget, place});
    }
    return stops;
}

QString FocusKeeper::nameOf(const QWidget* widget, const QWidget* screen)
{
    QStringList names;
    for (const QWidget* link = widget; link && link != screen; link = link->parentWidget()) {
        if (const QVariant key = link->property(kKey); key.isValid()) {
            names.prepend(key.toString());
            break;
        }
        if (!link->objectName().isEmpty())
            names.prepend(link->objectName());
    }
    return names.join('/');
}

QWidget* FocusKeeper::successor(QWidget* screen, const QList<Place>& before, qsizetype at)
{
    const QList<Stop> now = shownStops(screen);
    const auto same = [&now](const Place& place) -> QWidget* {
        for (const Stop& stop : now) {
            if (stop.place == place && canLandOn(stop.widget))
                return stop.widget;
        }
        return nullptr;
    };
    // The control made in its place, or one keyed to do its job.
    if (QWidget* widget = same(before[at]))
        return widget;
    for (const Stop& stop : now) {
        if (!stop.place.name.isEmpty() && stop.place.name == before[at].name && canLandOn(stop.widget))
            return stop.widget;
    }
    // The nearest stop that outlived the rebuild: on in the Tab order, else back.
    for (qsizetype i = at + 1; i < before.size(); ++i) {
        if (QWidget* widget = same(before[i]))
            return widget;
    }
    for (qsizetype i = at - 1; i >= 0; --i) {
        if (QWidget* widget = same(before[i]))
            return widget;
    }
    for (const Stop& stop : now) {
        if (canLandOn(stop.widget))
            return stop.widget;
    }
    return nullptr;
}
