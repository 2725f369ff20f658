#include "AIConnectSetupPanel.h"

#include "URLOpener.h"
#include "assistant/AIConnectViewModel.h"
#include "style/Color.h"
#include "style/FieldLine.h"
#include "style/FieldLook.h"
#include "style/FocusKeeper.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/SymbolView.h"
#include "style/TextButton.h"
#include "style/TextLabel.h"
#include "storage/ColorBlindMode.h"

#include <QHBoxLayout>
#include <QLineEdit>

AIConnectSetupPanel::AIConnectSetupPanel(AIConnectViewModel& model, std::shared_ptr<URLOpener> urlOpener, QWidget* parent)
    : GlassModifier(16, 18, parent), m_model(model), m_urlOpener(std::move(urlOpener))
{
    setObjectName("setupPanel");
    body()->setSpacing(18);
    body()->addWidget(providerRow());

    m_key = new FieldLine(this);
    m_key->setObjectName("apiKeyField");
    m_key->setEchoMode(QLineEdit::Password);
    // The chat's Disconnect and prompt field stand in the place of the key and the Connect buttons:
    // Disconnect leaves the focus on the key field, and Connect on the prompt field.
    FocusKeeper::setKey(m_key, "connection");
    FieldLook::apply(*m_key, 14, 10, 14, 12);
    connect(m_key, &QLineEdit::textChanged, this, &AIConnectSetupPanel::refresh);
    body()->addWidget(m_key);

    for (const char* line :
         {"Stored encrypted in local Quillmarsh data on this computer. It is not stored in the app package and you do "
          "not need to paste it again unless you disconnect.",
          "After connecting, you can attach local text/code files or pull context from docs and GitHub links before "
          "sending a prompt."}) {
        auto* text = new TextLabel(line, 12, QFont::Normal, Color::white70(), this);
        text->setWordWrap(true);
        body()->addWidget(text);
    }
    m_notice = new TextLabel(QString(), 12, QFont::Medium, Color::systemOrange(), this);
    m_notice->setObjectName("setupNotice");
    m_notice->setWordWrap(true);
    body()->addWidget(m_notice);
    body()->addWidget(buttonRow());
    refresh();
}

QWidget* AIConnectSetupPanel::providerRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new SymbolView("key.fill", 18, Color::white95(), row), 0, Qt::AlignVCenter);
    m_providerName = new TextLabel(QString(), 18, QFont::Bold, Color::white95(), row);
    m_providerName->setObjectName("setupProviderName");
    layout->addWidget(m_providerName, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    m_description = new TextLabel(QString(), 12, QFont::Medium, Color::white70(), row);
    m_description->setObjectName("apiDescription");
    layout->addWidget(m_description, 0, Qt::AlignVCenter);
    auto* getKey = new TextButton("Get API key", Fonts::ui(13, QFont::DemiBold), Color::neonCyan(), 2, row);
    getKey->setObjectName("getAPIKeyButton");
    connect(getKey, &TextButton::clicked, this,
            [this] { m_urlOpener->open(AIProviders::apiKeyURL(m_model.provider())); });
    layout->addWidget(getKey, 0, Qt::AlignVCenter);
    return row;
}

QWidget* AIConnectSetupPanel::buttonRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    m_connect = new GradientButton("Connect", Fonts::ui(14, QFont::DemiBold), QSize(0, 13), 10, row);
    m_connect->setObjectName("connectButton");
    m_connect->setSymbol("checkmark.shield.fill");
    m_connectAndTest = new GradientButton("Connect & Test", Fonts::ui(14, QFont::DemiBold), QSize(0, 13), 10, row);
    m_connectAndTest->setObjectName("connectAndTestButton");
    m_connectAndTest->setSymbol("bolt.fill");
    for (GradientButton* button : {m_connect, m_connectAndTest}) {
        FocusKeeper::setKey(button, "connection");
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        layout->addWidget(button, 1);
    }
    connect(m_connect, &GradientButton::clicked, this, &AIConnectSetupPanel::connectKey);
    connect(m_connectAndTest, &GradientButton::clicked, this, &AIConnectSetupPanel::connectAndTest);
    return row;
}

QString AIConnectSetupPanel::apiDescription(AIProvider provider)
{
    switch (provider) {
    case AIProvider::openAI: return QStringLiteral("OpenAI Chat Completions");
    case AIProvider::anthropic: return QStringLiteral("Anthropic Messages API");
    case AIProvider::gemini: return QStringLiteral("Google Gemini generateContent");
    case AIProvider::groq: return QStringLiteral("Groq OpenAI-compatible API");
    case AIProvider::mistral: return QStringLiteral("Mistral Chat Completions");
    case AIProvider::openRouter: return QStringLiteral("OpenRouter multi-model API");
    }
    return {};
}

void AIConnectSetupPanel::refresh()
{
    const QString name = AIProviders::rawValue(m_model.provider());
    m_providerName->setText(name);
    m_description->setText(apiDescription(m_model.provider()));
    m_key->setPlaceholderText(QStringLiteral("Paste your ") + name + QStringLiteral(" API key"));
    m_notice->setText(m_model.errorMessage());
    m_notice->setColor(Color::onCard(ColorBlindMode::enabled() ? Color::cbMagenta() : Color::systemOrange()));
    m_notice->setVisible(!m_model.errorMessage().isEmpty());

    const bool typed = !m_key->text().trimmed().isEmpty();
    m_connect->setEnabled(typed);
    m_connect->setGradientShown(typed);
    m_connectAndTest->setEnabled(typed && !m_model.isSending());
    m_connectAndTest->setGradientShown(typed);
    m_connectAndTest->setText(m_model.isSending() ? QStringLiteral("Testing") : QStringLiteral("Connect & Test"));
}

void AIConnectSetupPanel::clearKey()
{
    m_key->clear();
}

void AIConnectSetupPanel::connectKey()
{
    // Emptied once the chat has taken the panel's place: emptying the field switches the focused
    // button off, which would hand the focus on out of the screen.
    const QString typed = m_key->text();
    m_model.connectWithKey(typed);
    m_key->clear();
}

void AIConnectSetupPanel::connectAndTest()
{
    const QString typed = m_key->text();
    const bool connected = m_model.connectWithKey(typed);
    m_key->clear();
    if (connected)
        m_model.send(AIConnectViewModel::connectionTestPrompt, true);
}
