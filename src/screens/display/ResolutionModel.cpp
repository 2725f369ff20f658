#include "ResolutionModel.h"

#include "DisplayModes.h"
#include "MainThread.h"
#include "WorkQueues.h"

#include <QHash>
#include <algorithm>

ResolutionModel::ResolutionModel(std::shared_ptr<DisplayModes> display, QObject* parent)
    : QObject(parent), m_display(std::move(display))
{
}

QList<DisplayModeOption> ResolutionModel::orderedOptions(const QList<DisplayMode>& modes, const DisplayMode& current)
{
    QHash<QString, DisplayMode> bySize;
    QStringList keys;
    for (const DisplayMode& mode : modes) {
        const QString key = QStringLiteral("%1x%2").arg(mode.width).arg(mode.height);
        auto kept = bySize.find(key);
        if (kept == bySize.end()) {
            bySize.insert(key, mode);
            keys.append(key);
        } else if (mode == current || (!(*kept == current) && kept->refreshRate < mode.refreshRate)) {
            *kept = mode;
        }
    }
    QList<DisplayModeOption> options;
    for (const QString& key : keys) {
        const DisplayMode& mode = bySize.value(key);
        options.append(DisplayModeOption::make(mode, mode.width == current.width && mode.height == current.height));
    }
    std::sort(options.begin(), options.end(), [](const DisplayModeOption& a, const DisplayModeOption& b) {
        if (a.width != b.width)
            return a.width > b.width;
        if (a.refreshRate != b.refreshRate)
            return a.refreshRate > b.refreshRate;
        return a.height > b.height;
    });
    return options;
}

std::optional<DisplayMode> ResolutionModel::largestMode(const QList<DisplayMode>& modes)
{
    if (modes.isEmpty())
        return std::nullopt;
    DisplayMode largest = modes.first();
    for (const DisplayMode& mode : modes) {
        if (mode.width * mode.height > largest.width * largest.height)
            largest = mode;
    }
    return largest;
}

bool ResolutionModel::isFailure(const QString& statusMessage)
{
    return statusMessage.contains(QLatin1String("error"), Qt::CaseInsensitive) ||
           statusMessage.contains(QLatin1String("failed"), Qt::CaseInsensitive);
}

void ResolutionModel::loadModes()
{
    const std::optional<QList<DisplayMode>> modes = m_display->allModes(true);
    if (!modes)
        return;
    const std::optional<DisplayMode> current = m_display->currentMode();
    if (!current)
        return;
    m_currentMode = DisplayModeOption::make(*current, true);
    m_allModes = orderedOptions(*modes, *current);
    emit changed();
}

void ResolutionModel::selectMode(const DisplayModeOption& option)
{
    m_selectedMode = option;
    applyMode(option);
}

void ResolutionModel::applyMode(const DisplayModeOption& option)
{
    switchTo(option.mode, QStringLiteral("Resolution changed to ") + option.label(),
             QStringLiteral("Failed to change resolution"));
}

void ResolutionModel::restoreDefaultResolution()
{
    const std::optional<QList<DisplayMode>> modes = m_display->allModes(false);
    if (!modes)
        return;
    if (const std::optional<DisplayMode> largest = largestMode(*modes))
        switchTo(*largest, QStringLiteral("Restored default resolution"), QStringLiteral("Failed to restore default"));
}

void ResolutionModel::switchTo(const DisplayMode& mode, QString success, QString failure)
{
    m_isApplying = true;
    m_statusMessage.clear();
    emit changed();
    WorkQueues::userInitiated().start([display = m_display, mode, life = m_life.watch(), this,
                                       success = std::move(success), failure = std::move(failure)] {
        const int result = display->setMode(mode);
        MainThread::post(life, [this, result, success, failure] {
            m_isApplying = false;
            m_statusMessage = result == 0 ? success : failure;
            emit changed();
            if (result == 0)
                loadModes();
        });
    });
}
