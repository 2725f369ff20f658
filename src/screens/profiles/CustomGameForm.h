#pragma once

#include "tuning/GameProfile.h"

#include <QWidget>
#include <functional>

class GradientButton;
class QLineEdit;
class SegmentedPicker;
class ToggleRow;

// The sheet's form for adding a custom game or editing any profile. It edits a working copy of
// the name, the frame limit and four switches, and on save builds the complete profile and hands
// it to onSave; it stores nothing and never closes itself.
class CustomGameForm : public QWidget {
    Q_OBJECT
public:
    // The working copy.
    struct Fields {
        QString name;
        // 0 means no limit.
        qint64 frameLimit = 0;
        bool enableAntiShut = true;
        bool enableFocusMode = true;
        bool boostPriority = false;
        bool autoActivateGameMode = false;
    };
    using SaveAction = std::function<void(const GameProfile&)>;
    using CancelAction = std::function<void()>;

    static constexpr int formWidth = 380;
    static constexpr int formHeight = 460;
    // The limit switching the frame limit on starts with.
    static constexpr qint64 defaultFrameLimit = 60;
    static const QList<qint64>& frameLimitChoices();

    CustomGameForm(const Fields& initial, bool isEditing, bool isPresetProfile, const QString& existingID,
                   SaveAction onSave, CancelAction onCancel, QWidget* parent = nullptr);

    const Fields& fields() const { return m_fields; }
    bool isEditing() const { return m_isEditing; }
    bool isPresetProfile() const { return m_isPresetProfile; }
    const QString& existingID() const { return m_existingID; }

    bool frameLimitEnabled() const { return m_fields.frameLimit > 0; }
    // On sets the default limit, off sets none.
    void setFrameLimitEnabled(bool enabled);
    // Saving needs a name that is more than blanks.
    bool canSave() const;
    // Builds the profile from the fields and hands it to onSave once; nothing while saving is not
    // possible.
    void buildProfileFromForm();

    // The name without the blanks (spaces, tabs and other white space but line breaks) at its ends.
    static QString trimmedName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* nameBlock();
    QWidget* settingsBlock();
    ToggleRow* addToggle(const QString& icon, const QString& label, bool Fields::*field,
                         const QString& objectName, QWidget* parent);
    void refresh();

    Fields m_fields;
    bool m_isEditing;
    bool m_isPresetProfile;
    QString m_existingID;
    SaveAction m_onSave;
    CancelAction m_onCancel;

    QLineEdit* m_nameField = nullptr;
    ToggleRow* m_frameLimitToggle = nullptr;
    SegmentedPicker* m_frameLimitPicker = nullptr;
    GradientButton* m_saveButton = nullptr;
};
