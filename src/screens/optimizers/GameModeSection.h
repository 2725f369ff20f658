#pragma once

#include "ResultClear.h"
#include "style/GlassModifier.h"

#include <chrono>
#include <optional>

class GradientButton;
class QComboBox;
class ReportSlot;
class SystemOptimizer;
class TextLabel;
class TileButton;

// The "Game Mode" card: a picker of the detected games ("Auto Detect" first) with a refresh button,
// the button that switches Game Mode on or off through the optimizer, the line of what that did
// (red when it says something failed) and the optimizer's Game Mode report. Line and report are
// cleared `clearDelay` after the last switch.
class GameModeSection : public GlassModifier {
    Q_OBJECT
public:
    GameModeSection(SystemOptimizer& optimizer, std::chrono::milliseconds clearDelay, QWidget* parent = nullptr);

    bool isBoosting() const { return m_isBoosting; }
    const QString& resultMessage() const { return m_resultMessage; }
    std::optional<qint32> selectedGamePID() const { return m_selectedGamePID; }

    void toggleGameMode();
    // Red only for a message that says something failed.
    static bool isFailure(const QString& message);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyGameModeResult(bool success, const QStringList& actions);
    void showMessage(const QString& message);
    void refresh();
    void refreshPicker();

    SystemOptimizer& m_optimizer;
    bool m_isBoosting = false;
    QString m_resultMessage;
    std::optional<qint32> m_selectedGamePID;
    ResultClear m_clear;

    QComboBox* m_picker;
    TileButton* m_refresh;
    GradientButton* m_toggle;
    TextLabel* m_message;
    ReportSlot* m_report;
};
