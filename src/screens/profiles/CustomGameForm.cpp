#include "CustomGameForm.h"

#include "ToggleRow.h"
#include "style/Color.h"
#include "style/FieldLine.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/PlainButton.h"
#include "style/RoundedPanel.h"
#include "style/SegmentedPicker.h"
#include "style/TextLabel.h"
#include "tuning/GameProfilePresets.h"

#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) || c == QChar(0x2028) ||
           c == QChar(0x2029);
}

bool isBlank(QChar c)
{
    return c.isSpace() && !isLineBreak(c);
}

} // namespace

const QList<qint64>& CustomGameForm::frameLimitChoices()
{
    static const QList<qint64> choices = {30, 60, 90, 120, 144, 165, 240};
    return choices;
}

CustomGameForm::CustomGameForm(const Fields& initial, bool isEditing, bool isPresetProfile,
                               const QString& existingID, SaveAction onSave, CancelAction onCancel,
                               QWidget* parent)
    : QWidget(parent), m_fields(initial), m_isEditing(isEditing), m_isPresetProfile(isPresetProfile),
      m_existingID(existingID), m_onSave(std::move(onSave)), m_onCancel(std::move(onCancel))
{
    setObjectName("customGameForm");
    setFixedSize(formWidth, formHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);

    auto* title = new QHBoxLayout;
    title->addWidget(new TextLabel(isEditing ? "Edit Profile" : "Add Custom Game", 16, QFont::DemiBold,
                                   Color::white95(), this));
    title->addStretch(1);
    auto* cancel = new PlainButton("Cancel", Fonts::ui(13), Color::white70(), Qt::transparent, {}, 0, this);
    cancel->setObjectName("cancelButton");
    connect(cancel, &QAbstractButton::clicked, this, [this] {
        if (m_onCancel)
            m_onCancel();
    });
    title->addWidget(cancel);
    column->addLayout(title);
    column->addWidget(nameBlock());
    column->addWidget(settingsBlock());
    column->addStretch(1);

    m_saveButton = new GradientButton(isEditing ? "Save Changes" : "Add Profile",
                                      Fonts::ui(14, QFont::DemiBold), QSize(0, 14), 12, this);
    m_saveButton->setObjectName("saveButton");
    m_saveButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_saveButton, &GradientButton::clicked, this, &CustomGameForm::buildProfileFromForm);
    column->addWidget(m_saveButton);
    refresh();
}

QWidget* CustomGameForm::nameBlock()
{
    auto* block = new QWidget(this);
    auto* lines = new QVBoxLayout(block);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(6);
    lines->addWidget(new TextLabel("Game Name", 11, QFont::Medium, Color::white50(), block));

    auto* field = new RoundedPanel(8, Color::white10b(), block);
    auto* inset = new QVBoxLayout(field);
    inset->setContentsMargins(10, 10, 10, 10);
    m_nameField = new FieldLine(m_fields.name, field);
    m_nameField->setObjectName("nameField");
    m_nameField->setPlaceholderText("e.g. My Game");
    m_nameField->setFont(Fonts::ui(14));
    m_nameField->setFrame(false);
    m_nameField->setEnabled(!m_isPresetProfile);
    QPalette palette = m_nameField->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Color::white95());
    palette.setColor(QPalette::Disabled, QPalette::Text, Color::white50());
    palette.setColor(QPalette::PlaceholderText, Color::white50());
    m_nameField->setPalette(palette);
    connect(m_nameField, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_fields.name = text;
        refresh();
    });
    inset->addWidget(m_nameField);
    lines->addWidget(field);
    return block;
}

QWidget* CustomGameForm::settingsBlock()
{
    auto* block = new QWidget(this);
    auto* rows = new QVBoxLayout(block);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(12);
    rows->addWidget(new TextLabel("Settings", 11, QFont::Medium, Color::white50(), block));

    m_frameLimitToggle = new ToggleRow("speedometer", "Frame Limit", frameLimitEnabled(), block);
    m_frameLimitToggle->setObjectName("frameLimitToggle");
    connect(m_frameLimitToggle, &ToggleRow::valueChanged, this, &CustomGameForm::setFrameLimitEnabled);
    rows->addWidget(m_frameLimitToggle);

    QList<SegmentedPicker::Option> options;
    for (const qint64 choice : frameLimitChoices())
        options.append({QString::number(choice), QString::number(choice)});
    m_frameLimitPicker = new SegmentedPicker(options, block);
    m_frameLimitPicker->setObjectName("frameLimitPicker");
    m_frameLimitPicker->setAccessibleName("FPS");
    connect(m_frameLimitPicker, &SegmentedPicker::activated, this, [this](const QString& value) {
        m_fields.frameLimit = value.toLongLong();
        refresh();
    });
    rows->addWidget(m_frameLimitPicker);

    addToggle("cup.and.saucer.fill", "Anti-Shut (Prevent Sleep)", &Fields::enableAntiShut, "antiShutToggle",
              block);
    addToggle("moon.fill", "Focus Mode (Mute)", &Fields::enableFocusMode, "focusModeToggle", block);
    addToggle("bolt.fill", "Boost Priority", &Fields::boostPriority, "boostPriorityToggle", block);
    addToggle("play.fill", "Auto Game Mode on Launch", &Fields::autoActivateGameMode, "autoGameModeToggle",
              block);
    return block;
}

ToggleRow* CustomGameForm::addToggle(const QString& icon, const QString& label, bool Fields::*field,
                                     const QString& objectName, QWidget* parent)
{
    auto* row = new ToggleRow(icon, label, m_fields.*field, parent);
    row->setObjectName(objectName);
    connect(row, &ToggleRow::valueChanged, this, [this, field](bool value) { m_fields.*field = value; });
    parent->layout()->addWidget(row);
    return row;
}

void CustomGameForm::setFrameLimitEnabled(bool enabled)
{
    m_fields.frameLimit = enabled ? defaultFrameLimit : 0;
    refresh();
}

bool CustomGameForm::canSave() const
{
    return !trimmedName(m_fields.name).isEmpty();
}

void CustomGameForm::refresh()
{
    m_frameLimitToggle->setValue(frameLimitEnabled());
    m_frameLimitPicker->setVisible(frameLimitEnabled());
    m_frameLimitPicker->setCurrentValue(QString::number(m_fields.frameLimit));
    m_saveButton->setEnabled(canSave());
}

QString CustomGameForm::trimmedName(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isBlank(name[begin]))
        ++begin;
    while (end > begin && isBlank(name[end - 1]))
        --end;
    return name.mid(begin, end - begin);
}

void CustomGameForm::buildProfileFromForm()
{
    if (!canSave())
        return;
    const QString name = trimmedName(m_fields.name);
    std::optional<GameProfile> preset;
    for (const GameProfile& candidate : GameProfilePresets::all()) {
        if (candidate.id == m_existingID) {
            preset = candidate;
            break;
        }
    }
    GameProfile profile;
    profile.id = m_existingID;
    profile.name = name;
    if (m_isPresetProfile) {
        profile.bundleIDs = preset ? preset->bundleIDs : QStringList();
        profile.processNames = preset ? preset->processNames : QStringList{name};
    } else {
        profile.processNames = {name};
    }
    profile.iconName = preset ? preset->iconName : QStringLiteral("gamecontroller");
    profile.frameLimit = m_fields.frameLimit;
    profile.enableAntiShut = m_fields.enableAntiShut;
    profile.enableFocusMode = m_fields.enableFocusMode;
    profile.boostPriority = m_fields.boostPriority;
    profile.autoActivateGameMode = m_fields.autoActivateGameMode;
    if (m_onSave)
        m_onSave(profile);
}

void CustomGameForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Color::bgDeep());
}
