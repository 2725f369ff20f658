#pragma once

#include "assistant/ChatMessage.h"
#include "style/NineSlice.h"

#include <QWidget>

class QLabel;

// One chat message: the user's at the right edge on a faint cyan bubble, the assistant's at the
// left on a faint white one, each leaving at least 80 pixels free on the other side. The text is
// plain and selectable, never read as markup.
class AIMessageBubble : public QWidget {
    Q_OBJECT
public:
    static constexpr int freeSide = 80;

    explicit AIMessageBubble(const ChatMessage& message, QWidget* parent = nullptr);

    // The height of a bubble whose text takes this many lines.
    static int heightOfLines(int lines);

    const ChatMessage& message() const { return m_message; }
    QLabel* label() const { return m_label; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int bubbleWidth(int width) const;
    void placeLabel();

    ChatMessage m_message;
    QLabel* m_label;
    NineSlice m_shape;
};
