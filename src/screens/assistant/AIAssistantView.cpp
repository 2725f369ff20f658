#include "AIAssistantView.h"

#include "AIMessageBubble.h"
#include "TypingBubble.h"
#include "assistant/AIAssistantViewModel.h"
#include "assistant/QAMatcher.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/GradientText.h"
#include "style/SymbolTileButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLinearGradient accent()
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, Color::neonCyan());
    gradient.setColorAt(1, Color::neonPurple());
    return gradient;
}

} // namespace

AIAssistantView::AIAssistantView(QWidget* parent, AIAssistantViewModel* model)
    : QWidget(parent), m_model(model ? model : new AIAssistantViewModel(QAMatcher::shared(), {}, this))
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(16);
    stack->addWidget(header());
    stack->addWidget(messageList(), 1);
    stack->addWidget(composer());

    connect(m_model, &AIAssistantViewModel::messagesChanged, this, [this] {
        syncMessages();
        QTimer::singleShot(scrollDelayMs, this, &AIAssistantView::scrollToBottom);
    });
    connect(m_model, &AIAssistantViewModel::typingChanged, this, [this] {
        m_typing->setVisible(m_model->isTyping());
        syncComposer();
        QTimer::singleShot(scrollDelayMs, this, &AIAssistantView::scrollToBottom);
    });
    syncMessages();
    syncComposer();
}

QWidget* AIAssistantView::header()
{
    auto* card = new GlassModifier(16, 16, this);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* symbol = new SymbolView("sparkles", 24, Color::neonCyan(), card);
    symbol->setGradient(accent());
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(new GradientText("Quillmarsh Assistant", Fonts::ui(24, QFont::Bold), card));
    titles->addWidget(new TextLabel("Local help and troubleshooting ready", 12, QFont::Medium, Color::white70(), card));
    row->addLayout(titles);
    row->addStretch(1);
    auto* reset = new SymbolTileButton("arrow.clockwise", 15, Color::white95(), 34, 8, card);
    reset->setToolTip(QStringLiteral("Start a new conversation"));
    reset->setObjectName("resetButton");
    connect(reset, &SymbolTileButton::clicked, m_model, &AIAssistantViewModel::reset);
    row->addWidget(reset, 0, Qt::AlignVCenter);
    card->body()->addLayout(row);
    return card;
}

QWidget* AIAssistantView::messageList()
{
    auto* card = new GlassModifier(16, 14, this);
    m_scroll = new QScrollArea(card);
    m_scroll->setObjectName("messageScroll");
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    m_rows = new QVBoxLayout(content);
    m_rows->setContentsMargins(0, 6, 0, 6);
    m_rows->setSpacing(12);
    m_typing = new TypingBubble(content);
    m_typing->setVisible(false);
    m_rows->addWidget(m_typing, 0, Qt::AlignLeft);
    m_rows->addStretch(1);
    m_scroll->setWidget(content);
    // setWidget() makes the content paint its background; the card's glass must show through.
    content->setAutoFillBackground(false);
    card->body()->addWidget(m_scroll);
    return card;
}

QWidget* AIAssistantView::composer()
{
    auto* card = new GlassModifier(16, 12, this);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_draft = new QLineEdit(card);
    m_draft->setObjectName("draftField");
    m_draft->setPlaceholderText("Ask about Quillmarsh, setup, cleanup, or performance");
    m_draft->setFont(Fonts::ui(14));
    m_draft->setFrame(false);
    m_draft->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; border: none; border-radius: 10px;"
                                          " padding: 12px 14px; }")
                               .arg(Color::white10().name(QColor::HexArgb), Color::white95().name(QColor::HexArgb)));
    connect(m_draft, &QLineEdit::returnPressed, this, &AIAssistantView::submitDraft);
    connect(m_draft, &QLineEdit::textChanged, this, &AIAssistantView::syncComposer);
    row->addWidget(m_draft, 1);
    m_send = new SymbolTileButton("paperplane.fill", 16, Color::white95(), 42, 10, card);
    m_send->setToolTip(QStringLiteral("Send"));
    m_send->setObjectName("sendButton");
    connect(m_send, &SymbolTileButton::clicked, this, &AIAssistantView::submitDraft);
    row->addWidget(m_send);
    card->body()->addLayout(row);
    return card;
}

void AIAssistantView::submitDraft()
{
    const QString text = m_draft->text().trimmed();
    if (text.isEmpty())
        return;
    m_draft->clear();
    m_model->send(text);
}

void AIAssistantView::syncComposer()
{
    const bool hasText = !m_draft->text().trimmed().isEmpty();
    m_send->setTile(hasText ? QBrush(accent()) : QBrush(Color::white10()));
    m_send->setEnabled(hasText && !m_model->isTyping());
}

void AIAssistantView::syncMessages()
{
    const QList<ChatMessage>& messages = m_model->messages();
    bool prefix = m_bubbles.size() <= messages.size();
    for (qsizetype i = 0; prefix && i < m_bubbles.size(); ++i)
        prefix = m_bubbles[i]->message().id == messages[i].id;
    if (!prefix) {
        for (AIMessageBubble* bubble : std::as_const(m_bubbles))
            delete bubble;
        m_bubbles.clear();
    }
    // New bubbles go above the typing row, which stays last.
    for (qsizetype i = m_bubbles.size(); i < messages.size(); ++i) {
        auto* bubble = new AIMessageBubble(messages[i], m_scroll->widget());
        m_rows->insertWidget(m_rows->indexOf(m_typing), bubble);
        m_bubbles.append(bubble);
    }
}

void AIAssistantView::scrollToBottom()
{
    QScrollBar* bar = m_scroll->verticalScrollBar();
    bar->setValue(bar->maximum());
}
