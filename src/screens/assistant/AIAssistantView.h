#pragma once

#include <QWidget>

class AIAssistantViewModel;
class ChatTranscript;
class QLineEdit;
class SymbolTileButton;

// The Assistant screen: a chat with the offline question matcher. The screen owns its
// conversation, which starts again each time the screen is made.
class AIAssistantView : public QWidget {
    Q_OBJECT
public:
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
    void syncComposer();

    AIAssistantViewModel* m_model;
    ChatTranscript* m_transcript = nullptr;
    QLineEdit* m_draft = nullptr;
    SymbolTileButton* m_send = nullptr;
};
