#include "FieldEditor.h"

#include "FieldLook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QScrollBar>

FieldEditor::FieldEditor(int fontSize, int cornerRadius, int padding, QWidget* parent)
    : QPlainTextEdit(parent), m_cornerRadius(cornerRadius)
{
    // The padding lies inside the fill, around the text and the scroll bar alike, as a style
    // sheet's padding does: a plain box frame that wide, which is never drawn.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(padding);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    viewport()->setAutoFillBackground(false);
    FieldLook::applyColours(*this, fontSize);
    // The scroll bar keeps the application's colours, as under a style sheet that has no rule for it.
    QPalette barPalette = QApplication::palette(verticalScrollBar());
    barPalette.setResolveMask(~QPalette::ResolveMask(0));
    verticalScrollBar()->setPalette(barPalette);
}

bool FieldEditor::event(QEvent* event)
{
    // The editor's own paint event (the viewport's goes to paintEvent): the fill and nothing else.
    if (event->type() != QEvent::Paint)
        return QPlainTextEdit::event(event);
    QPainter target(this);
    m_fill.draw(target, size(), QString(), m_cornerRadius + 1,
                [this](QPainter& painter, const QRectF& bounds) { FieldLook::paintFill(painter, bounds, m_cornerRadius); },
                static_cast<QPaintEvent*>(event)->rect());
    return true;
}

void FieldEditor::keyPressEvent(QKeyEvent* event)
{
    // Plain Tab and Shift+Tab never get here; Ctrl+Tab would otherwise be typed.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        focusNextPrevChild(!back);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
