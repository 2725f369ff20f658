#pragma once

#include "style/GlassModifier.h"

#include <functional>

class AIConnectViewModel;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class Stepper;
class TextLabel;
struct AIConnectSettings;

// The chosen provider's chat settings: model menu and custom model field, temperature, reply
// length, instructions and saved notes. Each edit changes the view model's settings and saves them
// under the current provider at once; settings the view model loads are only shown.
class AIConnectSettingsCard : public GlassModifier {
    Q_OBJECT
public:
    explicit AIConnectSettingsCard(AIConnectViewModel& model, QWidget* parent = nullptr);

    static QString temperatureText(double temperature);
    static QString maxTokensText(int maxTokens);

    // Shows the view model's settings without treating them as an edit.
    void refresh();

private:
    QWidget* modelColumn();
    QWidget* temperatureColumn();
    QWidget* editorColumn(const QString& label, QPlainTextEdit*& editor, const QString& objectName);
    void edit(const std::function<void(AIConnectSettings&)>& change);

    AIConnectViewModel& m_model;
    QComboBox* m_modelPicker = nullptr;
    QLineEdit* m_customModel = nullptr;
    TextLabel* m_temperatureLabel = nullptr;
    QSlider* m_temperature = nullptr;
    Stepper* m_maxTokens = nullptr;
    QPlainTextEdit* m_systemPrompt = nullptr;
    QPlainTextEdit* m_contextNotes = nullptr;
    bool m_refreshing = false;
};
