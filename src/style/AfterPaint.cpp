#include "AfterPaint.h"

#include <QEvent>
#include <QWidget>

AfterPaint::AfterPaint(QWidget* watched, std::function<void()> run) : QObject(watched), m_run(std::move(run))
{
    watched->installEventFilter(this);
}

void AfterPaint::arm()
{
    m_armed = true;
    ++m_generation;
}

void AfterPaint::disarm()
{
    m_armed = false;
    ++m_generation;
}

bool AfterPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (m_armed && event->type() == QEvent::Paint) {
        m_armed = false;
        QMetaObject::invokeMethod(this, [this, generation = m_generation] {
            if (generation == m_generation)
                m_run();
        }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
