#include "AIConnectChatPanel.h"

#include "AIMessageBubble.h"
#include "AttachmentChip.h"
#include "ChatTranscript.h"
#include "FilePicker.h"
#include "assistant/AIConnectViewModel.h"
#include "storage/ColorBlindMode.h"
#include "style/ClearScrollArea.h"
#include "style/Color.h"
#include "style/FieldLine.h"
#include "style/FieldLook.h"
#include "style/FocusKeeper.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/GradientButton.h"
#include "style/SymbolTileButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

AIConnectChatPanel::AIConnectChatPanel(AIConnectViewModel& model, std::shared_ptr<FilePicker> filePicker, QWidget* parent)
    : QWidget(parent), m_model(model), m_filePicker(std::move(filePicker))
{
    setObjectName("chatPanel");
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(14);
    stack->addWidget(statusHeader());
    stack->addWidget(attachmentStrip());
    stack->addWidget(noticeRow());
    auto* transcriptCard = new GlassModifier(16, 14, this);
    m_transcript = new ChatTranscript(transcriptCard);
    m_transcript->setObjectName("transcript");
    m_transcript->setMinimumHeight(AIMessageBubble::heightOfLines(transcriptLeastLines));
    transcriptCard->body()->addWidget(m_transcript);
    stack->addWidget(transcriptCard, 1);
    stack->addWidget(composer());
    refresh();
}

SymbolTileButton* AIConnectChatPanel::iconButton(const QString& symbol, const QString& objectName, int tileSize,
                                                 qreal cornerRadius, QWidget* parent)
{
    auto* button = new SymbolTileButton(symbol, 15, Color::white95(), tileSize, cornerRadius, parent);
    button->setObjectName(objectName);
    button->setTile(Color::white10b());
    return button;
}

QWidget* AIConnectChatPanel::statusHeader()
{
    auto* card = new GlassModifier(14, 12, this);
    card->setObjectName("statusHeader");
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* connected = new QHBoxLayout;
    connected->setSpacing(6);
    m_statusSymbol = new SymbolView("checkmark.circle.fill", 14, Color::neonGreen(), card);
    m_status = new TextLabel(QString(), 13, QFont::DemiBold, Color::neonGreen(), card);
    m_status->setObjectName("connectedLabel");
    connected->addWidget(m_statusSymbol, 0, Qt::AlignVCenter);
    connected->addWidget(m_status, 0, Qt::AlignVCenter);
    row->addLayout(connected);
    m_modelID = new TextLabel(QString(), 12, QFont::Medium, Color::white70(), card);
    m_modelID->setObjectName("modelLabel");
    m_usage = new TextLabel(QString(), 12, QFont::Medium, Color::white70(), card);
    m_usage->setObjectName("usageLabel");
    m_loading = new TextLabel("Loading context...", 12, QFont::Medium, Color::white70(), card);
    m_loading->setObjectName("loadingLabel");
    for (TextLabel* label : {m_modelID, m_usage, m_loading})
        row->addWidget(label, 0, Qt::AlignVCenter);
    row->addStretch(1);

    auto* attach = iconButton("paperclip", "attachFilesButton", 34, 8, card);
    attach->setToolTip("Attach local text or code files");
    connect(attach, &SymbolTileButton::clicked, this, &AIConnectChatPanel::pickFiles);
    auto* link = iconButton("globe", "addLinkButton", 34, 8, card);
    link->setToolTip("Pull context from a web or GitHub link");
    connect(link, &SymbolTileButton::clicked, this, &AIConnectChatPanel::linkRequested);
    m_test = iconButton("bolt.fill", "testButton", 34, 8, card);
    connect(m_test, &SymbolTileButton::clicked, this,
            [this] { m_model.send(AIConnectViewModel::connectionTestPrompt, true); });
    auto* clear = iconButton("arrow.clockwise", "clearChatButton", 34, 8, card);
    FocusKeeper::setDiscarding(clear);
    connect(clear, &SymbolTileButton::clicked, &m_model, &AIConnectViewModel::clearChat);
    for (SymbolTileButton* button : {attach, link, m_test, clear})
        row->addWidget(button, 0, Qt::AlignVCenter);

    const QFont font = Fonts::ui(13, QFont::DemiBold);
    auto* disconnect = new GradientButton("Disconnect", font, QSize(12, (34 - QFontMetrics(font).height()) / 2), 8, card);
    disconnect->setObjectName("disconnectButton");
    FocusKeeper::setKey(disconnect, "connection");
    FocusKeeper::setDiscarding(disconnect);
    disconnect->setGradientShown(false);
    connect(disconnect, &GradientButton::clicked, &m_model, &AIConnectViewModel::disconnectProvider);
    row->addWidget(disconnect, 0, Qt::AlignVCenter);
    card->body()->addLayout(row);
    return card;
}

QWidget* AIConnectChatPanel::attachmentStrip()
{
    m_strip = new GlassModifier(14, 12, this);
    m_strip->setObjectName("attachmentStrip");
    auto* scroll = new ClearScrollArea(m_strip);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    m_chipRow = new QHBoxLayout(content);
    m_chipRow->setContentsMargins(0, 0, 0, 0);
    m_chipRow->setSpacing(10);
    m_chipRow->addStretch(1);
    scroll->setWidget(content);
    content->setAutoFillBackground(false);
    m_strip->body()->addWidget(scroll);
    return m_strip;
}

QWidget* AIConnectChatPanel::noticeRow()
{
    m_noticeRow = new GlassModifier(14, 12, this);
    m_noticeRow->setObjectName("noticeRow");
    m_notice = new TextLabel(QString(), 12, QFont::Medium, Color::systemOrange(), m_noticeRow);
    m_notice->setObjectName("chatNotice");
    m_notice->setWordWrap(true);
    m_noticeRow->body()->addWidget(m_notice);
    return m_noticeRow;
}

QWidget* AIConnectChatPanel::composer()
{
    auto* card = new GlassModifier(16, 12, this);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_draft = new FieldLine(card);
    m_draft->setObjectName("draftField");
    // Where the setup's key field and Connect buttons leave the focus once the key is stored:
    // Disconnect, which shares their key, would delete it on the next Return.
    FocusKeeper::setKey(m_draft, "connection");
    m_draft->setPlaceholderText("Ask anything or send a prompt with attached context");
    FieldLook::apply(*m_draft, 14, 10, 14, 12);
    connect(m_draft, &QLineEdit::returnPressed, this, &AIConnectChatPanel::sendDraft);
    connect(m_draft, &QLineEdit::textChanged, this, &AIConnectChatPanel::refresh);
    row->addWidget(m_draft, 1);
    m_send = iconButton("paperplane.fill", "sendButton", 42, 10, card);
    connect(m_send, &SymbolTileButton::clicked, this, &AIConnectChatPanel::sendDraft);
    m_stop = iconButton("xmark", "stopButton", 42, 10, card);
    connect(m_stop, &SymbolTileButton::clicked, &m_model, &AIConnectViewModel::cancelSending);
    row->addWidget(m_send);
    row->addWidget(m_stop);
    card->body()->addLayout(row);
    return card;
}

QString AIConnectChatPanel::statusText(const QString& providerName, AIConnectViewModel::LastAnswer answer)
{
    switch (answer) {
    case AIConnectViewModel::LastAnswer::testFailed:
        return providerName + QStringLiteral(" key saved \u00b7 connection test failed");
    case AIConnectViewModel::LastAnswer::requestFailed:
        return providerName + QStringLiteral(" key saved \u00b7 last request failed");
    case AIConnectViewModel::LastAnswer::none:
    case AIConnectViewModel::LastAnswer::replied:
        break;
    }
    return QStringLiteral("Connected to ") + providerName;
}

void AIConnectChatPanel::sendDraft()
{
    const QString text = m_draft->text().trimmed();
    if (text.isEmpty())
        return;
    m_draft->clear();
    m_model.send(text, false);
}

void AIConnectChatPanel::pickFiles()
{
    const QStringList files = m_filePicker->chooseFiles(window(), QStringLiteral("Attach"));
    if (!files.isEmpty())
        m_model.attachFiles(files);
}

void AIConnectChatPanel::refreshChips()
{
    const auto& attachments = m_model.attachments();
    bool same = m_chips.size() == attachments.size();
    for (qsizetype i = 0; same && i < m_chips.size(); ++i)
        same = m_chips[i]->attachmentID() == attachments[i].id;
    if (same)
        return;
    qDeleteAll(m_chips);
    m_chips.clear();
    for (const AIContextAttachment& attachment : attachments) {
        auto* chip = new AttachmentChip(attachment, m_chipRow->parentWidget());
        FocusKeeper::setKey(chip, "attachment:" + attachment.id.toString());
        connect(chip, &AttachmentChip::removeRequested, &m_model, &AIConnectViewModel::removeAttachment);
        m_chipRow->insertWidget(m_chipRow->count() - 1, chip);
        m_chips.append(chip);
    }
}

void AIConnectChatPanel::refresh()
{
    const bool colorBlind = ColorBlindMode::enabled();
    const auto answer = m_model.lastAnswer();
    const bool failed = answer == AIConnectViewModel::LastAnswer::testFailed ||
                        answer == AIConnectViewModel::LastAnswer::requestFailed;
    const QColor statusColor = failed ? Color::statusWarning() : Color::statusGood();
    m_statusSymbol->setSymbol(failed ? "exclamationmark.triangle.fill" : "checkmark.circle.fill", statusColor);
    m_status->setText(statusText(AIProviders::rawValue(m_model.provider()), answer));
    m_status->setColor(Color::onCard(statusColor));
    m_modelID->setText(m_model.settings().modelID);
    m_usage->setText(m_model.lastUsage().value_or(QString()));
    m_usage->setVisible(m_model.lastUsage().has_value());
    m_loading->setVisible(m_model.isImportingContext());
    m_test->setEnabled(!m_model.isSending());

    refreshChips();
    m_strip->setVisible(!m_model.attachments().isEmpty());
    m_notice->setText(m_model.errorMessage());
    m_notice->setColor(Color::onCard(colorBlind ? Color::cbMagenta() : Color::systemOrange()));
    m_noticeRow->setVisible(!m_model.errorMessage().isEmpty());

    m_transcript->setMessages(m_model.messages());
    m_transcript->setTyping(m_model.isSending());

    const bool typed = !m_draft->text().trimmed().isEmpty();
    m_send->setTile(typed ? QBrush(Color::accentGradient()) : QBrush(Color::white10b()));
    m_send->setEnabled(typed);
    m_send->setVisible(!m_model.isSending());
    m_stop->setVisible(m_model.isSending());
}
