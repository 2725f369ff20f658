#include "AIConnectView.h"

#include "AIConnectChatPanel.h"
#include "AIConnectSettingsCard.h"
#include "AIConnectSetupPanel.h"
#include "AILinkSheet.h"
#include "assistant/AIConnectViewModel.h"
#include "style/ClearScrollArea.h"
#include "style/Color.h"
#include "style/FocusKeeper.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/GradientButton.h"
#include "style/GradientText.h"
#include "style/PageKeys.h"
#include "style/PickerBox.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

AIConnectView::AIConnectView(std::unique_ptr<AIConnectViewModel> model, std::shared_ptr<URLOpener> urlOpener,
                             std::shared_ptr<FilePicker> filePicker, QWidget* parent)
    : QWidget(parent), m_model(std::move(model))
{
    // The page fits the window: the header, the settings and, once connected, the status row and
    // the composer keep their heights and the transcript takes what is left. It scrolls only when
    // the window is too low even for that.
    auto* page = new ClearScrollArea(this);
    page->setObjectName("page");
    PageKeys::attach(page);
    auto* content = new QWidget;
    m_stack = new QVBoxLayout(content);
    m_stack->setContentsMargins(16, 16, 16, 16);
    m_stack->setSpacing(14);
    m_stack->addWidget(header());
    m_settings = new AIConnectSettingsCard(*m_model, content);
    m_stack->addWidget(m_settings);
    m_setup = new AIConnectSetupPanel(*m_model, std::move(urlOpener), content);
    m_setup->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    m_stack->addWidget(m_setup);
    m_chat = new AIConnectChatPanel(*m_model, std::move(filePicker), content);
    m_stack->addWidget(m_chat, 1);
    // Below the setup panel, the spare height of a tall window stays empty.
    m_stack->addStretch(1);
    page->setWidget(content);
    content->setAutoFillBackground(false);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(page);
    m_sheet = new AILinkSheet(this);

    connect(m_chat, &AIConnectChatPanel::linkRequested, m_sheet, &AILinkSheet::present);
    connect(m_sheet, &AILinkSheet::linkSubmitted, m_model.get(), &AIConnectViewModel::attachLink);
    connect(m_model.get(), &AIConnectViewModel::providerChanged, this, &AIConnectView::providerChanged);
    connect(m_model.get(), &AIConnectViewModel::changed, this, &AIConnectView::refresh);
    refresh();
}

AIConnectView::~AIConnectView() = default;

QWidget* AIConnectView::header()
{
    auto* card = new GlassModifier(16, 16);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* symbol = new SymbolView("network", 24, Color::neonCyan(), card);
    symbol->setGradient(Color::accentGradient());
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(new GradientText("AI Connect", Fonts::ui(24, QFont::Bold), card));
    m_subtitle = new TextLabel(QString(), 12, QFont::Medium, Color::white70(), card);
    m_subtitle->setObjectName("subtitle");
    titles->addWidget(m_subtitle);
    row->addLayout(titles, 1);
    // While chatting the settings fold away, so that the transcript has the height; one press
    // brings them back.
    const QFont font = Fonts::ui(13, QFont::DemiBold);
    m_settingsToggle = new GradientButton(QString(), font, QSize(12, (34 - QFontMetrics(font).height()) / 2), 8, card);
    m_settingsToggle->setObjectName("settingsToggle");
    m_settingsToggle->setSymbol("slider.horizontal.3");
    m_settingsToggle->setGradientShown(false);
    // Held at the wider of its two labels, so that the picker beside it stays put.
    int widest = 0;
    for (const char* label : {"Show Settings", "Hide Settings"}) {
        m_settingsToggle->setText(label);
        widest = std::max(widest, m_settingsToggle->sizeHint().width());
    }
    m_settingsToggle->setMinimumWidth(widest);
    connect(m_settingsToggle, &GradientButton::clicked, this, [this] {
        m_settingsShownInChat = !m_settingsShownInChat;
        refresh();
    });
    row->addWidget(m_settingsToggle, 0, Qt::AlignVCenter);
    m_providerPicker = new PickerBox(card);
    m_providerPicker->setObjectName("providerPicker");
    m_providerPicker->setFixedWidth(180);
    m_providerPicker->setFont(Fonts::ui(13));
    for (const AIProvider provider : AIProviders::allCases())
        m_providerPicker->addItem(AIProviders::rawValue(provider), int(provider));
    connect(m_providerPicker, &QComboBox::activated, this,
            [this](int index) { m_model->setProvider(AIProvider(m_providerPicker->itemData(index).toInt())); });
    row->addWidget(m_providerPicker, 0, Qt::AlignVCenter);
    card->body()->addLayout(row);
    return card;
}

QString AIConnectView::subtitle(bool connected, const QString& providerName)
{
    if (!connected)
        return QStringLiteral("Connect your own provider key");
    return providerName + QStringLiteral(" ready with saved key, editable model selection, and attachable context");
}

void AIConnectView::providerChanged()
{
    m_setup->clearKey();
}

void AIConnectView::refresh()
{
    const FocusKeeper keep(this);
    m_providerPicker->setCurrentIndex(m_providerPicker->findData(int(m_model->provider())));
    m_subtitle->setText(subtitle(m_model->isConnected(), AIProviders::rawValue(m_model->provider())));
    const bool connected = m_model->isConnected();
    // The chat comes before the setup goes, so that a focus in the setup moves on into the chat.
    m_chat->setVisible(connected);
    m_setup->setVisible(!connected);
    m_settingsToggle->setVisible(connected);
    m_settingsToggle->setText(m_settingsShownInChat ? QStringLiteral("Hide Settings") : QStringLiteral("Show Settings"));
    m_settings->setVisible(!connected || m_settingsShownInChat);
    m_stack->setStretch(m_stack->count() - 1, connected ? 0 : 1);
    m_settings->refresh();
    m_setup->refresh();
    m_chat->refresh();
}
