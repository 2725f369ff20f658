#include "FocusRing.h"

#include "Color.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>

bool FocusRing::marks(const QWidget* widget)
{
    return widget && !widget->isWindow() && widget->parentWidget() && !qobject_cast<const QLineEdit*>(widget)
           && !qobject_cast<const QAbstractSpinBox*>(widget) && !qobject_cast<const QPlainTextEdit*>(widget)
           && !qobject_cast<const QTextEdit*>(widget);
}

namespace {

constexpr char kCornerRadius[] = "focusRingCornerRadius";

} // namespace

void FocusRing::setCornerRadius(QWidget* control, qreal radius)
{
    control->setProperty(kCornerRadius, radius);
}

FocusRing::FocusRing(QWidget* target) : QWidget(target->window()), m_target(target)
{
    setObjectName("focusRing");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    for (QWidget* link = target; link; link = link->isWindow() ? nullptr : link->parentWidget()) {
        link->installEventFilter(this);
        m_chain.append(link);
    }
    // Sent from the control's destructor, before the pointer to it would clear itself.
    connect(target, &QObject::destroyed, this, [this] {
        m_target = nullptr;
        hide();
        deleteLater();
    });
    follow();
}

QRect FocusRing::outline() const
{
    if (!m_target)
        return {};
    return QRect(m_target->mapTo(parentWidget(), QPoint(0, 0)), m_target->size())
        .adjusted(-offset, -offset, offset, offset);
}

QRect FocusRing::shownArea() const
{
    QWidget* window = parentWidget();
    QRect area = window->rect();
    for (QWidget* link = m_target->parentWidget(); link && link != window; link = link->parentWidget()) {
        const auto* scroller = qobject_cast<const QAbstractScrollArea*>(link->parentWidget());
        if (scroller && scroller->viewport() == link)
            area &= QRect(link->mapTo(window, QPoint(0, 0)), link->size()).adjusted(-offset, -offset, offset, offset);
    }
    return area;
}

void FocusRing::follow()
{
    if (!m_target || !m_target->isVisible() || m_target->window() != parentWidget()) {
        hide();
        return;
    }
    const QRect ring = outline();
    m_clip = shownArea().translated(-ring.topLeft());
    setGeometry(ring);
    show();
    raise();
    update();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize: {
        follow();
        const QWidget* link = static_cast<QWidget*>(watched);
        const QWidget* viewport = link->parentWidget();
        const auto* scroller = qobject_cast<const QAbstractScrollArea*>(viewport ? viewport->parentWidget() : nullptr);
        // A page's content moves as the page scrolls.
        if (event->type() == QEvent::Resize || !scroller || scroller->viewport() != viewport)
            emit laidOut();
        break;
    }
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange: follow(); break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*)
{
    if (!m_target)
        return;
    QPainter painter(this);
    painter.setClipRect(m_clip);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outline = QRectF(rect()).adjusted(penWidth / 2, penWidth / 2, -penWidth / 2, -penWidth / 2);
    const QVariant set = m_target->property(kCornerRadius);
    const qreal radius = (set.isValid() ? set.toReal() : std::min<qreal>(8, m_target->height() / 2.0)) + offset;
    painter.setPen(QPen(Color::neonCyan(), penWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, radius, radius);
}
