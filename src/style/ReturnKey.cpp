#include "ReturnKey.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

ReturnKey* watcher = nullptr;

} // namespace

void ReturnKey::install()
{
    if (watcher)
        return;
    watcher = new ReturnKey(qApp);
    qApp->installEventFilter(watcher);
}

bool ReturnKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusWidget())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    const auto* push = qobject_cast<QPushButton*>(watched);
    if (!button || !button->isEnabled() || (push && (push->autoDefault() || push->isDefault())))
        return false;
    if (!key->isAutoRepeat())
        button->click();
    return true;
}
