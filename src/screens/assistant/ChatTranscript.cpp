#include "ChatTranscript.h"

#include "AIMessageBubble.h"
#include "TypingBubble.h"

#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

ChatTranscript::ChatTranscript(QWidget* parent) : ClearScrollArea(parent)
{
    // A Tab stop, so the conversation can be scrolled with the keys.
    setFocusPolicy(Qt::StrongFocus);
    auto* content = new QWidget;
    m_rows = new QVBoxLayout(content);
    m_rows->setContentsMargins(0, 6, 0, 6);
    m_rows->setSpacing(12);
    m_typing = new TypingBubble(content);
    m_typing->setObjectName("typingRow");
    m_typing->setVisible(false);
    m_rows->addWidget(m_typing, 0, Qt::AlignLeft);
    m_rows->addStretch(1);
    setWidget(content);
    // setWidget() makes the content paint its background; the card's glass must show through.
    content->setAutoFillBackground(false);
    // Bubbles rewrap and the viewport resizes after the deferred scroll whenever the GUI thread is
    // late; each such change moves the scroll range, and the newest row is put back at the bottom.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
        if (m_following)
            scrollToLatest();
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_following = false; });
}

QSize ChatTranscript::sizeHint() const
{
    return {ClearScrollArea::sizeHint().width(), minimumHeight()};
}

void ChatTranscript::setMessages(const QList<ChatMessage>& messages)
{
    bool same = m_bubbles.size() == messages.size();
    bool prefix = m_bubbles.size() <= messages.size();
    for (qsizetype i = 0; prefix && i < m_bubbles.size(); ++i)
        prefix = m_bubbles[i]->message() == messages[i];
    same = same && prefix;
    if (same)
        return;
    if (!prefix) {
        qDeleteAll(m_bubbles);
        m_bubbles.clear();
    }
    // New bubbles go above the typing row, which stays last.
    for (qsizetype i = m_bubbles.size(); i < messages.size(); ++i) {
        auto* bubble = new AIMessageBubble(messages[i], widget());
        m_rows->insertWidget(m_rows->indexOf(m_typing), bubble);
        m_bubbles.append(bubble);
    }
    scheduleScroll();
}

void ChatTranscript::setTyping(bool typing)
{
    if (typing == !m_typing->isHidden())
        return;
    m_typing->setVisible(typing);
    scheduleScroll();
}

void ChatTranscript::scheduleScroll()
{
    m_following = true;
    QTimer::singleShot(scrollDelayMs, this, &ChatTranscript::scrollToLatest);
}

void ChatTranscript::scrollToLatest()
{
    QWidget* latest = nullptr;
    if (!m_bubbles.isEmpty())
        latest = m_bubbles.last();
    else if (!m_typing->isHidden())
        latest = m_typing;
    if (!latest)
        return;
    widget()->layout()->activate();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(std::clamp(latest->geometry().bottom() + 1 - viewport()->height(), 0, bar->maximum()));
}
