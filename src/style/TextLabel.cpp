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

QString TextLabel::paintKey() const
{
    const QRect area = contentsRect();
    return text() + QChar(0) + font().key() + QChar(0)
           + QString("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
                 .arg(palette().cacheKey())
                 .arg(int(alignment()))
                 .arg(wordWrap())
                 .arg(isEnabled())
                 .arg(int(foregroundRole()))
                 .arg(margin())
                 .arg(area.x())
                 .arg(area.y())
                 .arg(area.width())
                 .arg(area.height());
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
    m_cache.draw(target, *this, paintKey(), [this](QPainter& painter) {
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
