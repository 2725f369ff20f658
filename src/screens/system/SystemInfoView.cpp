#include "SystemInfoView.h"

#include "MainThread.h"
#include "StorageBreakdown.h"
#include "StorageCard.h"
#include "WorkQueues.h"
#include "screens/monitoring/CardHeader.h"
#include "style/ActivityIndicator.h"
#include "style/Color.h"
#include "style/Divider.h"
#include "style/GlassModifier.h"
#include "style/ScreenColumn.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QShowEvent>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int kSpinnerSize = 30;

struct InfoRow {
    const char* icon;
    const char* label;
    QString value;
};

GlassModifier* factCard(CardHeader* header, const QList<InfoRow>& rows, QWidget* parent)
{
    auto* card = new GlassModifier(16, 16, parent);
    card->body()->setSpacing(12);
    header->setParent(card);
    card->body()->addWidget(header);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        auto* widget = new QWidget(card);
        widget->setObjectName(QStringLiteral("row:") + rows[i].label);
        auto* row = new QHBoxLayout(widget);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(8);
        auto* icon = new SymbolView(rows[i].icon, 12, Color::neonCyan(), widget);
        auto* iconFrame = new QWidget(widget);
        iconFrame->setFixedWidth(18);
        auto* iconLayout = new QHBoxLayout(iconFrame);
        iconLayout->setContentsMargins(0, 0, 0, 0);
        iconLayout->addWidget(icon, 0, Qt::AlignCenter);
        row->addWidget(iconFrame, 0, Qt::AlignVCenter);
        row->addWidget(new TextLabel(rows[i].label, 12, QFont::Normal, Color::white70(), widget), 0,
                       Qt::AlignVCenter);
        row->addStretch(1);
        auto* value = new TextLabel(rows[i].value, 12, QFont::Medium, Color::white95(), widget);
        value->setObjectName("value");
        row->addWidget(value, 0, Qt::AlignVCenter);
        card->body()->addWidget(widget);
        if (i + 1 < rows.size())
            card->body()->addWidget(new Divider(Color::white50(), card));
    }
    return card;
}

QString cycleCountText(const std::optional<int>& cycles)
{
    return cycles ? QString::number(*cycles) : QStringLiteral("Not Reported");
}

} // namespace

SystemInfoView::SystemInfoView(Load load, QWidget* parent) : ScreenColumn(parent), m_load(std::move(load))
{
    // The spinner, or the cards once loaded, 16 pixels apart as the screen's column sets them.
    auto* stack = new QWidget(this);
    stack->setObjectName("systemStack");
    m_column = new QVBoxLayout(stack);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(16);
    addCards({stack});
    rebuild();
}

void SystemInfoView::showEvent(QShowEvent* event)
{
    ScreenColumn::showEvent(event);
    if (!event->spontaneous())
        loadBasicInfo();
}

void SystemInfoView::loadBasicInfo()
{
    // One load at a time: showing the screen again while one runs waits for that one.
    if (m_loadInFlight || !m_load)
        return;
    m_loadInFlight = true;
    (void)QtConcurrent::run(&WorkQueues::userInitiated(), [this, load = m_load, life = m_life.watch()] {
        SystemInfo info = load([life] { return life.expired(); });
        MainThread::post(life, [this, info = std::move(info)] {
            m_loadInFlight = false;
            applyLoadedInfo(info);
        });
    });
}

void SystemInfoView::applyLoadedInfo(const SystemInfo& info)
{
    m_info = info;
    m_storageCategories = StorageBreakdown::buildStorageCategories(info.folderSizes, info.usedStorage);
    m_isLoading = false;
    rebuild();
}

void SystemInfoView::rebuild()
{
    while (QLayoutItem* item = m_column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget* content = m_column->parentWidget();
    if (m_isLoading) {
        m_column->addSpacing(60);
        auto* spinner = new ActivityIndicator(kSpinnerSize, Color::white70(), content);
        spinner->setObjectName("spinner");
        m_column->addWidget(spinner, 0, Qt::AlignHCenter);
        return;
    }
    m_column->addWidget(hardwareCard());
    auto* storage = new StorageCard(m_info.totalStorage, m_info.usedStorage, m_info.freeStorage,
                                    m_storageCategories, content);
    storage->setObjectName("storageCard");
    m_column->addWidget(storage);
    if (m_info.hasBattery)
        m_column->addWidget(batteryCard());
}

QWidget* SystemInfoView::hardwareCard()
{
    auto* card = factCard(new CardHeader("cpu", Color::neonCyan(), "Hardware", nullptr, 16),
                          {{m_info.chipName.startsWith(QLatin1String("Apple")) ? "apple.logo" : "cpu", "Model",
                            m_info.chipName},
                           {"rectangle.3.group", "Cores", m_info.cpuCores},
                           {"memorychip", "RAM", m_info.physicalRAM},
                           {"gpu", "Graphics", m_info.gpuName},
                           {"gearshape.2", "System", m_info.osVersion}},
                          m_column->parentWidget());
    card->setObjectName("hardwareCard");
    return card;
}

QWidget* SystemInfoView::batteryCard()
{
    auto* card =
        factCard(new CardHeader(m_info.batteryCharging ? "battery.100.bolt" : "battery.100",
                                Color::neonCyan(), "Battery", nullptr, 16),
                 {{"arrow.triangle.2.circlepath", "Cycle Count", cycleCountText(m_info.batteryCycleCount)},
                  {"heart", "Health", QString::number(m_info.batteryHealth) + "%"},
                  {"powerplug", "Status", m_info.batteryCharging ? "Charging" : "Not Charging"}},
                 m_column->parentWidget());
    card->setObjectName("batteryCard");
    return card;
}
