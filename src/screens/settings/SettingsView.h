#pragma once

#include "style/ScreenColumn.h"

#include <QDateTime>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QVariant>

class CleanUninstall;
class GlassToggleStyle;
class GradientButton;
class QComboBox;
class SegmentedPicker;
class SettingsStore;
class SwitchToggle;
class SymbolView;
class TextLabel;

// The Settings screen: the seven app settings bound straight to the settings store (every change
// is stored at once), the time of the last scheduled cleanup, the version, and the clean uninstall
// behind a confirmation.
class SettingsView : public ScreenColumn {
    Q_OBJECT
public:
    static inline const QString buildText = QStringLiteral("2026.0523");
    static inline const QString allRemovedMessage = QStringLiteral("All data removed. Quitting...");
    static inline const QString partlyRemovedMessage =
        QStringLiteral("Some data could not be removed. Quitting...");
    static inline const QString saveFailedMessage = QStringLiteral("Settings could not be saved.");
    // The line shown once the uninstall is done; it names the folders where files that are not the
    // application's were kept (a folder of the user's that a link led to).
    static QString uninstallResult(bool allRemoved, const QStringList& keptFolders);

    SettingsView(SettingsStore& settingsStore, CleanUninstall& uninstall, QWidget* parent = nullptr);

    // The short version immediately followed by the build number in parentheses; a value that is
    // missing or not a text stands as "1.0" and "1".
    static QString versionText(const QVariant& shortVersion, const QVariant& bundleVersion);
    static QString abbreviatedDateFormat(const QLocale& locale);
    static QString lastCleanupText(const QDateTime& moment, const QLocale& locale = QLocale());

    QString uninstallMessage() const { return m_uninstallMessage; }
    bool isUninstallConfirmShown() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* general();
    QWidget* scheduledCleanup();
    QWidget* about();
    QWidget* cleanUninstall();
    void refresh();
    void askToUninstall();
    void confirmUninstall();
    void finishUninstall(bool allRemoved, const QStringList& keptFolders);

    SettingsStore& m_store;
    CleanUninstall& m_uninstall;
    QString m_uninstallMessage;

    TextLabel* m_saveFailedLabel = nullptr;
    GlassToggleStyle* m_launchAtLogin = nullptr;
    GlassToggleStyle* m_autoOptimize = nullptr;
    GlassToggleStyle* m_colorBlind = nullptr;
    SymbolView* m_scheduleSymbol = nullptr;
    SwitchToggle* m_scheduleSwitch = nullptr;
    QWidget* m_frequencyRow = nullptr;
    SegmentedPicker* m_frequency = nullptr;
    QWidget* m_timeRow = nullptr;
    QComboBox* m_hour = nullptr;
    QComboBox* m_minute = nullptr;
    QWidget* m_lastCleanupRow = nullptr;
    TextLabel* m_lastCleanup = nullptr;
    GradientButton* m_uninstallButton = nullptr;
    TextLabel* m_uninstallMessageLabel = nullptr;
    QPointer<QMessageBox> m_confirm;
};
