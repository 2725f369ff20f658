#pragma once

#include "assistant/AIContextAttachment.h"
#include "style/RoundedPanel.h"

class SymbolTileButton;
class TextLabel;

// One attachment waiting for the next message: its kind's symbol, its title and excerpt cut to one
// line each, and a button that removes it.
class AttachmentChip : public RoundedPanel {
    Q_OBJECT
public:
    // The widest the title and excerpt are drawn before they are cut.
    static constexpr int maxTextWidth = 220;

    explicit AttachmentChip(const AIContextAttachment& attachment, QWidget* parent = nullptr);

    static QString symbol(AIContextKind kind);
    const QUuid& attachmentID() const { return m_id; }
    SymbolTileButton* removeButton() const { return m_remove; }

signals:
    void removeRequested(const QUuid& id);

private:
    QUuid m_id;
    SymbolTileButton* m_remove;
};
