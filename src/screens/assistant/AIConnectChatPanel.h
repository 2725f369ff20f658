#pragma once

#include "assistant/AIConnectViewModel.h"

#include <QList>
#include <QWidget>
#include <memory>

class AttachmentChip;
class ChatTranscript;
class FilePicker;
class GlassModifier;
class GradientButton;
class QHBoxLayout;
class QLineEdit;
class SymbolTileButton;
class SymbolView;
class TextLabel;

// The connected state of AI Connect: the status header with model, usage and the context,
// test, clear and disconnect actions; the attachments waiting for the next message; the notice
// line; the transcript; and the composer with its send and stop buttons.
class AIConnectChatPanel : public QWidget {
    Q_OBJECT
public:
    // The transcript takes whatever height the screen's other parts leave, and never less than a
    // whole reply of this many lines.
    static constexpr int transcriptLeastLines = 5;

    AIConnectChatPanel(AIConnectViewModel& model, std::shared_ptr<FilePicker> filePicker, QWidget* parent = nullptr);

    // "Connected to" the provider until a request comes back failed; then what is known: the key
    // is saved and the latest test or request failed.
    static QString statusText(const QString& providerName, AIConnectViewModel::LastAnswer answer);

    void refresh();
    // Sends the trimmed draft and empties the field; a blank draft stays and nothing is sent.
    void sendDraft();
    void pickFiles();
    ChatTranscript* transcript() const { return m_transcript; }
    QList<AttachmentChip*> chips() const { return m_chips; }

signals:
    void linkRequested();

private:
    QWidget* statusHeader();
    QWidget* attachmentStrip();
    QWidget* noticeRow();
    QWidget* composer();
    SymbolTileButton* iconButton(const QString& symbol, const QString& objectName, int tileSize, qreal cornerRadius,
                                 QWidget* parent);
    void refreshChips();

    AIConnectViewModel& m_model;
    std::shared_ptr<FilePicker> m_filePicker;
    SymbolView* m_statusSymbol = nullptr;
    TextLabel* m_status = nullptr;
    TextLabel* m_modelID = nullptr;
    TextLabel* m_usage = nullptr;
    TextLabel* m_loading = nullptr;
    SymbolTileButton* m_test = nullptr;
    GlassModifier* m_strip = nullptr;
    QHBoxLayout* m_chipRow = nullptr;
    QList<AttachmentChip*> m_chips;
    GlassModifier* m_noticeRow = nullptr;
    TextLabel* m_notice = nullptr;
    ChatTranscript* m_transcript = nullptr;
    QLineEdit* m_draft = nullptr;
    SymbolTileButton* m_send = nullptr;
    SymbolTileButton* m_stop = nullptr;
};
