#include "SettingsView.h"

#include "storage/CleanUninstall.h"
#include "storage/SettingsStore.h"
#include "style/AppMessageBox.h"
#include "style/Color.h"
#include "style/Divider.h"
#include "style/Fonts.h"
#include "style/GlassModifier.h"
#include "style/GlassToggleStyle.h"
#include "style/GradientButton.h"
#include "style/HoverEffect.h"
#include "style/PickerBox.h"
#include "style/RoundedPanel.h"
#include "style/SegmentedPicker.h"
#include "style/SwitchToggle.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

GlassModifier* section(const QString& symbol, const QString& title, const QColor& symbolColor,
                       const QString& objectName, QWidget* parent)
{
    auto* card = new GlassModifier(16, 16, parent);
    card->setObjectName(objectName);
    card->body()->setSpacing(12);
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new SymbolView(symbol, 18, symbolColor, card), 0, Qt::AlignVCenter);
    header->addWidget(new TextLabel(title, 16, QFont::DemiBold, Color::white95(), card), 0, Qt::AlignVCenter);
    header->addStretch(1);
    card->body()->addLayout(header);
    return card;
}

GlassToggleStyle* toggle(const QString& title, const QString& subtitle, const QString& objectName, QWidget* parent)
{
    auto* label = new QWidget;
    auto* stack = new QVBoxLayout(label);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(2);
    stack->addWidget(new TextLabel(title, 14, QFont::Normal, Color::white95(), label));
    stack->addWidget(new TextLabel(subtitle, 10, QFont::Normal, Color::white50(), label));
    auto* row = new GlassToggleStyle(label, parent);
    row->setObjectName(objectName);
    return row;
}

QHBoxLayout* captionRow(const QString& caption, int pixelSize, QWidget* value, QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new TextLabel(caption, pixelSize, QFont::Normal, Color::white70(), parent));
    row->addStretch(1);
    row->addWidget(value);
    return row;
}

QComboBox* numberPicker(int count, const QString& objectName, QWidget* parent)
{
    auto* picker = new PickerBox(parent);
    picker->setObjectName(objectName);
    picker->setFixedWidth(60);
    picker->setFont(Fonts::ui(12));
    for (int n = 0; n < count; ++n)
        picker->addItem(QString::asprintf("%02d", n), qint64(n));
    return picker;
}

} // namespace

SettingsView::SettingsView(SettingsStore& settingsStore, CleanUninstall& uninstall, QWidget* parent)
    : ScreenColumn(parent), m_store(settingsStore), m_uninstall(uninstall)
{
    m_saveFailedLabel = new TextLabel(saveFailedMessage, 12, QFont::DemiBold, Color::onCard(Color::statusCritical()), this);
    m_saveFailedLabel->setObjectName("saveFailedMessage");
    addCards({m_saveFailedLabel, general(), scheduledCleanup(), about(), cleanUninstall()});

    connect(&m_store, &SettingsStore::changed, this, &SettingsView::refresh);
    connect(&m_uninstall, &CleanUninstall::finished, this, &SettingsView::finishUninstall);
    refresh();
}

QWidget* SettingsView::general()
{
    auto* card = section("gearshape", "General", Color::neonCyan(), "generalSection", this);
    m_launchAtLogin = toggle("Launch at Login", "Start Quillmarsh when you log in", "launchAtLoginToggle", card);
    m_autoOptimize = toggle("Auto-Optimize", "Apply optimizations when starting games", "autoOptimizeToggle", card);
    m_colorBlind = toggle("Color Blind Mode", "Use high-contrast palette for color vision deficiency",
                          "colorBlindToggle", card);
    connect(m_launchAtLogin, &GlassToggleStyle::toggled, &m_store, &SettingsStore::setLaunchOnStartup);
    connect(m_autoOptimize, &GlassToggleStyle::toggled, &m_store, &SettingsStore::setAutoOptimize);
    connect(m_colorBlind, &GlassToggleStyle::toggled, &m_store, &SettingsStore::setColorBlindMode);
    card->body()->addWidget(m_launchAtLogin);
    card->body()->addWidget(new Divider(Color::white50(), card));
    card->body()->addWidget(m_autoOptimize);
    card->body()->addWidget(new Divider(Color::white50(), card));
    card->body()->addWidget(m_colorBlind);
    return card;
}

QWidget* SettingsView::scheduledCleanup()
{
    auto* card = section("clock.arrow.circlepath", "Scheduled Cleanup", Color::neonCyan(), "scheduledCleanupSection", this);
    auto* description = new TextLabel(
        "Automatically scan and clean junk files on a schedule. The app must be running at the scheduled time.", 12,
        QFont::Normal, Color::white70(), card);
    description->setWordWrap(true);
    card->body()->addWidget(description);

    auto* enableRow = new RoundedPanel(10, Color::white10(), card);
    enableRow->setObjectName("scheduleEnableRow");
    auto* enable = new QHBoxLayout(enableRow);
    enable->setContentsMargins(10, 10, 10, 10);
    m_scheduleSymbol = new SymbolView("clock", 18, Color::white50(), enableRow);
    m_scheduleSymbol->setObjectName("scheduleSymbol");
    m_scheduleSwitch = new SwitchToggle(0.8, enableRow);
    m_scheduleSwitch->setObjectName("scheduleSwitch");
    connect(m_scheduleSwitch, &QAbstractButton::clicked, &m_store, &SettingsStore::setScheduledCleanupEnabled);
    enable->addWidget(m_scheduleSymbol, 0, Qt::AlignVCenter);
    enable->addWidget(new TextLabel("Enable Scheduled Cleanup", 13, QFont::Normal, Color::white95(), enableRow), 0,
                      Qt::AlignVCenter);
    enable->addStretch(1);
    enable->addWidget(m_scheduleSwitch, 0, Qt::AlignVCenter);
    card->body()->addWidget(enableRow);

    m_frequencyRow = new QWidget(card);
    m_frequencyRow->setObjectName("frequencyRow");
    m_frequency = new SegmentedPicker({{"Daily", "daily"}, {"Weekly (Sunday)", "weekly"}}, m_frequencyRow);
    m_frequency->setObjectName("frequencyPicker");
    m_frequency->setFixedWidth(200);
    connect(m_frequency, &SegmentedPicker::activated, &m_store, &SettingsStore::setScheduledCleanupFrequency);
    m_frequencyRow->setLayout(captionRow("Frequency", 12, m_frequency, m_frequencyRow));
    card->body()->addWidget(m_frequencyRow);

    m_timeRow = new QWidget(card);
    m_timeRow->setObjectName("timeRow");
    auto* time = new QHBoxLayout(m_timeRow);
    time->setContentsMargins(0, 0, 0, 0);
    m_hour = numberPicker(24, "hourPicker", m_timeRow);
    m_minute = numberPicker(60, "minutePicker", m_timeRow);
    connect(m_hour, &QComboBox::activated, this,
            [this](int index) { m_store.setScheduledCleanupHour(m_hour->itemData(index).toLongLong()); });
    connect(m_minute, &QComboBox::activated, this,
            [this](int index) { m_store.setScheduledCleanupMinute(m_minute->itemData(index).toLongLong()); });
    time->addWidget(new TextLabel("Time", 12, QFont::Normal, Color::white70(), m_timeRow));
    time->addStretch(1);
    time->addWidget(m_hour);
    time->addWidget(new TextLabel(":", 12, QFont::Normal, Color::white50(), m_timeRow));
    time->addWidget(m_minute);
    card->body()->addWidget(m_timeRow);

    m_lastCleanupRow = new QWidget(card);
    m_lastCleanupRow->setObjectName("lastCleanupRow");
    m_lastCleanup = new TextLabel(QString(), 11, QFont::Normal, Color::white95(), m_lastCleanupRow);
    m_lastCleanup->setObjectName("lastCleanupValue");
    m_lastCleanupRow->setLayout(captionRow("Last Cleanup", 11, m_lastCleanup, m_lastCleanupRow));
    card->body()->addWidget(m_lastCleanupRow);
    return card;
}

QWidget* SettingsView::about()
{
    auto* card = section("info.circle", "About", Color::neonCyan(), "aboutSection", this);
    const QString shortVersion = QCoreApplication::applicationVersion();
    auto* version = new TextLabel(versionText(shortVersion.isEmpty() ? QVariant() : QVariant(shortVersion), QVariant()),
                                  12, QFont::Normal, Color::white95(), card);
    version->setObjectName("versionValue");
    card->body()->addLayout(captionRow("Version", 12, version, card));
    card->body()->addLayout(
        captionRow("Build", 12, new TextLabel(buildText, 12, QFont::Normal, Color::white95(), card), card));
    return card;
}

QWidget* SettingsView::cleanUninstall()
{
    auto* card = section("trash", "Clean Uninstall", Color::neonGreen(), "cleanUninstallSection", this);
    auto* description = new TextLabel("Remove all settings, profiles, cached preferences, and local secure data. "
                                      "Quillmarsh will quit after cleanup.",
                                      12, QFont::Normal, Color::white70(), card);
    description->setWordWrap(true);
    card->body()->addWidget(description);

    m_uninstallButton = new GradientButton("Uninstall Quillmarsh Data", Fonts::ui(14, QFont::DemiBold), QSize(0, 14), 12, card);
    m_uninstallButton->setObjectName("uninstallButton");
    m_uninstallButton->setSymbol("exclamationmark.triangle");
    m_uninstallButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QColor glow = Color::neonCyan();
    glow.setAlphaF(0.3f);
    new HoverEffect(1.02, glow, m_uninstallButton);
    connect(m_uninstallButton, &QAbstractButton::clicked, this, &SettingsView::askToUninstall);
    card->body()->addWidget(m_uninstallButton);

    m_uninstallMessageLabel = new TextLabel(QString(), 11, QFont::Normal, Color::neonGreen(), card);
    m_uninstallMessageLabel->setObjectName("uninstallMessage");
    // It may name a folder, with a long path.
    m_uninstallMessageLabel->setWordWrap(true);
    card->body()->addWidget(m_uninstallMessageLabel);
    return card;
}

QString SettingsView::versionText(const QVariant& shortVersion, const QVariant& bundleVersion)
{
    const auto text = [](const QVariant& v, const QString& fallback) {
        return v.typeId() == QMetaType::QString ? v.toString() : fallback;
    };
    return text(shortVersion, "1.0") + "(" + text(bundleVersion, "1") + ")";
}

QString SettingsView::abbreviatedDateFormat(const QLocale& locale)
{
    // The locale's long date without the weekday and with the month's short name: "MMM d, yyyy"
    // in the United States, "d. MMM yyyy" in Germany.
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression("^dddd[\\s,]*"));
    format.remove(QRegularExpression("[\\s,]*dddd$"));
    format.remove(QStringLiteral("dddd"));
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

QString SettingsView::lastCleanupText(const QDateTime& moment, const QLocale& locale)
{
    const QDateTime local = moment.toLocalTime();
    // Some locales' short time still shows seconds; the shortened style never does.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(QRegularExpression("[:.]ss?"));
    return locale.toString(local.date(), abbreviatedDateFormat(locale)) + ", " + locale.toString(local.time(), timeFormat);
}

void SettingsView::showEvent(QShowEvent* event)
{
    ScreenColumn::showEvent(event);
    refresh();
}

void SettingsView::refresh()
{
    m_saveFailedLabel->setColor(Color::onCard(Color::statusCritical()));
    m_saveFailedLabel->setVisible(m_store.saveFailed());
    m_launchAtLogin->setOn(m_store.launchOnStartup());
    m_autoOptimize->setOn(m_store.autoOptimize());
    m_colorBlind->setOn(m_store.colorBlindMode());

    const bool scheduled = m_store.scheduledCleanupEnabled();
    m_scheduleSwitch->setChecked(scheduled);
    if (scheduled)
        m_scheduleSymbol->setSymbol("clock.badge.checkmark", Color::neonGreen());
    else
        m_scheduleSymbol->setSymbol("clock", Color::white50());
    m_frequencyRow->setVisible(scheduled);
    m_timeRow->setVisible(scheduled);
    m_frequency->setCurrentValue(m_store.scheduledCleanupFrequency());
    m_hour->setCurrentIndex(m_hour->findData(m_store.scheduledCleanupHour()));
    m_minute->setCurrentIndex(m_minute->findData(m_store.scheduledCleanupMinute()));

    const QDateTime last = m_store.lastCleanupDate();
    m_lastCleanupRow->setVisible(last.isValid());
    if (last.isValid())
        m_lastCleanup->setText(lastCleanupText(last));

    m_uninstallButton->setEnabled(!m_uninstall.hasStarted());
    m_uninstallMessageLabel->setText(m_uninstallMessage);
    m_uninstallMessageLabel->setVisible(!m_uninstallMessage.isEmpty());
}

bool SettingsView::isUninstallConfirmShown() const
{
    return m_confirm && m_confirm->isVisible();
}

void SettingsView::askToUninstall()
{
    if (m_uninstall.hasStarted() || isUninstallConfirmShown())
        return;
    m_confirm = new AppMessageBox(AppMessageBox::Kind::warning, "Uninstall Quillmarsh Data?", this);
    m_confirm->setObjectName("uninstallConfirm");
    m_confirm->setInformativeText("This permanently deletes all Quillmarsh preferences and cached data. "
                                  "Quillmarsh will quit when done.");
    QPushButton* cancel = m_confirm->addButton("Cancel", QMessageBox::RejectRole);
    QPushButton* uninstall = m_confirm->addButton("Uninstall", QMessageBox::DestructiveRole);
    cancel->setObjectName("cancelUninstall");
    uninstall->setObjectName("confirmUninstall");
    m_confirm->setDefaultButton(cancel);
    m_confirm->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_confirm, &QMessageBox::buttonClicked, this, [this, uninstall](QAbstractButton* button) {
        if (button == uninstall)
            confirmUninstall();
    });
    m_confirm->open();
}

void SettingsView::confirmUninstall()
{
    m_uninstall.start();
    refresh();
}

QString SettingsView::uninstallResult(bool allRemoved, const QStringList& keptFolders)
{
    if (keptFolders.isEmpty())
        return allRemoved ? allRemovedMessage : partlyRemovedMessage;
    const QString removed = allRemoved ? QStringLiteral("Quillmarsh's data removed.")
                                       : QStringLiteral("Some data could not be removed.");
    const QString kept =
        keptFolders.size() == 1
            ? QStringLiteral("Kept %1: it holds files that are not Quillmarsh's.").arg(keptFolders.first())
            : QStringLiteral("Kept %1 and %2: they hold files that are not Quillmarsh's.")
                  .arg(keptFolders.mid(0, keptFolders.size() - 1).join(QStringLiteral(", ")), keptFolders.last());
    return removed + u' ' + kept + QStringLiteral(" Quitting...");
}

void SettingsView::finishUninstall(bool allRemoved, const QStringList& keptFolders)
{
    m_uninstallMessage = uninstallResult(allRemoved, keptFolders);
    refresh();
    // Once the column has made room for the line, it is scrolled into sight: a line naming kept
    // folders wraps below the button.
    QMetaObject::invokeMethod(
        this, [this] { ensureWidgetVisible(m_uninstallMessageLabel, 0, 16); }, Qt::QueuedConnection);
}
