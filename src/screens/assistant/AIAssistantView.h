#pragma once

#include <QList>
#include <QWidget>

class AIAssistantViewModel;
class AIMessageBubble;
class QAMatcher;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class SymbolTileButton;
class TypingBubble;

// The Assistant screen: a chat with the offline question matcher. The screen owns its
// conversation, which starts again each time the screen is made.
class AIAssistantView : public QWidget {
    Q_OBJECT
public:
    static constexpr int scrollDelayMs = 50;

    // `model` is a conversation to show, borrowed for the screen's life; without one the screen makes
    // its own over the shared matcher.
    explicit AIAssistantView(QWidget* parent = nullptr, AIAssistantViewModel* model = nullptr);

    AIAssistantViewModel& viewModel() const { return *m_model; }
    // Sends the trimmed draft and empties the field; a blank draft sends nothing.
    void submitDraft();

private:
    QWidget* header();
    QWidget* messageList();
    QWidget* composer();
    void syncMessages();
    void syncComposer();
    void scrollToBottom();

    AIAssistantViewModel* m_model;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QList<AIMessageBubble*> m_bubbles;
    TypingBubble* m_typing = nullptr;
    QLineEdit* m_draft = nullptr;
    SymbolTileButton* m_send = nullptr;
};
