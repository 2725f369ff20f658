#include "TextLabel.h"

#include "Fonts.h"

#include <QStyle>
#include <QStyleOption>

TextLabel::TextLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color, QWidget* parent)
    : QLabel(text, parent)
{
    setFont(Fonts::ui(pixelSize, weight));
    setTextFormat(Qt::PlainText);
    setColor(color);
}

void TextLabel::setColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor TextLabel::color() const
{
    return palette().color(QPalette::WindowText);
}

bool TextLabel::drawnByQLabel() const
{
    constexpr Qt::TextInteractionFlags selectable =
        Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::TextEditable;
    return textFormat() != Qt::PlainText || (textInteractionFlags() & selectable) || !pixmap().isNull()
           || frameWidth() != 0 || indent() > 0 || buddy() != nullptr;
}

TextLabel::Look TextLabel::look() const
{
    return {text(),      font(),   palette().cacheKey(), int(alignment()), wordWrap(),
            isEnabled(), int(foregroundRole()), margin(), contentsRect()};
}

void TextLabel::paintEvent(QPaintEvent* event)
{
    if (drawnByQLabel()) {
        QLabel::paintEvent(event);
        return;
    }
    if (text().isEmpty())
        return;
    QPainter target(this);
    m_cache.draw(target, *this, look(), [this](QPainter& painter) {
        // What QLabel draws for plain text without frame, indent or buddy.
        const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const bool leftToRight = !text().isRightToLeft();
        int flags = int(QStyle::visualAlignment(leftToRight ? Qt::LeftToRight : Qt::RightToLeft, alignment()));
        if (wordWrap())
            flags |= Qt::TextWordWrap;
        flags |= leftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft;
        QStyleOption option;
        option.initFrom(this);
        style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), text(), foregroundRole());
    });
}
