#pragma once

#include "DisplayModeOption.h"
#include "LifeToken.h"

#include <QList>
#include <QObject>
#include <memory>
#include <optional>

class DisplayModes;

// The Resolution screen's state: the main display's modes, one per size, the mode in use, the row
// the user chose, and the switch in progress with its one-line result. A switch runs on the
// user-initiated queue; its result is dropped when the model is gone.
class ResolutionModel : public QObject {
    Q_OBJECT
public:
    explicit ResolutionModel(std::shared_ptr<DisplayModes> display, QObject* parent = nullptr);

    // One option per width × height, the highest rate winning its size and the first listed among
    // equal rates, except that the mode in use always wins its own size; widest first, then by
    // rate, then by height.
    static QList<DisplayModeOption> orderedOptions(const QList<DisplayMode>& modes, const DisplayMode& current);
    // The mode of largest area, the first listed among equals; nothing for an empty list.
    static std::optional<DisplayMode> largestMode(const QList<DisplayMode>& modes);
    // A status line reports a failure when it says "error" or "failed", in any letter case.
    static bool isFailure(const QString& statusMessage);

    const QList<DisplayModeOption>& allModes() const { return m_allModes; }
    const std::optional<DisplayModeOption>& currentMode() const { return m_currentMode; }
    const std::optional<DisplayModeOption>& selectedMode() const { return m_selectedMode; }
    bool isApplying() const { return m_isApplying; }
    QString statusMessage() const { return m_statusMessage; }

    // Re-reads the modes; keeps what it had when the display answers nothing.
    void loadModes();
    void selectMode(const DisplayModeOption& option);
    void restoreDefaultResolution();

signals:
    void changed();

private:
    void applyMode(const DisplayModeOption& option);
    void switchTo(const DisplayMode& mode, QString success, QString failure);

    std::shared_ptr<DisplayModes> m_display;
    QList<DisplayModeOption> m_allModes;
    std::optional<DisplayModeOption> m_currentMode;
    std::optional<DisplayModeOption> m_selectedMode;
    bool m_isApplying = false;
    QString m_statusMessage;
    LifeToken m_life;
};
