#pragma once

#include "LifeToken.h"
#include "style/GlassModifier.h"
#include "tuning/QuickBoostResult.h"

#include <optional>

class Backdrop;
class BoostResultPopup;
class OutlineButton;
class SystemOptimizer;

// The "Quick Boost" card: "Boost Now" runs the optimizer's Quick Boost in the background; its result
// is shown in a pop-up over the dimmed card until the pop-up's "Done". The button is disabled while
// a boost runs. A result that comes back after the card is gone is dropped.
class QuickBoostSection : public GlassModifier {
    Q_OBJECT
public:
    explicit QuickBoostSection(SystemOptimizer& optimizer, QWidget* parent = nullptr);

    bool isBoosting() const { return m_isBoosting; }
    bool showResult() const { return m_popup != nullptr; }
    const std::optional<QuickBoostResult>& result() const { return m_result; }
    OutlineButton* boostButton() const { return m_button; }
    BoostResultPopup* popup() const { return m_popup; }
    Backdrop* backdrop() const { return m_backdrop; }

    void startBoost();
    void dismissResult();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showBoostResult(const QuickBoostResult& result);
    void refreshButton();
    void placeOverlay();

    SystemOptimizer& m_optimizer;
    bool m_isBoosting = false;
    std::optional<QuickBoostResult> m_result;
    OutlineButton* m_button;
    Backdrop* m_backdrop = nullptr;
    BoostResultPopup* m_popup = nullptr;
    LifeToken m_life;
};
