#pragma once

#include "assistant/ChatMessage.h"

#include <QList>
#include "style/ClearScrollArea.h"

class AIMessageBubble;
class QVBoxLayout;
class TypingBubble;

// A chat's messages as bubbles, oldest first, with the typing row below them while a reply is
// awaited, in a vertical scroll area. After each change it brings the newest message (or, with no
// message, the typing row) to the bottom edge, and keeps it there while the layout settles, however
// late that is, until the next change or until the user scrolls.
class ChatTranscript : public ClearScrollArea {
    Q_OBJECT
public:
    static constexpr int scrollDelayMs = 50;

    explicit ChatTranscript(QWidget* parent = nullptr);

    void setMessages(const QList<ChatMessage>& messages);
    void setTyping(bool typing);
    const QList<AIMessageBubble*>& bubbles() const { return m_bubbles; }
    TypingBubble* typingRow() const { return m_typing; }
    // No taller than its least height: the transcript takes the height its screen leaves, and a
    // long conversation must not make the page around it grow and scroll instead.
    QSize sizeHint() const override;

private:
    void scheduleScroll();
    void scrollToLatest();

    QVBoxLayout* m_rows;
    bool m_following = false;
    QList<AIMessageBubble*> m_bubbles;
    TypingBubble* m_typing;
};
