#pragma once

#include "assistant/AIProvider.h"
#include "style/GlassModifier.h"

#include <memory>

class AIConnectViewModel;
class GradientButton;
class QLineEdit;
class SymbolView;
class TextButton;
class TextLabel;
class URLOpener;

// Shown while no key of the chosen provider is stored: where to get a key, the masked key field,
// the notice line and "Connect" / "Connect & Test". The typed key is never shown back: every
// connect and every provider change empties the field.
class AIConnectSetupPanel : public GlassModifier {
    Q_OBJECT
public:
    AIConnectSetupPanel(AIConnectViewModel& model, std::shared_ptr<URLOpener> urlOpener, QWidget* parent = nullptr);

    static QString apiDescription(AIProvider provider);

    void refresh();
    void clearKey();
    void connectKey();
    // Tests the connection only once the key is stored, so a key that could not be saved keeps its
    // notice and a key stored earlier is never tested in its place.
    void connectAndTest();

private:
    QWidget* providerRow();
    QWidget* buttonRow();

    AIConnectViewModel& m_model;
    std::shared_ptr<URLOpener> m_urlOpener;
    TextLabel* m_providerName = nullptr;
    TextLabel* m_description = nullptr;
    QLineEdit* m_key = nullptr;
    TextLabel* m_notice = nullptr;
    GradientButton* m_connect = nullptr;
    GradientButton* m_connectAndTest = nullptr;
};
