#pragma once

#include <QWidget>
#include <memory>

class AIConnectChatPanel;
class AIConnectSettingsCard;
class AIConnectSetupPanel;
class AIConnectViewModel;
class AILinkSheet;
class FilePicker;
class GradientButton;
class QComboBox;
class QVBoxLayout;
class TextLabel;
class URLOpener;

// The AI Connect screen: the header with the provider picker, the chosen provider's settings, and
// below them the setup panel while no key is stored or the chat panel once one is; the link sheet
// over it all on request. The screen owns its view model for its whole life.
class AIConnectView : public QWidget {
    Q_OBJECT
public:
    AIConnectView(std::unique_ptr<AIConnectViewModel> model, std::shared_ptr<URLOpener> urlOpener,
                  std::shared_ptr<FilePicker> filePicker, QWidget* parent = nullptr);
    ~AIConnectView() override;

    static QString subtitle(bool connected, const QString& providerName);

    AIConnectViewModel& viewModel() const { return *m_model; }
    AIConnectSetupPanel* setupPanel() const { return m_setup; }
    AIConnectChatPanel* chatPanel() const { return m_chat; }
    AILinkSheet* linkSheet() const { return m_sheet; }

private:
    QWidget* header();
    void refresh();
    void providerChanged();

    std::unique_ptr<AIConnectViewModel> m_model;
    QVBoxLayout* m_stack = nullptr;
    QComboBox* m_providerPicker = nullptr;
    TextLabel* m_subtitle = nullptr;
    GradientButton* m_settingsToggle = nullptr;
    bool m_settingsShownInChat = false;
    AIConnectSettingsCard* m_settings = nullptr;
    AIConnectSetupPanel* m_setup = nullptr;
    AIConnectChatPanel* m_chat = nullptr;
    AILinkSheet* m_sheet = nullptr;
};
