#include "AIMessageBubble.h"

#include "style/Color.h"
#include "style/Fonts.h"
#include "style/KeptGlyphs.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>

namespace {

constexpr int textPixels = 14;
constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 10;
constexpr qreal cornerRadius = 12;

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(opacity);
    return color;
}

} // namespace

AIMessageBubble::AIMessageBubble(const ChatMessage& message, QWidget* parent)
    : QWidget(parent), m_message(message), m_label(new QLabel(this))
{
    m_label->setObjectName("bubbleText");
    m_label->setTextFormat(Qt::PlainText);
    m_label->setText(message.content);
    m_label->setWordWrap(true);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setFont(Fonts::ui(textPixels));
    m_label->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding, verticalPadding);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, Color::white95());
    m_label->setPalette(palette);
    // Selectable text is drawn from the label's own document.
    if (auto* document = m_label->findChild<QTextDocument*>())
        KeptGlyphs::keep(*document);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

int AIMessageBubble::heightOfLines(int lines)
{
    return lines * QFontMetrics(Fonts::ui(textPixels)).lineSpacing() + 2 * verticalPadding;
}

int AIMessageBubble::bubbleWidth(int width) const
{
    const int natural = m_label->fontMetrics().boundingRect(QRect(0, 0, 100000, 100000), Qt::TextExpandTabs,
                                                            m_message.content).width() +
                        2 * horizontalPadding + 1;
    return std::max(0, std::min(natural, width - freeSide));
}

int AIMessageBubble::heightForWidth(int width) const
{
    return m_label->heightForWidth(bubbleWidth(width));
}

QSize AIMessageBubble::sizeHint() const
{
    const int width = parentWidget() ? parentWidget()->width() : 400;
    return {width, heightForWidth(width)};
}

void AIMessageBubble::resizeEvent(QResizeEvent*)
{
    placeLabel();
}

void AIMessageBubble::placeLabel()
{
    const int width = bubbleWidth(this->width());
    const int x = m_message.role == ChatRole::user ? this->width() - width : 0;
    m_label->setGeometry(x, 0, width, m_label->heightForWidth(width));
}

void AIMessageBubble::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    const QRect bubble = m_label->geometry();
    target.translate(bubble.topLeft());
    m_shape.draw(target, bubble.size(), {}, cornerRadius + 2,
                 [this](QPainter& painter, const QRectF& bounds) {
                     painter.setRenderHint(QPainter::Antialiasing);
                     const bool mine = m_message.role == ChatRole::user;
                     QPainterPath shape;
                     shape.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
                     painter.fillPath(shape, mine ? withOpacity(Color::neonCyan(), 0.18) : Color::white10());
                     painter.setPen(QPen(mine ? withOpacity(Color::neonCyan(), 0.35) : Color::white10(), 1));
                     painter.drawPath(shape);
                 });
}
