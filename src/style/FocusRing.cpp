#include "FocusRing.h"

#include "Color.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace {

// Follows focus changes and keeps the one ring over the control that has the keyboard focus.
class FocusWatcher : public QObject {
public:
    using QObject::QObject;

    QPointer<QWidget> ring;
    // Whether focus last arrived from the keyboard; a click sets it back.
    bool fromKeyboard = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

FocusWatcher* watcher = nullptr;

bool keyboardReason(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

} // namespace

bool FocusWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusIn || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (keyboardReason(reason))
        fromKeyboard = true;
    else if (reason == Qt::MouseFocusReason)
        fromKeyboard = false;
    delete ring;
    if (fromKeyboard && FocusRing::marks(widget))
        ring = new FocusRing(widget);
    return false;
}

void FocusRing::install()
{
    if (watcher)
        return;
    watcher = new FocusWatcher(qApp);
    qApp->installEventFilter(watcher);
}

bool FocusRing::marks(const QWidget* widget)
{
    return widget && !widget->isWindow() && widget->parentWidget() && !qobject_cast<const QLineEdit*>(widget)
           && !qobject_cast<const QAbstractSpinBox*>(widget) && !qobject_cast<const QAbstractScrollArea*>(widget);
}

FocusRing::FocusRing(QWidget* target) : QWidget(target->parentWidget()), m_target(target)
{
    setObjectName("focusRing");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    target->installEventFilter(this);
    connect(target, &QObject::destroyed, this, &QObject::deleteLater);
    follow();
}

void FocusRing::follow()
{
    setGeometry(m_target->geometry().adjusted(-offset, -offset, offset, offset));
    setVisible(m_target->isVisible());
    raise();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::FocusOut:
            hide();
            deleteLater();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide: follow(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outline = QRectF(rect()).adjusted(penWidth / 2, penWidth / 2, -penWidth / 2, -penWidth / 2);
    const qreal radius = std::min<qreal>(8, m_target->height() / 2.0) + offset;
    painter.setPen(QPen(Color::neonCyan(), penWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, radius, radius);
}
