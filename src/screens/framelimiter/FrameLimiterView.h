#pragma once

#include "LifeToken.h"
#include "style/ScreenColumn.h"
#include "tuning/SystemOptimizer.h"

#include <QColor>
#include <QList>
#include <optional>

class GradientButton;
class PresetCell;
class QLineEdit;
class QPushButton;
class RoundedPanel;
class TextLabel;

// The "Frame Limiter" screen: the system-wide frame limit as the optimizer last published it, a
// grid of presets, a typed limit, what the limit does, and the outcome of the last action. The
// limit itself is never copied here; every display of it reads the optimizer.
class FrameLimiterView : public ScreenColumn {
    Q_OBJECT
public:
    static inline const QList<qint64> presets = {30, 60, 90, 120, 144, 165, 240};
    static inline const QString invalidMessage = QStringLiteral("Enter a valid FPS (1-1000)");

    explicit FrameLimiterView(SystemOptimizer& optimizer, QWidget* parent = nullptr);

    // A typed limit: a whole decimal number of 1 to 1000, with an optional sign and with spaces
    // or tabs around it; nothing for anything else.
    static std::optional<qint64> parseFPS(const QString& text);

    // The completion given to the optimizer. It may be called on any thread; the screen changes
    // on the main thread, and not at all once the screen is gone.
    SystemOptimizer::StatusCompletion outcomeHandler(bool clearsField);

    QString statusMessage() const { return m_statusMessage; }
    QColor statusColor() const { return m_statusColor; }

    void applyPreset(qint64 value);
    void removeLimit();
    void applyCustomLimit();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* currentLimitCard();
    QWidget* presetsCard();
    QWidget* customLimitCard();
    QWidget* aboutCard();
    void showOutcome(bool success, const QString& message, bool clearsField);
    void setStatus(const QString& message, const QColor& color);
    void refreshLimit();

    SystemOptimizer& m_optimizer;
    QString m_statusMessage;
    QColor m_statusColor;

    RoundedPanel* m_badge = nullptr;
    TextLabel* m_currentLimit = nullptr;
    QPushButton* m_removeButton = nullptr;
    QList<PresetCell*> m_presetCells;
    PresetCell* m_offCell = nullptr;
    QLineEdit* m_customField = nullptr;
    GradientButton* m_applyButton = nullptr;
    TextLabel* m_statusLine = nullptr;
    LifeToken m_life;
};
