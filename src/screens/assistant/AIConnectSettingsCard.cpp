#include "AIConnectSettingsCard.h"

#include "assistant/AIConnectViewModel.h"
#include "assistant/AISettingsStore.h"
#include "style/Color.h"
#include "style/FieldEditor.h"
#include "style/FieldLine.h"
#include "style/FieldLook.h"
#include "style/Fonts.h"
#include "style/KeptGlyphs.h"
#include "style/PickerBox.h"
#include "style/Stepper.h"
#include "style/TextLabel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kMinTokens = 128;
constexpr int kMaxTokens = 8192;

QVBoxLayout* column(QWidget* owner)
{
    auto* stack = new QVBoxLayout(owner);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(5);
    return stack;
}

TextLabel* caption(const QString& text, QWidget* parent)
{
    return new TextLabel(text, 11, QFont::DemiBold, Color::white70(), parent);
}

} // namespace

AIConnectSettingsCard::AIConnectSettingsCard(AIConnectViewModel& model, QWidget* parent)
    : GlassModifier(16, 14, parent), m_model(model)
{
    setObjectName("settingsCard");
    // The card keeps the height of its contents; a tall window's spare height goes elsewhere.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    body()->setSpacing(12);

    auto* first = new QHBoxLayout;
    first->setSpacing(12);
    first->addWidget(modelColumn(), 0, Qt::AlignTop);
    first->addWidget(temperatureColumn(), 0, Qt::AlignTop);
    m_maxTokens = new Stepper(kMinTokens, kMaxTokens, kMinTokens, &maxTokensText, this);
    m_maxTokens->setObjectName("maxTokensStepper");
    connect(m_maxTokens, &Stepper::stepped, this, [this](int value) { edit([value](auto& s) { s.maxTokens = value; }); });
    first->addWidget(m_maxTokens, 0, Qt::AlignTop);
    first->addStretch(1);
    body()->addLayout(first);

    auto* second = new QHBoxLayout;
    second->setSpacing(12);
    second->addWidget(editorColumn("AI instructions", m_systemPrompt, "systemPromptEditor"), 1);
    second->addWidget(editorColumn("Saved context", m_contextNotes, "contextNotesEditor"), 1);
    body()->addLayout(second);

    connect(m_systemPrompt, &QPlainTextEdit::textChanged, this, [this] {
        edit([text = m_systemPrompt->toPlainText()](auto& s) { s.systemPrompt = text; });
    });
    connect(m_contextNotes, &QPlainTextEdit::textChanged, this, [this] {
        edit([text = m_contextNotes->toPlainText()](auto& s) { s.contextNotes = text; });
    });
    refresh();
}

QWidget* AIConnectSettingsCard::modelColumn()
{
    auto* owner = new QWidget(this);
    auto* stack = column(owner);
    stack->addWidget(caption("Model", owner));
    m_modelPicker = new PickerBox(owner);
    m_modelPicker->setObjectName("modelPicker");
    m_modelPicker->setMinimumWidth(260);
    m_modelPicker->setFont(Fonts::ui(12));
    connect(m_modelPicker, &QComboBox::activated, this, [this](int index) {
        edit([id = m_modelPicker->itemData(index).toString()](auto& s) { s.modelID = id; });
    });
    stack->addWidget(m_modelPicker);
    m_customModel = new FieldLine(owner);
    m_customModel->setObjectName("customModelField");
    m_customModel->setPlaceholderText("Custom model ID");
    FieldLook::apply(*m_customModel, 12, 8, 10, 8);
    connect(m_customModel, &QLineEdit::textEdited, this,
            [this](const QString& text) { edit([text](auto& s) { s.modelID = text; }); });
    stack->addWidget(m_customModel);
    return owner;
}

QWidget* AIConnectSettingsCard::temperatureColumn()
{
    auto* owner = new QWidget(this);
    auto* stack = column(owner);
    m_temperatureLabel = caption(QString(), owner);
    m_temperatureLabel->setObjectName("temperatureLabel");
    stack->addWidget(m_temperatureLabel);
    // Tenths, so the slider moves in steps of 0.1 from 0.0 to 2.0.
    m_temperature = new QSlider(Qt::Horizontal, owner);
    m_temperature->setObjectName("temperatureSlider");
    m_temperature->setRange(0, 20);
    m_temperature->setSingleStep(1);
    m_temperature->setPageStep(1);
    m_temperature->setFixedWidth(160);
    connect(m_temperature, &QSlider::valueChanged, this,
            [this](int tenths) { edit([tenths](auto& s) { s.temperature = tenths / 10.0; }); });
    stack->addWidget(m_temperature);
    stack->addStretch(1);
    return owner;
}

QWidget* AIConnectSettingsCard::editorColumn(const QString& label, QPlainTextEdit*& editor, const QString& objectName)
{
    auto* owner = new QWidget(this);
    auto* stack = column(owner);
    stack->addWidget(caption(label, owner));
    editor = new FieldEditor(12, 8, 8, owner);
    editor->setObjectName(objectName);
    editor->setMinimumHeight(54);
    editor->setMaximumHeight(74);
    // The field's padding is all the inset there is, so two lines fit the smallest height unscrolled.
    editor->document()->setDocumentMargin(0);
    KeptGlyphs::keep(*editor->document());
    stack->addWidget(editor);
    // The label stays on its editor however tall the row is.
    stack->addStretch(1);
    return owner;
}

QString AIConnectSettingsCard::temperatureText(double temperature)
{
    return QStringLiteral("Temperature ") + QString::asprintf("%.1f", temperature);
}

QString AIConnectSettingsCard::maxTokensText(int maxTokens)
{
    return QStringLiteral("Max ") + QString::number(maxTokens);
}

void AIConnectSettingsCard::edit(const std::function<void(AIConnectSettings&)>& change)
{
    if (m_refreshing)
        return;
    AIConnectSettings settings = m_model.settings();
    change(settings);
    if (settings == m_model.settings())
        return;
    m_model.setSettings(settings);
    m_model.settingsStore().save(settings, m_model.provider());
}

void AIConnectSettingsCard::refresh()
{
    const AIConnectSettings& settings = m_model.settings();
    m_refreshing = true;
    const auto& options = AIProviders::modelOptions(m_model.provider());
    bool sameMenu = m_modelPicker->count() == options.size();
    for (int i = 0; sameMenu && i < options.size(); ++i)
        sameMenu = m_modelPicker->itemData(i).toString() == options[i].id;
    if (!sameMenu) {
        m_modelPicker->clear();
        for (const AIModelOption& option : options)
            m_modelPicker->addItem(option.name + QStringLiteral(" - ") + option.note, option.id);
    }
    m_modelPicker->setCurrentIndex(m_modelPicker->findData(settings.modelID));
    if (m_customModel->text() != settings.modelID)
        m_customModel->setText(settings.modelID);
    m_temperatureLabel->setText(temperatureText(settings.temperature));
    m_temperature->setValue(int(std::lround(settings.temperature * 10)));
    m_maxTokens->setValue(settings.maxTokens);
    if (m_systemPrompt->toPlainText() != settings.systemPrompt)
        m_systemPrompt->setPlainText(settings.systemPrompt);
    if (m_contextNotes->toPlainText() != settings.contextNotes)
        m_contextNotes->setPlainText(settings.contextNotes);
    m_refreshing = false;
}
