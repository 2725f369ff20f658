#include "AIAssistantView.h"

#include "ChatTranscript.h"
#include "assistant/AIAssistantViewModel.h"
#include "assistant/QAMatcher.h"
#include "style/Color.h"
#include "style/FieldLine.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/GradientText.h"
#include "style/SymbolTileButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
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

    connect(m_model, &AIAssistantViewModel::messagesChanged, this,
            [this] { m_transcript->setMessages(m_model->messages()); });
    connect(m_model, &AIAssistantViewModel::typingChanged, this, [this] {
        m_transcript->setTyping(m_model->isTyping());
        syncComposer();
    });
    m_transcript->setMessages(m_model->messages());
    m_transcript->setTyping(m_model->isTyping());
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
    m_transcript = new ChatTranscript(card);
    m_transcript->setObjectName("messageScroll");
    card->body()->addWidget(m_transcript);
    return card;
}

QWidget* AIAssistantView::composer()
{
    auto* card = new GlassModifier(16, 12, this);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_draft = new FieldLine(card);
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
